// Writes files whole or not at all: on any failure the old file stays byte for byte as it
// was and no temporary file is left behind.
#pragma once

#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QSaveFile;

// The writer fills the device and returns false (with an error text) to abandon the file.
using DeviceWriter = std::function<bool(QIODevice &device, QString *error)>;

// Replaces the regular file at path (or creates it) with what the writer writes; a symbolic
// link keeps pointing at the file it names. An existing path that is not a regular file
// (a folder, a device, a FIFO) is refused, never replaced.
bool writeFileAtomically(const QString &path, const DeviceWriter &writer, QString *error = nullptr);

// Several outputs that land together: each regular file is written to a temporary, and only
// when every one is written are they put in place, so that a failure part-way leaves every
// old file as it was. These are the command line's outputs: "-" is standard output, and an
// existing path that is not a regular file (a device, a FIFO) is written straight into, at
// once, as Unix tools do.
class OutputFileSet {
public:
    OutputFileSet();
    ~OutputFileSet(); // drops the temporaries of whatever was not committed
    OutputFileSet(const OutputFileSet &) = delete;
    OutputFileSet &operator=(const OutputFileSet &) = delete;

    bool write(const QString &path, const DeviceWriter &writer, QString *error = nullptr);
    // Puts the written files in place, in the order written; on failure failedPath names the
    // file that could not be, and the ones before it are already in place.
    bool commit(QString *error = nullptr, QString *failedPath = nullptr);

private:
    std::vector<std::unique_ptr<QSaveFile>> pending_;
};

// True for "-" and for existing paths that are not regular files or folders: outputs that
// are written into rather than replaced.
bool isStreamOutput(const QString &path);

// Writes all of data or reports why not, with the reason taken at the failing write.
bool writeAll(QIODevice &device, QByteArrayView data, QString *error);
