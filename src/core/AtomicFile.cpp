#include "core/AtomicFile.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString &path, const DeviceWriter &writer, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QString writerError;
    if (!writer(file, &writerError)) {
        file.cancelWriting();
        if (error)
            *error = writerError.isEmpty() ? file.errorString() : writerError;
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool WriteAll(QIODevice &device, QByteArrayView data, QString *error)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const qint64 written = device.write(data.data() + done, data.size() - done);
        if (written <= 0) {
            if (error)
                *error = device.errorString();
            return false;
        }
        done += written;
    }
    return true;
}
