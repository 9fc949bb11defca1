// Writes files whole or not at all: on any failure the old file stays byte for byte as it
// was and no temporary file is left behind.
#pragma once

#include <QIODevice>
#include <QString>

#include <functional>

// The writer fills the device and returns false (with an error text) to abandon the file.
using DeviceWriter = std::function<bool(QIODevice &device, QString *error)>;

// Replaces the regular file at path (or creates it) with what the writer writes; a symbolic
// link keeps pointing at the file it names. An existing path that is not a regular file
// (a folder, a device, a FIFO) is refused, never replaced.
bool WriteFileAtomically(const QString &path, const DeviceWriter &writer, QString *error = nullptr);

// The command line's notion of an output: "-" is standard output, and an existing path that
// is not a regular file (a device, a FIFO, /dev/stdout) is written straight into, as Unix
// tools do. Anything else goes through WriteFileAtomically.
bool WriteOutputFile(const QString &path, const DeviceWriter &writer, QString *error = nullptr);

// True for "-" and for existing paths that are not regular files or folders: outputs that
// are written into rather than replaced.
bool IsStreamOutput(const QString &path);

// Writes all of data or reports why not, with the reason taken at the failing write.
bool WriteAll(QIODevice &device, QByteArrayView data, QString *error);
