#include "document/ContentKind.h"

#include "core/Cp932.h"
#include "gridfile/GridFile.h"
#include "text/TextEncoding.h"

#include <QImageReader>

#include <cstring>

namespace {

bool isPicture(QIODevice &device)
{
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return false;
    // Some formats are recognised by two bytes ("BM"); a header that gives no size is text
    // that happens to start alike.
    return !reader.supportsOption(QImageIOHandler::Size) || reader.size().isValid();
}

bool hasOnlyTextControls(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        const auto code = uchar(byte);
        // TAB, line ends, form feed and DOS's end-of-file mark are text; NUL and the rest are not.
        if (code < 0x20 && code != '\t' && code != '\n' && code != '\v' && code != '\f' && code != '\r' && code != 0x1A)
            return false;
    }
    return true;
}

// A sample cut from a longer file may end inside a character: its last byte is left out.
bool isValidUtf8(const QByteArray &sample, bool cut)
{
    Utf8Check check;
    check.take(cut ? QByteArrayView(sample).chopped(Utf8::incompleteTail(sample)) : QByteArrayView(sample));
    check.finish();
    return check.valid();
}

bool isValidCp932(const QByteArray &sample, bool cut)
{
    qsizetype invalid = 0;
    Cp932::decode(sample, &invalid);
    if (invalid == 0)
        return true;
    if (!cut || sample.isEmpty() || !Cp932::isLeadByte(quint8(sample.back())))
        return false;
    Cp932::decode(QByteArrayView(sample).chopped(1), &invalid);
    return invalid == 0;
}

} // namespace

ContentKind contentKindOf(const QString &path, OpenFailure *failure)
{
    OpenFailure opening;
    const std::unique_ptr<QFile> file = openForReading(path, FileKinds::RegularOnly, &opening);
    if (!file) {
        if (failure)
            *failure = opening;
        return ContentKind::Unreadable;
    }
    const QByteArray sample = file->read(kTextSampleBytes);
    if (file->error() != QFileDevice::NoError) {
        if (failure)
            *failure = {OpenError::System, FileKind::Special, file->errorString()};
        return ContentKind::Unreadable;
    }
    if (sample.size() >= qsizetype(sizeof GridFile::kMagic)
        && std::memcmp(sample.constData(), GridFile::kMagic, sizeof GridFile::kMagic) == 0)
        return ContentKind::Grid;
    if (file->seek(0) && isPicture(*file))
        return ContentKind::Picture;
    const bool cut = file->size() > sample.size();
    if (hasOnlyTextControls(sample) && (isValidUtf8(sample, cut) || isValidCp932(sample, cut)))
        return ContentKind::Text;
    return ContentKind::Foreign;
}
