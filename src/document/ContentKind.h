// What a file holds, told from its first bytes: the one decision behind opening a file
// that was dropped on the editor or named on its command line.
#pragma once

#include "core/RegularFile.h"

#include <QString>

enum class ContentKind {
    Grid, // starts with the grid file's magic (the rest may still be damaged)
    Picture, // a picture a decoder recognises from its content, whatever its name
    Text, // no NUL or stray control bytes, and valid Shift_JIS or UTF-8
    Foreign, // a readable regular file of none of these kinds
    Unreadable, // missing, not a regular file, or refused by the system: see the failure
};

// How many bytes at the start the text check looks at.
inline constexpr qint64 kTextSampleBytes = qint64(64) * 1024;

// Opens regular files only, so a FIFO or a device is never read from (nor waited on).
ContentKind contentKindOf(const QString &path, OpenFailure *failure = nullptr);
