#include "BatchOptions.h"

#include "FileIdentity.h"

#include "core/NumberField.h"
#include "render/SheetPicture.h"

namespace {

enum class Kind { Flag, Value };

struct OptionDefinition {
    const char *name;
    Kind kind;
};

constexpr OptionDefinition kOptions[] = {
    {"--grid", Kind::Value},
    {"--size", Kind::Value},
    {"--image", Kind::Value},
    {"--block", Kind::Value},
    {"--text", Kind::Value},
    {"--flow", Kind::Flag},
    {"--skip-spaces", Kind::Flag},
    {"--skip-bg", Kind::Flag},
    {"--text-encoding", Kind::Value},
    {"--html", Kind::Value},
    {"--near", Kind::Value},
    {"--bg", Kind::Value},
    {"--as-is", Kind::Flag},
    {"--plain", Kind::Value},
    {"--save", Kind::Value},
    {"--png", Kind::Value},
    {"--cell-size", Kind::Value},
    {"--page-look", Kind::Flag},
    {"--verbose", Kind::Flag},
    {"--help", Kind::Flag},
    {"--version", Kind::Flag},
};

const OptionDefinition *findOption(const QString &name)
{
    for (const OptionDefinition &definition : kOptions) {
        if (name == QLatin1String(definition.name))
            return &definition;
    }
    return nullptr;
}

// The names iconv and editors use, in any case.
std::optional<TextEncoding> readTextEncoding(const QString &name)
{
    const QString key = name.toLower();
    if (key == u"shift_jis" || key == u"shift-jis" || key == u"sjis" || key == u"cp932")
        return TextEncoding::ShiftJis;
    if (key == u"utf-8" || key == u"utf8")
        return TextEncoding::Utf8;
    return std::nullopt;
}

// Empty when the value is sound.
QString store(BatchOptions &options, const QString &name, const QString &value)
{
    if (name == u"--grid")
        options.gridPath = value;
    else if (name == u"--size")
        options.sizeText = value;
    else if (name == u"--image")
        options.imagePath = value;
    else if (name == u"--block")
        options.blockText = value;
    else if (name == u"--text")
        options.textPath = value;
    else if (name == u"--flow")
        options.flow = true;
    else if (name == u"--skip-spaces")
        options.skipSpaces = true;
    else if (name == u"--skip-bg")
        options.skipBackground = true;
    else if (name == u"--text-encoding") {
        options.textEncoding = readTextEncoding(value);
        if (!options.textEncoding)
            return QStringLiteral("--text-encoding wants shift_jis or utf-8, not \"%1\"").arg(value);
    } else if (name == u"--html")
        options.htmlPath = value;
    else if (name == u"--near")
        options.nearText = value;
    else if (name == u"--bg")
        options.backgroundText = value;
    else if (name == u"--as-is")
        options.asIs = true;
    else if (name == u"--plain")
        options.plainPath = value;
    else if (name == u"--save")
        options.savePath = value;
    else if (name == u"--png")
        options.pngPath = value;
    else if (name == u"--cell-size") {
        const NumberFieldValue side = readNumberField(value);
        if (side.outOfRange || side.value < 1 || side.value > SheetPicture::kMaxSide)
            return QStringLiteral("--cell-size wants a number of pixels from 1 to %1, not \"%2\"")
                .arg(SheetPicture::kMaxSide)
                .arg(value);
        options.cellSide = side.value;
    } else if (name == u"--page-look")
        options.pageLook = true;
    else if (name == u"--verbose")
        options.verbose = true;
    else if (name == u"--help")
        options.help = true;
    else if (name == u"--version")
        options.version = true;
    return {};
}

// Options that steer a step which is not asked for are almost surely a slip in a script.
QString checkCombinations(const BatchOptions &options, const QStringList &given)
{
    auto needs = [&](const char *option, bool present, const char *other) -> QString {
        if (given.contains(QLatin1String(option)) && !present)
            return QStringLiteral("%1 needs %2").arg(QLatin1String(option), QLatin1String(other));
        return {};
    };
    for (const QString &problem : {needs("--block", options.imagePath.has_value(), "--image"),
             needs("--flow", options.textPath.has_value(), "--text"),
             needs("--skip-spaces", options.textPath.has_value(), "--text"),
             needs("--skip-bg", options.textPath.has_value(), "--text"),
             needs("--text-encoding", options.textPath.has_value(), "--text"),
             needs("--as-is", options.htmlPath || (options.pngPath && options.pageLook), "--html or --page-look"),
             needs("--cell-size", options.pngPath.has_value(), "--png"),
             needs("--page-look", options.pngPath.has_value(), "--png")}) {
        if (!problem.isEmpty())
            return problem;
    }
    if (!options.htmlPath && !options.plainPath && !options.savePath && !options.pngPath)
        return QStringLiteral("nothing to write: give --html, --plain, --save or --png");
    if (options.sizeText && !readGridSizeText(*options.sizeText))
        return QStringLiteral("--size wants COLUMNSxROWS, such as 80x60, not \"%1\"").arg(*options.sizeText);
    return {};
}

} // namespace

BatchArguments parseBatchArguments(const QStringList &arguments)
{
    BatchArguments result;
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        QString name = argument;
        std::optional<QString> inlineValue;
        const qsizetype equals = argument.indexOf(u'=');
        if (argument.startsWith(QLatin1String("--")) && equals > 2) {
            name = argument.left(equals);
            inlineValue = argument.mid(equals + 1);
        }
        const OptionDefinition *definition = findOption(name);
        if (!definition) {
            result.usageError = argument.startsWith(u'-') ? QStringLiteral("unknown option %1").arg(name)
                                                          : QStringLiteral("unexpected argument \"%1\"").arg(argument);
            return result;
        }
        if (given.contains(name)) {
            result.usageError = QStringLiteral("%1 is given twice").arg(name);
            return result;
        }
        given.append(name);
        QString value;
        if (definition->kind == Kind::Value) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                result.usageError = QStringLiteral("%1 needs a value").arg(name);
                return result;
            }
        } else if (inlineValue) {
            result.usageError = QStringLiteral("%1 takes no value").arg(name);
            return result;
        }
        result.usageError = store(result.options, name, value);
        if (!result.ok())
            return result;
    }
    if (result.options.help || result.options.version)
        return result;
    result.usageError = checkCombinations(result.options, given);
    return result;
}

QString checkFilesApart(const BatchOptions &options)
{
    struct NamedFile {
        const char *option;
        const std::optional<QString> &path;
        FileIdentity identity;
    };
    auto named = [](const char *option, const std::optional<QString> &path, StreamRole role) {
        return NamedFile {option, path, path ? identifyFile(*path, role) : FileIdentity {}};
    };
    const NamedFile inputs[] = {named("--grid", options.gridPath, StreamRole::Input),
        named("--image", options.imagePath, StreamRole::Input), named("--text", options.textPath, StreamRole::Input)};
    const NamedFile outputs[] = {named("--html", options.htmlPath, StreamRole::Output),
        named("--plain", options.plainPath, StreamRole::Output), named("--save", options.savePath, StreamRole::Output),
        named("--png", options.pngPath, StreamRole::Output)};
    for (const NamedFile &output : outputs) {
        if (!output.path)
            continue;
        for (const NamedFile &input : inputs) {
            const bool updateInPlace
                = QLatin1String(output.option) == u"--save" && QLatin1String(input.option) == u"--grid";
            if (input.path && !updateInPlace && output.identity == input.identity)
                return QStringLiteral("%1 %2 is the %3 file: it would be overwritten")
                    .arg(QLatin1String(output.option), *output.path, QLatin1String(input.option));
        }
    }
    for (const NamedFile &output : outputs) {
        for (const NamedFile &other : outputs) {
            if (&other <= &output || !output.path || !other.path)
                continue;
            if (output.identity == other.identity)
                return QStringLiteral("%1 and %2 would write the same file: %3")
                    .arg(QLatin1String(output.option), QLatin1String(other.option), *other.path);
        }
    }
    for (const NamedFile &input : inputs) {
        for (const NamedFile &other : inputs) {
            if (&other > &input && input.path && other.path && *input.path == u"-" && *other.path == u"-")
                return QStringLiteral("%1 and %2 cannot both read standard input")
                    .arg(QLatin1String(input.option), QLatin1String(other.option));
        }
    }
    return {};
}

QString batchUsage()
{
    return QStringLiteral(
        "Usage: glyphscape-batch [options]\n"
        "Runs the editor's course of work without a window: start from an empty 25 x 22 sheet\n"
        "(or a grid file), optionally resize it, paint it from a picture, pour a text into it\n"
        "and write the HTML page, the plain text and/or the grid file.\n"
        "\n"
        "Input (files, pipes or FIFOs; - reads standard input):\n"
        "  --grid FILE        start from this grid file instead of the empty 25 x 22 sheet\n"
        "                     (--save may name the same file to update it)\n"
        "  --size COLSxROWS   set the number of columns and rows, read as the Setting\n"
        "                     window reads them (12.5 rounds to 12, halves to even)\n"
        "  --image FILE       import this picture (JPEG, GIF, BMP) and convert it to the grid\n"
        "  --block TEXT       block size in pixels, read like the Grid Size field (default 8;\n"
        "                     no number or below 1 gives 1, 7.5 gives 8)\n"
        "  --text FILE        pour this text file into the cells: code page 932 (Shift_JIS),\n"
        "                     or UTF-8 when it starts with the UTF-8 byte order mark\n"
        "  --text-encoding shift_jis|utf-8\n"
        "                     read the text in this encoding, byte order mark or not\n"
        "  --flow             ignore line breaks (default: a new row at each line break)\n"
        "  --skip-spaces      skip blank characters (space, full-width space, TAB)\n"
        "  --skip-bg          skip cells near the background colour\n"
        "\n"
        "Fields (read exactly as the main window reads them):\n"
        "  --near TEXT        near-colour distance (default 8)\n"
        "  --bg TEXT          background colour (default #FFFFFF)\n"
        "  --as-is            write the HTML as the grid's image (cell colours as backgrounds)\n"
        "\n"
        "Output (at least one; each file is written whole or not at all; - writes to\n"
        "standard output, and a device or FIFO is written into, never replaced):\n"
        "  --html FILE        the coloured HTML page; its title is the file name before its first \".\"\n"
        "  --plain FILE       the cells' characters as fixed-width plain text\n"
        "  --save FILE        the whole grid as a grid file\n"
        "  --png FILE         the grid as a PNG picture, drawn as the editor's Export Picture\n"
        "                     draws it (no display needed)\n"
        "  --cell-size N      the picture's pixels a cell (default 16)\n"
        "  --page-look        draw the picture as the HTML page shows the grid (with --near,\n"
        "                     --bg and --as-is)\n"
        "\n"
        "  --verbose          say what each step did, one line each, on standard error\n"
        "  --help             show this help\n"
        "  --version          show the version\n"
        "Options take their value as the next argument or after \"=\" (--near=12).\n"
        "Exit status: 0 done, 1 an input or output failed, 2 the command line is wrong.\n"
        "A progress bar is shown on standard error when it is a terminal.\n");
}
