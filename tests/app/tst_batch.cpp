// glyphscape-batch: its files byte for byte as the editor's logic writes them, how it fails, its faster paths.
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "text/PlainTextExport.h"
#include "text/TextPouring.h"
#include "ui/GridSizeDialog.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include <jpeglib.h>

namespace {

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A photo-like picture: gradients, hard edges and a ripple of noise.
QImage photoLike(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y,
                qRgb((x * 255 / std::max(width - 1, 1)) ^ (x * y % 23), (y * 3 + x * 7 % 13) & 0xFF,
                    (x + y) % 64 < 32 ? 230 - x % 9 : 20 + y % 11));
    return picture;
}

// A JPEG of the kind: "420", "422", "444", "grey", "cmyk", "progressive" or "restarts".
QByteArray jpeg(const QImage& picture, const QString& kind)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &bytes, &size);
    const int components = kind == u"grey" ? 1 : kind == u"cmyk" ? 4 : 3;
    cinfo.image_width = JDIMENSION(picture.width());
    cinfo.image_height = JDIMENSION(picture.height());
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo); // colour is 4:2:0 unless changed
    cinfo.comp_info[0].h_samp_factor = kind == u"444" ? 1 : cinfo.comp_info[0].h_samp_factor;
    cinfo.comp_info[0].v_samp_factor = kind == u"444" || kind == u"422" ? 1 : cinfo.comp_info[0].v_samp_factor;
    if (kind == u"progressive")
        jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = kind == u"restarts" ? 1 : 0;
    jpeg_start_compress(&cinfo, TRUE);
    const QImage rows = picture.convertToFormat(components == 1 ? QImage::Format_Grayscale8
            : components == 4                                   ? QImage::Format_RGBX8888
                                                                : QImage::Format_RGB888);
    for (JSAMPROW row; cinfo.next_scanline < cinfo.image_height; jpeg_write_scanlines(&cinfo, &row, 1))
        row = const_cast<JSAMPROW>(rows.constScanLine(int(cinfo.next_scanline)));
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray jpeg(reinterpret_cast<const char*>(bytes), qsizetype(size));
    std::free(bytes);
    return jpeg;
}

// The editor's files after the steps the arguments name: its logic, called as its windows call it.
QList<QByteArray> editorOutput(const QStringList& arguments)
{
    auto value = [&](const char* option, const char* otherwise = "") {
        const qsizetype at = arguments.indexOf(QLatin1String(option));
        return at < 0 ? QString::fromLatin1(otherwise) : arguments[at + 1];
    };
    auto flag = [&](const char* option) { return arguments.contains(QLatin1String(option)); };
    GridSheet sheet;
    if (flag("--grid"))
        loadSheet(sheet, value("--grid"));
    if (flag("--size")) {
        // Typed into the Setting window.
        FakeDialogs dialogs;
        GridSizeDialog setting(sheet, dialogs, nullptr);
        findControl<QLineEdit>(setting, "txtMaxCol")->setText(value("--size").section(u'x', 0, 0));
        findControl<QLineEdit>(setting, "txtMaxRow")->setText(value("--size").section(u'x', 1));
        QTest::mouseClick(findControl<QPushButton>(setting, "btnOK"), Qt::LeftButton);
        if (!dialogs.messages.isEmpty())
            return {};
    }
    if (flag("--image"))
        imageToGrid(loadPicture(value("--image")), value("--block", "8"), sheet, {});
    const HtmlPageSettings settings { value("--near", "8"), value("--bg", "#FFFFFF"), flag("--as-is"),
        pageTitleFromFileTitle(QStringLiteral("spring.v2.htm")) };
    if (flag("--text"))
        pourText(sheet,
            { value("--text"), flag("--flow") ? LineBreakMode::Flow : LineBreakMode::ByLine, flag("--skip-spaces"),
                flag("--skip-bg"), settings.backgroundText, settings.nearText });
    const QString grid = QStringLiteral("editor.grd");
    return { htmlPage(sheet, settings), plainText(sheet), saveSheet(sheet, grid) ? fileContents(grid) : QByteArray() };
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString pathOf(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) { return writeTestFile(dir_.path(), name, bytes); }

    // The exit status (-1 for a crash or a hang), stdout and stderr.
    std::tuple<int, QByteArray, QByteArray> run(const QStringList& arguments)
    {
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + "/bin/glyphscape-batch", arguments);
        const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
        return { ended ? process.exitCode() : -1, process.readAllStandardOutput(), process.readAllStandardError() };
    }

private slots:
    void initTestCase()
    {
        // Odd sizes leave partial blocks and MCUs; block 1 makes the two threads meet mid-MCU.
        const struct {
            const char* file;
            int width, height;
            const char* kind = nullptr;
        } jpegs[] = { { "420", 301, 203 }, { "422", 250, 181 }, { "444", 257, 199 }, { "grey", 255, 190 },
            { "progressive", 240, 210 }, { "restarts", 222, 180 }, { "cmyk", 120, 90 }, { "pixel", 1, 1, "420" },
            { "large", 700, 500, "420" } };
        for (const auto& [file, width, height, kind] : jpegs)
            write(file + QStringLiteral(".jpg"), jpeg(photoLike(width, height), kind ? kind : file));
        write(QStringLiteral("truncated.jpg"), fileContents(pathOf(QStringLiteral("420.jpg"))).first(4000));
        QVERIFY(photoLike(64, 40).save(pathOf(QStringLiteral("photo.bmp")), "BMP"));
        QImage translucent = photoLike(30, 20).convertToFormat(QImage::Format_ARGB32);
        translucent.setAlphaChannel(photoLike(30, 20).convertToFormat(QImage::Format_Grayscale8).mirrored());
        QVERIFY(translucent.save(pathOf(QStringLiteral("alpha.png")), "PNG"));
        // Code page 932: kanji, kana, half-width letters, blanks, a tab and both line ends.
        QByteArray poem;
        for (int line = 0; line < 40; ++line)
            poem += "\x8f\x74\x89\xc4 \x81\x40\x82\xa0"
                    "a\tc"
                + QByteArray::number(line) + (line % 3 ? "\r\n" : "\r");
        write(QStringLiteral("poem.txt"), poem);
        write(QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0 not really", 16));
        write(QStringLiteral("utf8.txt"), QByteArray("\xE6\x98\xA5 spring\xFF\r\n"));
        auto sheet = buildSheet({ { { QStringLiteral("春"), 0x0000FF }, { QStringLiteral("a"), 0x00FF00 } },
            { { QString(), kWhite }, { QStringLiteral("<>"), 0x123456 } } });
        QVERIFY(saveSheet(*sheet, pathOf(QStringLiteral("start.grd"))));
        // 21 columns of these rows would pass the cell limit: a resize must not go by way of that.
        QVERIFY(saveSheet(GridSheet(1, 2'500'000), pathOf(QStringLiteral("tall.grd"))));
    }

    // Steps are words split at blanks, '' an empty value; a decoder named must have decoded the picture,
    // and otherwise stderr stays empty: with no terminal there is no progress bar.
    void sameFilesAsTheEditor()
    {
        QList<std::pair<QByteArray, QByteArray>> cases { { "--image 420.jpg --block 8 --skip-bg --text poem.txt", "" },
            { "--image 420.jpg --block 7.5px --flow --skip-spaces --as-is --text poem.txt", "" },
            { "--image 420.jpg --near '' --bg #ffcc99 --skip-bg --text poem.txt", "" },
            { "--image large.jpg --block 1 --flow --as-is --text poem.txt", "" }, // many cells on both threads
            { "--grid start.grd --size 3x4", "" }, { "--size 12.5x3.5 --image 420.jpg --block 16", "" },
            { "--grid tall.grd --size 21x1", "" }, { "--grid start.grd --size ３x４．５", "" },
            { "--image photo.bmp --block 700", "" }, { "--image alpha.png --block 1", "" },
            { "--image cmyk.jpg --block 1", "Qt" }, { "--image truncated.jpg --block 1", "Qt" } };
        for (const char* file : { "420", "422", "444", "grey", "progressive", "restarts", "pixel" })
            cases.append({ "--image " + QByteArray(file) + ".jpg --block 1", "libjpeg-turbo" });
        const QStringList files { pathOf("spring.v2.htm"), pathOf("out.txt"), pathOf("out.grd") };
        for (const auto& [steps, decoder] : cases) {
            QStringList arguments;
            for (const QString& word : QString::fromUtf8(steps).split(u' '))
                arguments << (word == u"''" ? QString() : word);
            for (const QString& file : files)
                QFile::remove(file);
            QStringList all = arguments + QStringList { "--html", files[0], "--plain", files[1], "--save", files[2] };
            const auto [exitCode, out, err] = run(decoder.isEmpty() ? all : all << "--verbose");
            const bool told = decoder.isEmpty() ? err.isEmpty() : err.contains("decoded by " + decoder);
            QVERIFY2(exitCode == 0 && told, steps + ": " + err);
            QDir::setCurrent(dir_.path());
            const QList<QByteArray> expected = editorOutput(arguments);
            for (int i = 0; i < 3; ++i)
                QVERIFY2(fileContents(files[i]) == expected[i], steps + " gives another " + files[i].toUtf8());
        }
    }

    // Each failure: its exit status, one message line, no file written, an older file kept as it was.
    void failuresExplainAndWriteNothing()
    {
        const auto [helpExit, help, helpErr] = run({ QStringLiteral("--help") });
        QVERIFY(helpExit == 0 && help.contains("--skip-bg") && help.contains("--verbose"));
        const struct {
            const char* arguments;
            int exitCode;
            const char* message;
        } cases[] = { { "--colour --html f.htm", 2, "unknown option --colour" },
            { "--html", 2, "--html needs a value" }, { "photo.bmp --html f.htm", 2, "unexpected argument" },
            { "--image photo.bmp", 2, "nothing to write" }, { "--size axb --html f.htm", 2, "--size wants" },
            { "--flow --html f.htm", 2, "--flow needs --text" }, { "--plain f.htm --html f.htm", 2, "same file" },
            { "--html no/such/x.htm", 1, "cannot write the HTML" },
            { "--image none.jpg --html f.htm", 1, "no such picture file" },
            { "--text utf8.txt --html f.htm", 1, "not code page 932" },
            { "--image 420.jpg --block 9e9 --html f.htm", 1, "--block \"9e9\" lies beyond" },
            { "--size 99999x99999 --html f.htm", 1, "more than the 50,000,000" },
            { "--html f.htm --plain no/such/x.txt", 1, "cannot write the plain text" },
            { "--image broken.jpg --html kept.htm", 1, "cannot read the picture" } };
        const QString kept = write(QStringLiteral("kept.htm"), QByteArray("old page"));
        for (const auto& c : cases) {
            const auto [exitCode, out, err] = run(QString::fromUtf8(c.arguments).split(u' '));
            const bool explained = err.startsWith("glyphscape-batch: ") && err.count('\n') == 1 && err.endsWith('\n')
                && QString::fromLocal8Bit(err).contains(QLatin1String(c.message));
            QVERIFY2(exitCode == c.exitCode && explained, c.arguments + (": " + err));
            QVERIFY2(QDir(dir_.path()).entryList({ "f.*", "*~" }).isEmpty() && fileContents(kept) == "old page",
                c.arguments);
        }
    }

    // What glyphscape-batch adds for speed, against the editor's one-cell, one-thread paths.
    void fasterPathsKeepTheEditorsResults()
    {
        const struct {
            int row, firstColumn, count;
            bool accepted;
        } cases[] = { { 2, 1, 5, true }, { 3, 4, 2, true }, { 1, 1, 0, true }, { 1, 2, 5, false }, { 0, 1, 1, false },
            { 4, 1, 1, false }, { 1, 0, 2, false } };
        const Color back[] = { 1, 2, 3, 4, 5, 6 }, fore[] = { 11, 12, 13, 14, 15, 16 };
        for (const auto& c : cases) {
            const QByteArray name = "case " + QByteArray::number(&c - cases);
            GridSheet sheet(5, 3);
            QSignalSpy changes(&sheet, &GridSheet::cellsChanged);
            QVERIFY2(sheet.setRowColors(c.row, c.firstColumn, back, fore, c.count) == c.accepted, name);
            QVERIFY2(changes.size() == (c.accepted && c.count > 0 ? 1 : 0), name);
            for (int cell = 0; cell < 15; ++cell) {
                const int column = cell % 5 + 1, row = cell / 5 + 1, at = column - c.firstColumn;
                const bool painted = c.accepted && row == c.row && at >= 0 && at < c.count;
                QVERIFY2(sheet.backColorAt(column, row) == (painted ? back[at] : kWhite)
                        && sheet.foreColorAt(column, row) == (painted ? fore[at] : kBlack),
                    name);
            }
        }
        // Sheets large enough for several chunks on each thread, with every kind of cell text.
        const struct {
            int columns, rows;
            bool asIs;
            int near;
        } sheets[] = { { 0, 0, false, 8 }, { 9, 1, true, 8 }, { 700, 1300, true, 40 }, { 1000, 787, false, 0 },
            { 300000, 1, false, 8 } };
        const char* texts[] = { "", "", "", "", " ", "  ", "春", "<", "\t", "　", "long text", "&\"é" };
        for (const auto& c : sheets) {
            GridSheet sheet(c.columns, c.rows);
            QRandomGenerator random(quint32(c.columns + c.rows));
            for (int row = 1; row <= c.rows; ++row)
                for (int column = 1; column <= c.columns; ++column) {
                    const quint32 n = random.generate();
                    sheet.setCellColors(column, row, n % 4 ? Color(n >> 8) : kWhite, kBlack);
                    sheet.setCellText(column, row, QString::fromUtf8(texts[(n >> 4) % std::size(texts)]));
                }
            const HtmlPageSettings settings { QString::number(c.near), QStringLiteral("#FFFFFF"), c.asIs, "page" };
            QBuffer page;
            page.open(QIODevice::WriteOnly);
            writeHtmlPageOnTwoThreads(page, sheet, settings);
            QVERIFY2(page.data() == htmlPage(sheet, settings), QByteArray::number(c.columns));
        }
    }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
