// glyphscape-batch end to end: its files against the editor's logic run on the same steps,
// byte for byte, and every way a run can fail (exit status, one message line, no file).
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "image/TestGif.h"
#include "support/logic/SheetBuilder.h"
#include "text/PlainTextExport.h"
#include "text/TextPouring.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <jpeglib.h>

namespace {

struct RunResult {
    int exitCode = -1;
    QByteArray err;
};

RunResult RunBatchProgram(const QStringList &arguments, const QString &workDir)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + QStringLiteral("/bin/glyphscape-batch"), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardError()};
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A photo-like picture: smooth gradients, hard edges and some noise, the same every run.
QImage PhotoLike(int width, int height, quint32 seed)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(24));
            picture.setPixel(x, y, qRgb((x * 255 / std::max(width - 1, 1) + noise) & 0xFF,
                                        (y * 255 / std::max(height - 1, 1) + noise / 2) & 0xFF,
                                        (x + y) % 64 < 32 ? 230 - noise : 20 + noise));
        }
    }
    return picture;
}

// Writes the picture as a JPEG of the given kind: "420", "422", "440", "444", "grey", "rgb"
// (no YCbCr), "cmyk", "progressive" or "restarts".
bool WriteJpeg(const QImage &picture, const QString &path, const QString &kind)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    const int components = kind == u"grey" ? 1 : kind == u"cmyk" ? 4 : 3;
    cinfo.image_width = JDIMENSION(picture.width());
    cinfo.image_height = JDIMENSION(picture.height());
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    if (kind == u"rgb")
        jpeg_set_colorspace(&cinfo, JCS_RGB);
    if (components == 3) {
        cinfo.comp_info[0].h_samp_factor = kind == u"444" || kind == u"440" || kind == u"rgb" ? 1 : 2;
        cinfo.comp_info[0].v_samp_factor = kind == u"444" || kind == u"422" || kind == u"rgb" ? 1 : 2;
    }
    if (kind == u"progressive")
        jpeg_simple_progression(&cinfo);
    if (kind == u"restarts")
        cinfo.restart_in_rows = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> line(size_t(picture.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const QRgb *pixels = reinterpret_cast<const QRgb *>(picture.constScanLine(int(cinfo.next_scanline)));
        for (int x = 0; x < picture.width(); ++x) {
            const int parts[] = {qRed(pixels[x]), qGreen(pixels[x]), qBlue(pixels[x]), 200 - x % 50};
            for (int i = 0; i < components; ++i)
                line[size_t(x * components + i)] = JSAMPLE(components == 1 ? qGray(pixels[x]) : parts[i]);
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

struct EditorFiles {
    QByteArray html, plain, grid;
};

// What the editor writes after the steps the arguments name, whatever their order: its
// logic, called as its windows call it.
EditorFiles EditorOutput(const QStringList &arguments, const QString &htmlName)
{
    auto value = [&](const char *option, const QString &otherwise = {}) {
        const qsizetype at = arguments.indexOf(QLatin1String(option));
        return at < 0 ? otherwise : arguments[at + 1];
    };
    auto flag = [&](const char *option) { return arguments.contains(QLatin1String(option)); };
    GridSheet sheet;
    if (flag("--grid"))
        LoadSheet(sheet, value("--grid"));
    if (flag("--size")) {
        const QStringList parts = value("--size").split(u'x');
        sheet.SetColumnCount(ReadNumberField(parts[0]).value);
        sheet.SetRowCount(ReadNumberField(parts[1]).value);
    }
    if (flag("--image"))
        ImageToGrid(LoadPicture(value("--image")), value("--block", QStringLiteral("8")), sheet, {});
    HtmlPageSettings settings;
    settings.nearText = value("--near", QStringLiteral("8"));
    settings.backgroundText = value("--bg", QStringLiteral("#FFFFFF"));
    settings.asIs = flag("--as-is");
    settings.pageTitle = PageTitleFromFileTitle(htmlName);
    if (flag("--text")) {
        TextPouringInputs inputs;
        inputs.path = value("--text");
        inputs.mode = flag("--flow") ? LineBreakMode::Flow : LineBreakMode::ByLine;
        inputs.skipBlanks = flag("--skip-spaces");
        inputs.skipBackground = flag("--skip-bg");
        inputs.backgroundText = settings.backgroundText;
        inputs.nearText = settings.nearText;
        PourText(sheet, inputs);
    }
    EditorFiles files{HtmlPage(sheet, settings), PlainText(sheet), {}};
    QBuffer buffer(&files.grid);
    buffer.open(QIODevice::WriteOnly);
    WriteGridFile(buffer, sheet);
    return files;
}

// A poem in code page 932: kanji, kana, half-width letters, blanks and a tab.
QByteArray PoemBytes()
{
    QByteArray bytes;
    for (int line = 0; line < 40; ++line)
        bytes += "\x8f\x74\x89\xc4 spring \x81\x40\x82\xa0" "ab\tc" + QByteArray::number(line) + (line % 3 ? "\r\n" : "\r");
    return bytes;
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString Path(const QString &name) const { return dir_.filePath(name); }

    // Runs the batch with the steps (words split at blanks, '' an empty value) and checks its
    // three files against the editor's; with a decoder named, also that it decoded the picture.
    void CheckSameAsEditor(const QString &steps, const QString &htmlName, const QByteArray &decoder)
    {
        QStringList arguments;
        for (const QString &word : steps.split(u' ', Qt::SkipEmptyParts))
            arguments << (word == u"''" ? QString() : word);
        const QString out = Path(QStringLiteral("out"));
        QDir(out).removeRecursively();
        QVERIFY(QDir().mkpath(out));
        QStringList outputs{QStringLiteral("--html"), QDir(out).filePath(htmlName), QStringLiteral("--plain"),
                            QDir(out).filePath(QStringLiteral("out.txt")), QStringLiteral("--save"),
                            QDir(out).filePath(QStringLiteral("out.grd"))};
        if (!decoder.isEmpty())
            outputs << QStringLiteral("--verbose");
        const RunResult run = RunBatchProgram(arguments + outputs, dir_.path());
        QCOMPARE(run.exitCode, 0);
        if (decoder.isEmpty())
            QCOMPARE(run.err, QByteArray()); // no terminal, so no progress bar either
        else
            QVERIFY2(run.err.contains("decoded by " + decoder), run.err.constData());
        QDir::setCurrent(dir_.path());
        const EditorFiles expected = EditorOutput(arguments, htmlName);
        QCOMPARE(HexBytes(ReadAll(QDir(out).filePath(QStringLiteral("out.grd")))), HexBytes(expected.grid));
        QCOMPARE(ReadAll(QDir(out).filePath(QStringLiteral("out.txt"))), expected.plain);
        QCOMPARE(ReadAll(QDir(out).filePath(htmlName)), expected.html);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(PhotoLike(203, 117, 1).save(Path(QStringLiteral("photo.jpg")), "JPEG", 90));
        QVERIFY(PhotoLike(700, 500, 6).save(Path(QStringLiteral("large.jpg")), "JPEG", 80));
        QVERIFY(PhotoLike(64, 40, 2).save(Path(QStringLiteral("photo.bmp")), "BMP"));
        QImage translucent = PhotoLike(30, 20, 3).convertToFormat(QImage::Format_ARGB32);
        for (int x = 0; x < 30; ++x)
            translucent.setPixel(x, 5, qRgba(255, 0, 0, 0x40));
        QVERIFY(translucent.save(Path(QStringLiteral("alpha.png")), "PNG"));
        QImage gif(33, 21, QImage::Format_Indexed8);
        gif.setColorCount(4);
        for (int i = 0; i < 4; ++i)
            gif.setColor(i, qRgb(i * 80, 255 - i * 60, (i * 97) % 256));
        for (int y = 0; y < gif.height(); ++y)
            for (int x = 0; x < gif.width(); ++x)
                gif.setPixel(x, y, uint((x / 5 + y / 3) % 4));
        QVERIFY(SaveTestGif(gif, Path(QStringLiteral("photo.gif"))));
        WriteTestFile(dir_.path(), QStringLiteral("poem.txt"), PoemBytes());
        WriteTestFile(dir_.path(), QStringLiteral("empty.txt"), QByteArray());
        auto sheet = BuildSheet({{{QStringLiteral("春"), 0x0000FF}, {QStringLiteral("a"), 0x00FF00}},
                                 {{QString(), kWhite}, {QStringLiteral("<>"), 0x123456}}});
        QVERIFY(SaveSheet(*sheet, Path(QStringLiteral("start.grd"))));
    }

    void sameFilesAsTheEditor_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("htmlName");
        const QString poem = QStringLiteral(" --text poem.txt");
        auto row = [](const char *name, const QString &steps, const char *htmlName = "poem.htm") {
            QTest::newRow(name) << steps << QString::fromLatin1(htmlName);
        };
        row("typical course", "--image photo.jpg --block 8 --skip-bg" + poem);
        row("flow, blanks skipped, as-is", "--image photo.jpg --block 5 --flow --skip-spaces --as-is" + poem);
        // Enough cells for the page to be built in several chunks on both threads.
        row("350,000 cells, poured, as-is", "--image large.jpg --block 1 --flow --as-is" + poem);
        row("350,000 cells, background skipped", "--image large.jpg --block 1 --skip-bg --near 40" + poem);
        row("block read as the field", "--image photo.jpg --block 7.5px" + poem);
        row("no block number: every pixel a cell", "--image photo.jpg --block abc");
        row("empty near, lower-case background", "--image photo.jpg --near '' --bg #ffcc99 --skip-bg" + poem);
        row("near 300 merges every row", "--image photo.jpg --block 3 --near 300");
        row("page title cut at the first dot", "--image photo.jpg", "spring.v2.html");
        row("bitmap", "--image photo.bmp --block 2");
        row("gif", "--image photo.gif --block 1");
        row("transparency over white", "--image alpha.png --block 1");
        row("picture narrower than a block", "--image photo.bmp --block 700");
        row("empty sheet, text only", poem);
        row("grid file, resized, empty text", "--grid start.grd --size 3x4 --text empty.txt");
        row("size halves to even, then the picture", "--size 12.5x3.5 --image photo.jpg --block 16");
        row("size zero", "--size 0x0");
    }

    void sameFilesAsTheEditor()
    {
        QFETCH(QString, steps);
        QFETCH(QString, htmlName);
        CheckSameAsEditor(steps, htmlName, {});
    }

    // Every kind of JPEG gives the pixels the editor's decoding gives: block 1 puts each pixel
    // into a cell, odd sizes leave partial blocks and MCUs, and the two threads meet mid-MCU.
    // Files the direct decoder leaves to Qt still come out the same.
    void jpegAsTheEditorDecodesIt_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("block");
        QTest::addColumn<QByteArray>("decoder");
        const QByteArray direct("libjpeg-turbo"), qt("Qt");
        QTest::newRow("4:2:0") << "420" << QSize(301, 203) << "1" << direct;
        QTest::newRow("4:2:0 blocks") << "420" << QSize(301, 203) << "7" << direct;
        QTest::newRow("4:4:4") << "444" << QSize(257, 199) << "1" << direct;
        QTest::newRow("4:2:2") << "422" << QSize(250, 181) << "1" << direct;
        QTest::newRow("4:4:0") << "440" << QSize(190, 171) << "1" << direct;
        QTest::newRow("RGB stored") << "rgb" << QSize(211, 150) << "1" << direct;
        QTest::newRow("grey") << "grey" << QSize(255, 190) << "9" << direct;
        QTest::newRow("progressive") << "progressive" << QSize(240, 210) << "1" << direct;
        QTest::newRow("restart markers") << "restarts" << QSize(222, 180) << "1" << direct;
        QTest::newRow("one column") << "420" << QSize(1, 300) << "1" << direct;
        QTest::newRow("one row") << "420" << QSize(300, 1) << "1" << direct;
        QTest::newRow("one pixel") << "420" << QSize(1, 1) << "8" << direct;
        QTest::newRow("large blocks") << "420" << QSize(640, 480) << "33" << direct;
        QTest::newRow("rotated by its Exif orientation") << "exif" << QSize(120, 90) << "1" << direct;
        QTest::newRow("garbage after the end") << "trailing" << QSize(120, 90) << "1" << direct;
        QTest::newRow("cmyk") << "cmyk" << QSize(120, 90) << "1" << qt;
        QTest::newRow("truncated") << "truncated" << QSize(120, 90) << "1" << qt;
    }

    void jpegAsTheEditorDecodesIt()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        QFETCH(QString, block);
        QFETCH(QByteArray, decoder);
        const QString path = Path(QStringLiteral("kind.jpg"));
        QVERIFY(WriteJpeg(PhotoLike(size.width(), size.height(), quint32(size.width() * 7 + size.height())), path, kind));
        QByteArray bytes = ReadAll(path);
        if (kind == u"exif") { // orientation 6 (turned right) in a minimal little-endian Exif block
            const QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 32);
            bytes.insert(2, QByteArray("\xFF\xE1\0", 3) + char(exif.size() + 2) + exif);
        } else if (kind == u"truncated") {
            bytes.truncate(bytes.size() * 2 / 3);
        } else if (kind == u"trailing") {
            bytes += QByteArray(100, 'x');
        }
        WriteTestFile(dir_.path(), QStringLiteral("kind.jpg"), bytes);
        CheckSameAsEditor(QStringLiteral("--image kind.jpg --block ") + block, QStringLiteral("poem.htm"), decoder);
    }

    void helpExplainsEveryOption()
    {
        QProcess process;
        process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + QStringLiteral("/bin/glyphscape-batch"),
                      {QStringLiteral("--help")});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        const QByteArray help = process.readAllStandardOutput();
        for (const char *option : {"--grid", "--size", "--image", "--block", "--text", "--flow", "--skip-spaces",
                                   "--skip-bg", "--html", "--near", "--bg", "--as-is", "--plain", "--save", "--verbose"})
            QVERIFY2(help.contains(option), option);
    }

    void failuresExplainAndWriteNothing_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        WriteTestFile(dir_.path(), QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0 not really", 16));
        WriteTestFile(dir_.path(), QStringLiteral("broken.grd"), QByteArray("GLYPHGRD but no more"));
        WriteTestFile(dir_.path(), QStringLiteral("utf8.txt"), QByteArray("\xE6\x98\xA5 spring\xFF\r\n"));
        // A bitmap header that promises 10000 x 6000 pixels: refused from the header alone.
        WriteTestFile(dir_.path(), QStringLiteral("huge.bmp"),
                      "BM" + QByteArray::fromHex("360000000000000036000000280000001027000070170000010018000000000000"
                                                 "000000130B0000130B00000000000000000000"));
        auto row = [](const char *name, const char *arguments, int exitCode, const char *message) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << exitCode << QString::fromUtf8(message);
        };
        row("unknown option", "--colour --html failed.htm", 2, "unknown option --colour");
        row("missing value", "--html", 2, "--html needs a value");
        row("stray argument", "photo.jpg --html failed.htm", 2, "unexpected argument");
        row("nothing to write", "--image photo.jpg", 2, "nothing to write");
        row("option twice", "--near=3 --near=4 --html failed.htm", 2, "--near is given twice");
        row("flag with a value", "--as-is=yes --html failed.htm", 2, "--as-is takes no value");
        row("size without x", "--size 80 --html failed.htm", 2, "--size wants");
        row("size in letters", "--size axb --html failed.htm", 2, "--size wants");
        row("flow without text", "--flow --html failed.htm", 2, "--flow needs --text");
        row("block without image", "--block 4 --html failed.htm", 2, "--block needs --image");
        row("one file for two outputs", "--plain failed.htm --html failed.htm", 2, "same file");
        row("missing picture", "--image none.jpg --html failed.htm", 1, "no such picture file");
        row("undecodable picture", "--image broken.jpg --html failed.htm", 1, "cannot read the picture");
        row("grid beyond the sheet", "--image huge.bmp --block 1 --html failed.htm", 1, "60,000,000 cells");
        row("block beyond 32 bits", "--image photo.jpg --block 9e9 --html failed.htm", 1, "--block \"9e9\" lies beyond");
        row("near beyond 32 bits", "--near -9e12 --html failed.htm", 1, "--near \"-9e12\" lies beyond");
        row("size beyond the sheet", "--size 99999x99999 --html failed.htm", 1, "more than the 50,000,000");
        row("size beyond 32 bits", "--size 99999999999x2 --html failed.htm", 1, "beyond the 32-bit range");
        row("missing grid file", "--grid none.grd --html failed.htm", 1, "no such grid file");
        row("corrupt grid file", "--grid broken.grd --html failed.htm", 1, "cannot read the grid file");
        row("missing text", "--text none.txt --html failed.htm", 1, "no such text file");
        row("text in another encoding", "--text utf8.txt --html failed.htm", 1, "not code page 932");
        row("output folder missing", "--html no/such/dir/x.htm", 1, "cannot write the HTML page");
        row("output is a folder", "--save . --html failed.htm", 1, "cannot write the grid file");
        // /proc takes no new files whoever asks: the atomic write itself fails there.
        row("output refused by the file system", "--plain /proc/glyphscape-batch.txt", 1, "cannot write the plain text");
        row("a later output would fail", "--html failed.htm --plain no/such/dir/x.txt", 1, "cannot write the plain text");
    }

    void failuresExplainAndWriteNothing()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString out = Path(QStringLiteral("failed.htm"));
        const RunResult run = RunBatchProgram(arguments.split(u' '), dir_.path());
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.startsWith("glyphscape-batch: ") && run.err.count('\n') == 1 && run.err.endsWith('\n'),
                 run.err.constData());
        QVERIFY2(QString::fromLocal8Bit(run.err).contains(message), run.err.constData());
        QVERIFY(!QFileInfo::exists(out));
        QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("failed*"), QStringLiteral("*~")}), QStringList());
    }

    // A failed run leaves an earlier file of the same name exactly as it was.
    void failedRunKeepsTheOldFile()
    {
        const QString out = WriteTestFile(dir_.path(), QStringLiteral("kept.htm"), QByteArray("old page"));
        const RunResult run = RunBatchProgram(
            {QStringLiteral("--image"), QStringLiteral("broken.jpg"), QStringLiteral("--html"), out}, dir_.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(ReadAll(out), QByteArray("old page"));
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
