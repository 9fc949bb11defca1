#include "BatchRun.h"

#include "BatchPicture.h"
#include "Messages.h"

#include "core/AtomicFile.h"
#include "core/GridSheet.h"
#include "core/NumberField.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "image/ImageToGrid.h"
#include "render/SheetPicture.h"
#include "text/PlainTextExport.h"
#include "text/TextPouring.h"
#include "wording/FailureReasons.h"

#include <QFileInfo>

namespace {

struct Failure {
    QString message;
};

// Messages are one line: the logic's texts may span several.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text.trimmed();
}

QString reason(const QString &path, const QString &what, const QString &why)
{
    QString message = path + QLatin1String(": ") + what;
    if (!why.isEmpty())
        message += QLatin1String(" (") + oneLine(why) + u')';
    return message;
}

// "-" reads standard input.
QString inputPath(const QString &path)
{
    return path == u"-" ? QStringLiteral("/dev/stdin") : path;
}

// Files, pipes and FIFOs are read as any Unix tool reads them; a folder is no file.
bool readable(const QString &path)
{
    const QFileInfo file(path);
    return file.exists() && !file.isDir();
}

// --- The batch's words for the failures the logic reports as codes ---

QString failureReason(const GridFileFailure &failure)
{
    return gridFileFailureReason(failure, failureReason(failure.open));
}

void loadGrid(const QString &path, GridSheet &sheet, BatchProgress &progress)
{
    if (!readable(path))
        throw Failure {reason(path, QStringLiteral("no such grid file"), {})};
    GridFileFailure failure;
    if (!loadSheet(sheet, path, &failure))
        throw Failure {reason(path, QStringLiteral("cannot read the grid file"), failureReason(failure))};
    progress.note(
        QStringLiteral("grid file %1: %2 x %3 cells").arg(path).arg(sheet.columnCount()).arg(sheet.rowCount()));
}

void applySize(const QString &text, GridSheet &sheet, BatchProgress &progress)
{
    const std::optional<GridSize> size = readGridSizeText(text); // checked with the command line
    switch (resizeSheet(sheet, size.value_or(GridSize {}))) {
    case SheetResize::Done: break;
    case SheetResize::TooLarge:
        throw Failure {QStringLiteral("--size %1 is more than the %2 cells a sheet holds")
                           .arg(text, groupedNumber(GridSheet::kMaxCells))};
    case SheetResize::OutOfMemory:
        throw Failure {QStringLiteral("--size %1: not enough memory for the grid").arg(text)};
    }
    progress.note(QStringLiteral("size: %1 x %2 cells").arg(sheet.columnCount()).arg(sheet.rowCount()));
}

void importPicture(const BatchOptions &options, GridSheet &sheet, BatchProgress &progress)
{
    const QString path = inputPath(*options.imagePath);
    if (!readable(path))
        throw Failure {reason(path, QStringLiteral("no such picture file"), {})};
    const NumberFieldValue block = readNumberField(options.blockText);
    if (block.outOfRange)
        throw Failure {QStringLiteral("--block \"%1\" lies beyond the 32-bit range").arg(options.blockText)};
    progress.stage(QStringLiteral("Picture"));
    QString error;
    PictureConversion converted;
    {
        // libpng prints its complaints itself; the reason reaches the message anyway.
        SilencedStandardError quiet;
        converted = convertPictureFile(path, options.blockText, sheet, progress, &error);
    }
    switch (converted) {
    case PictureConversion::Done: return;
    case PictureConversion::Unreadable: throw Failure {reason(path, QStringLiteral("cannot read the picture"), error)};
    case PictureConversion::TooManyCells:
        throw Failure {reason(path, QStringLiteral("the grid would be too large"), error)};
    case PictureConversion::OutOfMemory:
        throw Failure {reason(path, QStringLiteral("not enough memory for the grid"), error)};
    }
}

void pourTextFile(const BatchOptions &options, GridSheet &sheet, BatchProgress &progress)
{
    TextPouringInputs inputs;
    inputs.path = inputPath(*options.textPath);
    inputs.mode = options.flow ? LineBreakMode::Flow : LineBreakMode::ByLine;
    inputs.skipBlanks = options.skipSpaces;
    inputs.skipBackground = options.skipBackground;
    inputs.backgroundText = options.backgroundText;
    inputs.nearText = options.nearText;
    inputs.encoding = options.textEncoding.value_or(TextEncoding::ShiftJis);
    inputs.byteOrderMarkChooses = !options.textEncoding;
    if (inputs.path.isEmpty())
        throw Failure {QStringLiteral("--text: no file given")};
    progress.stage(QStringLiteral("Text"));
    const TextPouringResult result = pourText(sheet, inputs);
    switch (result.outcome) {
    case TextPouringOutcome::Done: break;
    case TextPouringOutcome::EmptyPath:
    case TextPouringOutcome::NoFile: throw Failure {reason(inputs.path, QStringLiteral("no such text file"), {})};
    case TextPouringOutcome::OpenFailed:
        throw Failure {reason(inputs.path, QStringLiteral("cannot read the text file"), failureReason(result.open))};
    case TextPouringOutcome::ReadFailed:
        throw Failure {reason(inputs.path, QStringLiteral("cannot read the text file"), result.systemReason)};
    }
    const bool utf8 = result.encoding == TextEncoding::Utf8;
    // A file in another encoding would pour as replacement characters: refuse it.
    if (result.invalidBytes > 0)
        throw Failure {reason(inputs.path,
            QStringLiteral("is not %1 text: %2 invalid byte sequence(s)")
                .arg(utf8 ? QStringLiteral("UTF-8") : QStringLiteral("code page 932 (Shift_JIS)"))
                .arg(result.invalidBytes),
            {})};
    progress.note(QStringLiteral("text %1 poured as %2, %3")
                      .arg(inputs.path, utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Shift_JIS"),
                          options.flow ? QStringLiteral("ignoring line breaks")
                                       : QStringLiteral("a new row at each line break")));
}

// Outputs whose folder is missing are refused before the conversion runs, so a run never
// writes some of its files and then fails on another.
void checkOutputPath(const std::optional<QString> &path, const QString &what)
{
    if (!path || isStreamOutput(*path))
        return;
    const QFileInfo file(*path);
    if (path->isEmpty())
        throw Failure {QStringLiteral("cannot write the %1: no file name given").arg(what)};
    if (file.isDir())
        throw Failure {
            reason(*path, QStringLiteral("cannot write the %1").arg(what), QStringLiteral("it is a folder"))};
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        throw Failure {
            reason(*path, QStringLiteral("cannot write the %1").arg(what), QStringLiteral("no such folder"))};
    if (!folder.isWritable())
        throw Failure {reason(
            *path, QStringLiteral("cannot write the %1").arg(what), QStringLiteral("the folder is not writable"))};
}

// Every output is written before any is put in place: a failure leaves all old files as they were.
class Outputs {
public:
    explicit Outputs(BatchProgress &progress)
        : progress_(progress)
    {
    }

    void write(const QString &path, const QString &what, const DeviceWriter &writer)
    {
        QString error;
        if (!files_.write(path, writer, &error))
            throw Failure {reason(path, QStringLiteral("cannot write the %1").arg(what), error)};
        written_.append({path, what});
    }

    void commit()
    {
        QString error;
        QString failedPath;
        if (!files_.commit(&error, &failedPath))
            throw Failure {reason(failedPath, QStringLiteral("cannot put the file in place"), error)};
        for (const auto &[path, what] : written_) {
            if (isStreamOutput(path))
                progress_.note(QStringLiteral("wrote the %1 into %2").arg(what, path));
            else
                progress_.note(
                    QStringLiteral("wrote the %1 %2 (%3 bytes)").arg(what, path).arg(QFileInfo(path).size()));
        }
    }

private:
    BatchProgress &progress_;
    OutputFileSet files_;
    QList<std::pair<QString, QString>> written_;
};

void writeOutputs(const BatchOptions &options, const GridSheet &sheet, BatchProgress &progress)
{
    Outputs outputs(progress);
    if (options.htmlPath) {
        progress.stage(QStringLiteral("HTML"));
        HtmlPageSettings settings;
        settings.nearText = options.nearText;
        settings.backgroundText = options.backgroundText;
        settings.asIs = options.asIs;
        // The page title as the editor takes it from the chooser's file title.
        settings.pageTitle = pageTitleFromFileTitle(QFileInfo(*options.htmlPath).fileName());
        outputs.write(*options.htmlPath, QStringLiteral("HTML page"),
            wordedWriter<HtmlPageFailure>([&](QIODevice &device, HtmlPageFailure *failure) {
                return writeHtmlPageOnTwoThreads(device, sheet, settings, failure);
            }));
    }
    if (options.plainPath) {
        progress.stage(QStringLiteral("Plain text"));
        outputs.write(*options.plainPath, QStringLiteral("plain text"),
            wordedWriter<PlainTextFailure>(
                [&](QIODevice &device, PlainTextFailure *failure) { return writePlainText(device, sheet, failure); }));
    }
    if (options.savePath) {
        progress.stage(QStringLiteral("Grid file"));
        outputs.write(*options.savePath, QStringLiteral("grid file"),
            wordedWriter<GridFileFailure>(
                [&](QIODevice &device, GridFileFailure *failure) { return writeGridFile(device, sheet, failure); }));
    }
    if (options.pngPath) {
        progress.stage(QStringLiteral("Picture"));
        if (!SheetPicture::fits(sheet.columnCount(), sheet.rowCount(), options.cellSide))
            throw Failure {sheetPictureTooLargeText(sheet.columnCount(), sheet.rowCount(), options.cellSide)};
        SheetPictureSettings settings;
        settings.cellSide = options.cellSide;
        settings.look = options.pageLook ? SheetPainter::Look::Page : SheetPainter::Look::Cells;
        settings.pageColors = readPageColorSettings(options.nearText, options.backgroundText, options.asIs);
        outputs.write(*options.pngPath, QStringLiteral("picture"),
            wordedWriter<SheetPictureFailure>([&](QIODevice &device, SheetPictureFailure *failure) {
                return writeSheetPicture(device, sheet, settings, failure);
            }));
    }
    outputs.commit();
}

} // namespace

int runBatch(const BatchOptions &options, GridSheet &sheet, BatchProgress &progress, QString *message)
{
    try {
        if (options.nearText.size() > 0 && readNumberField(options.nearText).outOfRange)
            throw Failure {QStringLiteral("--near \"%1\" lies beyond the 32-bit range").arg(options.nearText)};
        checkOutputPath(options.htmlPath, QStringLiteral("HTML page"));
        checkOutputPath(options.plainPath, QStringLiteral("plain text"));
        checkOutputPath(options.savePath, QStringLiteral("grid file"));
        checkOutputPath(options.pngPath, QStringLiteral("picture"));
        if (options.gridPath)
            loadGrid(inputPath(*options.gridPath), sheet, progress);
        if (options.sizeText)
            applySize(*options.sizeText, sheet, progress);
        if (options.imagePath)
            importPicture(options, sheet, progress);
        if (options.textPath)
            pourTextFile(options, sheet, progress);
        writeOutputs(options, sheet, progress);
    } catch (const Failure &failure) {
        progress.finish();
        if (message)
            *message = failure.message;
        return kBatchFailed;
    }
    progress.finish();
    return kBatchDone;
}

// The batch's words for a file that would not open.
QString failureReason(const OpenFailure &failure)
{
    switch (failure.error) {
    case OpenError::None: return {};
    case OpenError::System: return failure.systemReason;
    case OpenError::NotRegularFile: break;
    }
    switch (failure.kind) {
    case FileKind::Folder: return QStringLiteral("it is a folder");
    case FileKind::Fifo: return QStringLiteral("it is a FIFO, not a regular file");
    case FileKind::Device: return QStringLiteral("it is a device, not a regular file");
    case FileKind::Socket: return QStringLiteral("it is a socket, not a regular file");
    case FileKind::Special: break;
    }
    return QStringLiteral("it is not a regular file");
}
