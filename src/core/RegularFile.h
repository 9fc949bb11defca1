// Opening a file for reading. The editor takes regular files only, so that a FIFO or a
// device can neither block it nor feed it endlessly; the batch reads whatever a path
// gives, pipes included, as Unix tools do.
#pragma once

#include <QFile>
#include <QString>

#include <memory>

enum class FileKinds {
    RegularOnly, // a FIFO, a device, a socket or a folder is refused
    AnyReadable, // anything that opens for reading; a folder is still refused
};

enum class OpenError {
    None,
    System, // the system refused: see systemReason
    NotRegularFile, // a kind RegularOnly refuses: see kind
};

// What a refused path is.
enum class FileKind { Folder, Fifo, Device, Socket, Special };

struct OpenFailure {
    OpenError error = OpenError::None;
    FileKind kind = FileKind::Special;
    QString systemReason;
};

// The opened file, or null and why not. For RegularOnly the kind is taken from the
// opened file itself, never from the path, so a file swapped in between cannot slip by,
// and the opening itself does not wait for a FIFO's writer.
std::unique_ptr<QFile> openForReading(const QString &path, FileKinds kinds, OpenFailure *failure);
