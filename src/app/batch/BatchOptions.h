// The command line of glyphscape-batch: which steps to run and the texts of the fields
// that steer them, read before anything is opened.
#pragma once

#include "text/TextEncoding.h"

#include <QString>
#include <QStringList>

#include <optional>

struct BatchOptions {
    std::optional<QString> gridPath; // start from a grid file instead of the empty sheet
    std::optional<QString> sizeText; // "COLSxROWS", as the settings window takes it
    std::optional<QString> imagePath;
    QString blockText = QStringLiteral("8"); // the block-size field, as typed
    std::optional<QString> textPath;
    bool flow = false;
    bool skipSpaces = false;
    bool skipBackground = false;
    // Unset: code page 932, or UTF-8 when the file starts with the UTF-8 byte order mark.
    std::optional<TextEncoding> textEncoding;
    QString nearText = QStringLiteral("8"); // the near-colour field, as typed
    QString backgroundText = QStringLiteral("#FFFFFF"); // the background field, as typed
    bool asIs = false;
    std::optional<QString> htmlPath;
    std::optional<QString> plainPath;
    std::optional<QString> savePath;
    std::optional<QString> pngPath; // the sheet as a picture
    int cellSide = 16; // the picture's pixels a cell
    bool pageLook = false; // the picture as the page shows the sheet
    bool verbose = false; // one line per step on standard error
    bool help = false;
    bool version = false;
};

struct BatchArguments {
    BatchOptions options;
    QString usageError; // empty when the command line is sound
    bool ok() const { return usageError.isEmpty(); }
};

// Reads the arguments after the program name. "--name value" and "--name=value" both work.
BatchArguments parseBatchArguments(const QStringList &arguments);

// Refuses outputs that would overwrite an input or each other, compared as files (device
// and inode, or the folder's real path and the name), so other spellings of one file and
// hard links are caught. --save may name the --grid file: that file is read whole first.
// Empty when the files are apart.
QString checkFilesApart(const BatchOptions &options);

QString batchUsage();
