// Which file a path names, so that two spellings of one file (a relative and an absolute
// path, "..", a symbolic or hard link) compare equal.
#pragma once

#include <QString>

#include <sys/types.h>

// "-" is standard input for an input and standard output for an output.
enum class StreamRole { Input, Output };

struct FileIdentity {
    enum class Kind { None, StandardStream, Existing, New } kind = Kind::None;
    StreamRole role = StreamRole::Input; // of a standard stream
    dev_t device = 0; // of an existing file
    ino_t inode = 0;
    QString folder; // of a file yet to be made: its folder's real path, and its name
    QString name;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// Follows symbolic links; a path that names nothing yet is known by where it would be made.
FileIdentity identifyFile(const QString &path, StreamRole role);
