// The command line of glyphscape-batch: which steps to run and the texts of the fields
// that steer them, read before anything is opened.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct BatchOptions {
    std::optional<QString> gridPath;  // start from a grid file instead of the empty sheet
    std::optional<QString> sizeText;  // "COLSxROWS", as the settings window takes it
    std::optional<QString> imagePath;
    QString blockText = QStringLiteral("8"); // the block-size field, as typed
    std::optional<QString> textPath;
    bool flow = false;
    bool skipSpaces = false;
    bool skipBackground = false;
    QString nearText = QStringLiteral("8");             // the near-colour field, as typed
    QString backgroundText = QStringLiteral("#FFFFFF"); // the background field, as typed
    bool asIs = false;
    std::optional<QString> htmlPath;
    std::optional<QString> plainPath;
    std::optional<QString> savePath;
    bool verbose = false; // one line per step on standard error
    bool help = false;
};

struct BatchArguments {
    BatchOptions options;
    QString usageError; // empty when the command line is sound
    bool Ok() const { return usageError.isEmpty(); }
};

// Reads the arguments after the program name. "--name value" and "--name=value" both work.
BatchArguments ParseBatchArguments(const QStringList &arguments);

// A grid size "COLSxROWS": each part a decimal number (sign, digits, fraction; blanks
// around it ignored) rounded half to even. False when the text is not of that form.
struct GridSizeText {
    qint32 columns = 0;
    qint32 rows = 0;
    bool outOfRange = false; // a part beyond the 32-bit range
};
bool ParseGridSizeText(const QString &text, GridSizeText *size);

QString BatchUsage();
