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
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef GLYPHSCAPE_TEST_JPEG
#include <jpeglib.h>
#endif

namespace {

struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

RunResult RunBatchProgram(const QStringList &arguments, const QString &workDir)
{
    const QString program = qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + QStringLiteral("/bin/glyphscape-batch");
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    RunResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A photo-like picture: smooth gradients, a hard edge and some noise, the same every run.
QImage PhotoLike(int width, int height, quint32 seed)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(24));
            const int red = (x * 255 / std::max(width - 1, 1) + noise) & 0xFF;
            const int green = (y * 255 / std::max(height - 1, 1) + noise / 2) & 0xFF;
            const int blue = (x + y) % 64 < 32 ? 230 - noise : 20 + noise;
            picture.setPixel(x, y, qRgb(red, green, blue));
        }
    }
    return picture;
}

#ifdef GLYPHSCAPE_TEST_JPEG
struct JpegKind {
    int hSampling = 2; // of the luma, against chroma 1x1
    int vSampling = 2;
    bool grey = false;
    bool cmyk = false;
    bool rgbStored = false; // RGB components as they are, no YCbCr
    bool progressive = false;
    int restartRows = 0;
    int quality = 85;
};

bool WriteJpeg(const QImage &picture, const QString &path, const JpegKind &kind)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(picture.width());
    cinfo.image_height = JDIMENSION(picture.height());
    cinfo.input_components = kind.grey ? 1 : kind.cmyk ? 4 : 3;
    cinfo.in_color_space = kind.grey ? JCS_GRAYSCALE : kind.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kind.quality, TRUE);
    if (kind.rgbStored)
        jpeg_set_colorspace(&cinfo, JCS_RGB);
    if (!kind.grey && !kind.cmyk) {
        cinfo.comp_info[0].h_samp_factor = kind.hSampling;
        cinfo.comp_info[0].v_samp_factor = kind.vSampling;
    }
    if (kind.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = kind.restartRows;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> line(size_t(picture.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const QRgb *pixels = reinterpret_cast<const QRgb *>(picture.constScanLine(int(cinfo.next_scanline)));
        for (int x = 0; x < picture.width(); ++x) {
            if (kind.grey) {
                line[size_t(x)] = JSAMPLE(qGray(pixels[x]));
            } else if (kind.cmyk) {
                line[size_t(x) * 4] = JSAMPLE(qRed(pixels[x]));
                line[size_t(x) * 4 + 1] = JSAMPLE(qGreen(pixels[x]));
                line[size_t(x) * 4 + 2] = JSAMPLE(qBlue(pixels[x]));
                line[size_t(x) * 4 + 3] = JSAMPLE(200 - x % 50);
            } else {
                line[size_t(x) * 3] = JSAMPLE(qRed(pixels[x]));
                line[size_t(x) * 3 + 1] = JSAMPLE(qGreen(pixels[x]));
                line[size_t(x) * 3 + 2] = JSAMPLE(qBlue(pixels[x]));
            }
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}
#endif

// What the editor writes after the same steps: its logic, called as its windows call it.
struct EditorFiles {
    QByteArray html, plain, grid;
};

struct Steps {
    QString grid, size, image, block = QStringLiteral("8"), text;
    bool flow = false, skipSpaces = false, skipBackground = false, asIs = false;
    QString nearText = QStringLiteral("8"), background = QStringLiteral("#FFFFFF");
    QString htmlName = QStringLiteral("poem.htm");
};

} // namespace

Q_DECLARE_METATYPE(Steps)

namespace {

EditorFiles EditorOutput(const Steps &steps)
{
    GridSheet sheet;
    if (!steps.grid.isEmpty())
        LoadSheet(sheet, steps.grid);
    if (!steps.size.isEmpty()) {
        const QStringList parts = steps.size.split(u'x');
        sheet.SetColumnCount(ReadNumberField(parts[0]).value);
        sheet.SetRowCount(ReadNumberField(parts[1]).value);
    }
    if (!steps.image.isEmpty())
        ImageToGrid(LoadPicture(steps.image), steps.block, sheet, {});
    if (!steps.text.isEmpty()) {
        TextPouringInputs inputs;
        inputs.path = steps.text;
        inputs.mode = steps.flow ? LineBreakMode::Flow : LineBreakMode::ByLine;
        inputs.skipBlanks = steps.skipSpaces;
        inputs.skipBackground = steps.skipBackground;
        inputs.backgroundText = steps.background;
        inputs.nearText = steps.nearText;
        PourText(sheet, inputs);
    }
    HtmlPageSettings settings;
    settings.nearText = steps.nearText;
    settings.backgroundText = steps.background;
    settings.asIs = steps.asIs;
    settings.pageTitle = PageTitleFromFileTitle(steps.htmlName);
    EditorFiles files;
    files.html = HtmlPage(sheet, settings);
    files.plain = PlainText(sheet);
    QBuffer buffer(&files.grid);
    buffer.open(QIODevice::WriteOnly);
    WriteGridFile(buffer, sheet);
    return files;
}

QStringList BatchArgumentsFor(const Steps &steps, const QString &dir)
{
    QStringList arguments;
    if (!steps.grid.isEmpty())
        arguments << QStringLiteral("--grid") << steps.grid;
    if (!steps.size.isEmpty())
        arguments << QStringLiteral("--size") << steps.size;
    if (!steps.image.isEmpty())
        arguments << QStringLiteral("--image") << steps.image << QStringLiteral("--block") << steps.block;
    if (!steps.text.isEmpty())
        arguments << QStringLiteral("--text") << steps.text;
    if (steps.flow)
        arguments << QStringLiteral("--flow");
    if (steps.skipSpaces)
        arguments << QStringLiteral("--skip-spaces");
    if (steps.skipBackground)
        arguments << QStringLiteral("--skip-bg");
    if (steps.asIs)
        arguments << QStringLiteral("--as-is");
    arguments << QStringLiteral("--near") << steps.nearText << QStringLiteral("--bg") << steps.background;
    arguments << QStringLiteral("--html") << QDir(dir).filePath(steps.htmlName) << QStringLiteral("--plain")
              << QDir(dir).filePath(QStringLiteral("out.txt")) << QStringLiteral("--save")
              << QDir(dir).filePath(QStringLiteral("out.grd"));
    return arguments;
}

// A poem in code page 932: kanji, kana, half-width letters, blanks and a tab.
QByteArray PoemBytes()
{
    QByteArray bytes;
    for (int line = 0; line < 40; ++line) {
        bytes += "\x8f\x74\x89\xc4 spring \x81\x40\x82\xa0" "ab\tc";
        bytes += QByteArray::number(line);
        bytes += line % 3 == 0 ? "\r" : "\r\n";
    }
    return bytes;
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString Path(const QString &name) const { return dir_.filePath(name); }

    // Runs the batch on the steps and checks its three files against the editor's.
    void CheckSameAsEditor(const Steps &steps)
    {
        const QString out = Path(QStringLiteral("out"));
        QDir(out).removeRecursively();
        QVERIFY(QDir().mkpath(out));
        const RunResult run = RunBatchProgram(BatchArgumentsFor(steps, out), dir_.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray()); // no terminal, so no progress bar either
        const EditorFiles expected = EditorOutput(steps);
        QCOMPARE(HexBytes(ReadAll(QDir(out).filePath(QStringLiteral("out.grd")))), HexBytes(expected.grid));
        QCOMPARE(ReadAll(QDir(out).filePath(QStringLiteral("out.txt"))), expected.plain);
        QCOMPARE(ReadAll(QDir(out).filePath(steps.htmlName)), expected.html);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(PhotoLike(203, 117, 1).save(Path(QStringLiteral("photo.jpg")), "JPEG", 90));
        QVERIFY(PhotoLike(64, 40, 2).save(Path(QStringLiteral("photo.bmp")), "BMP"));
        QImage translucent = PhotoLike(30, 20, 3).convertToFormat(QImage::Format_ARGB32);
        for (int x = 0; x < 30; ++x)
            translucent.setPixel(x, 5, qRgba(255, 0, 0, 0x40));
        QVERIFY(translucent.save(Path(QStringLiteral("alpha.png")), "PNG"));
        QImage indexed = PhotoLike(33, 21, 4).convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        QImage gifPicture(indexed.size(), QImage::Format_Indexed8);
        gifPicture.setColorCount(4);
        for (int i = 0; i < 4; ++i)
            gifPicture.setColor(i, qRgb(i * 80, 255 - i * 60, (i * 97) % 256));
        for (int y = 0; y < gifPicture.height(); ++y)
            for (int x = 0; x < gifPicture.width(); ++x)
                gifPicture.setPixel(x, y, uint((x / 5 + y / 3) % 4));
        QVERIFY(SaveTestGif(gifPicture, Path(QStringLiteral("photo.gif"))));
        WriteTestFile(dir_.path(), QStringLiteral("poem.txt"), PoemBytes());
        WriteTestFile(dir_.path(), QStringLiteral("empty.txt"), QByteArray());
        auto sheet = BuildSheet({{{QStringLiteral("春"), 0x0000FF}, {QStringLiteral("a"), 0x00FF00}},
                                 {{QString(), kWhite}, {QStringLiteral("<>"), 0x123456}}});
        QVERIFY(SaveSheet(*sheet, Path(QStringLiteral("start.grd"))));
    }

    void sameFilesAsTheEditor_data()
    {
        QTest::addColumn<Steps>("steps");
        const QString jpg = Path(QStringLiteral("photo.jpg"));
        const QString poem = Path(QStringLiteral("poem.txt"));
        auto steps = [](auto &&set) {
            Steps s;
            set(s);
            return s;
        };
        QTest::newRow("typical course") << steps([&](Steps &s) {
            s.image = jpg, s.text = poem, s.skipBackground = true;
        });
        QTest::newRow("flow, blanks skipped, as-is") << steps([&](Steps &s) {
            s.image = jpg, s.block = QStringLiteral("5"), s.text = poem, s.flow = true, s.skipSpaces = true,
            s.asIs = true;
        });
        QTest::newRow("block text read as the field") << steps([&](Steps &s) {
            s.image = jpg, s.block = QStringLiteral(" 7.5px"), s.text = poem;
        });
        QTest::newRow("block 1, every pixel a cell") << steps([&](Steps &s) {
            s.image = jpg, s.block = QStringLiteral("abc");
        });
        QTest::newRow("empty near, lower-case background") << steps([&](Steps &s) {
            s.image = jpg, s.nearText = QString(), s.background = QStringLiteral("#ffcc99"), s.text = poem,
            s.skipBackground = true;
        });
        QTest::newRow("near 300 merges every row") << steps([&](Steps &s) {
            s.image = jpg, s.block = QStringLiteral("3"), s.nearText = QStringLiteral("300");
        });
        QTest::newRow("page title cut at the first dot") << steps([&](Steps &s) {
            s.image = jpg, s.htmlName = QStringLiteral("spring.v2.html");
        });
        QTest::newRow("bitmap") << steps([&](Steps &s) { s.image = Path(QStringLiteral("photo.bmp")), s.block = QStringLiteral("2"); });
        QTest::newRow("gif") << steps([&](Steps &s) { s.image = Path(QStringLiteral("photo.gif")), s.block = QStringLiteral("1"); });
        QTest::newRow("transparency over white") << steps([&](Steps &s) {
            s.image = Path(QStringLiteral("alpha.png")), s.block = QStringLiteral("1");
        });
        QTest::newRow("picture narrower than a block") << steps([&](Steps &s) {
            s.image = Path(QStringLiteral("photo.bmp")), s.block = QStringLiteral("700");
        });
        QTest::newRow("empty sheet, text only") << steps([&](Steps &s) { s.text = poem; });
        QTest::newRow("grid file, resized, empty text") << steps([&](Steps &s) {
            s.grid = Path(QStringLiteral("start.grd")), s.size = QStringLiteral("3x4"),
            s.text = Path(QStringLiteral("empty.txt"));
        });
        QTest::newRow("size rounds halves to even, then the picture") << steps([&](Steps &s) {
            s.size = QStringLiteral("12.5x3.5"), s.image = jpg, s.block = QStringLiteral("16");
        });
        QTest::newRow("size zero") << steps([&](Steps &s) { s.size = QStringLiteral("0x0"); });
    }

    void sameFilesAsTheEditor()
    {
        QFETCH(Steps, steps);
        CheckSameAsEditor(steps);
    }

#ifdef GLYPHSCAPE_TEST_JPEG
    // Every kind of JPEG must give the pixels the editor's decoding gives: block 1 puts each
    // pixel into a cell of the grid file, and odd sizes leave partial blocks and MCUs.
    void jpegPixelsAsTheEditorDecodesThem_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("hSampling");
        QTest::addColumn<int>("vSampling");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<bool>("rgbStored");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<int>("restartRows");
        QTest::addColumn<QString>("block");
        QTest::newRow("4:2:0") << 301 << 203 << 2 << 2 << false << false << false << 0 << "1";
        QTest::newRow("4:2:0 blocks") << 301 << 203 << 2 << 2 << false << false << false << 0 << "7";
        QTest::newRow("4:4:4") << 257 << 199 << 1 << 1 << false << false << false << 0 << "1";
        QTest::newRow("4:2:2") << 250 << 181 << 2 << 1 << false << false << false << 0 << "1";
        QTest::newRow("4:4:0") << 190 << 171 << 1 << 2 << false << false << false << 0 << "1";
        QTest::newRow("RGB stored") << 211 << 150 << 1 << 1 << false << true << false << 0 << "1";
        QTest::newRow("grey") << 255 << 190 << 1 << 1 << true << false << false << 0 << "1";
        QTest::newRow("grey blocks") << 255 << 190 << 1 << 1 << true << false << false << 0 << "9";
        QTest::newRow("progressive") << 240 << 210 << 2 << 2 << false << false << true << 0 << "1";
        QTest::newRow("restart markers") << 222 << 180 << 2 << 2 << false << false << false << 1 << "1";
        QTest::newRow("tall, one column") << 1 << 300 << 2 << 2 << false << false << false << 0 << "1";
        QTest::newRow("wide, one row") << 300 << 1 << 2 << 2 << false << false << false << 0 << "1";
        QTest::newRow("one pixel") << 1 << 1 << 2 << 2 << false << false << false << 0 << "8";
        QTest::newRow("large blocks") << 640 << 480 << 2 << 2 << false << false << false << 0 << "33";
    }

    void jpegPixelsAsTheEditorDecodesThem()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, hSampling);
        QFETCH(int, vSampling);
        QFETCH(bool, grey);
        QFETCH(bool, rgbStored);
        QFETCH(bool, progressive);
        QFETCH(int, restartRows);
        QFETCH(QString, block);
        JpegKind kind;
        kind.hSampling = hSampling;
        kind.vSampling = vSampling;
        kind.grey = grey;
        kind.rgbStored = rgbStored;
        kind.progressive = progressive;
        kind.restartRows = restartRows;
        const QString path = Path(QStringLiteral("kind.jpg"));
        QVERIFY(WriteJpeg(PhotoLike(width, height, quint32(width * 7 + height)), path, kind));
        Steps steps;
        steps.image = path;
        steps.block = block;
        CheckSameAsEditor(steps);
    }

    // Files the fast decoder leaves to the editor's loading still come out the same.
    void unusualJpegFilesAsTheEditorReadsThem_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("cmyk") << "cmyk";
        QTest::newRow("rotated by its Exif orientation") << "exif";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("garbage after the end") << "trailing";
    }

    void unusualJpegFilesAsTheEditorReadsThem()
    {
        QFETCH(QString, kind);
        const QString path = Path(QStringLiteral("unusual.jpg"));
        JpegKind jpeg;
        jpeg.cmyk = kind == u"cmyk";
        QVERIFY(WriteJpeg(PhotoLike(120, 90, 5), path, jpeg));
        QByteArray bytes = ReadAll(path);
        if (kind == u"exif") {
            // Orientation 6 (turned right) in a minimal little-endian Exif block.
            const QByteArray exif = QByteArray("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 32);
            bytes.insert(2, QByteArray("\xFF\xE1\0", 3) + char(exif.size() + 2) + exif);
        } else if (kind == u"truncated") {
            bytes.truncate(bytes.size() * 2 / 3);
        } else if (kind == u"trailing") {
            bytes += QByteArray(100, 'x');
        }
        WriteTestFile(dir_.path(), QStringLiteral("unusual.jpg"), bytes);
        Steps steps;
        steps.image = path;
        steps.block = QStringLiteral("1");
        CheckSameAsEditor(steps);
    }
#endif

    void helpExplainsEveryOption()
    {
        const RunResult run = RunBatchProgram({QStringLiteral("--help")}, dir_.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        for (const char *option : {"--grid", "--size", "--image", "--block", "--text", "--flow", "--skip-spaces",
                                   "--skip-bg", "--html", "--near", "--bg", "--as-is", "--plain", "--save"})
            QVERIFY2(run.out.contains(option), option);
    }

    void failuresExplainAndWriteNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString jpg = Path(QStringLiteral("photo.jpg"));
        const QString out = Path(QStringLiteral("failed.htm"));
        const QStringList html{QStringLiteral("--html"), out};
        auto with = [&](QStringList arguments) { return arguments + html; };
        WriteTestFile(dir_.path(), QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0 not really", 16));
        WriteTestFile(dir_.path(), QStringLiteral("broken.grd"), QByteArray("GLYPHGRD but no more"));
        WriteTestFile(dir_.path(), QStringLiteral("utf8.txt"), QByteArray("\xE6\x98\xA5 spring\xFF\r\n"));
        // A bitmap header that promises 10000 x 6000 pixels: refused from the header alone.
        QByteArray huge("BM");
        huge += QByteArray::fromHex("36000000" "00000000" "36000000" "28000000" "10270000" "70170000"
                                    "0100" "1800" "00000000" "00000000" "130B0000" "130B0000" "00000000" "00000000");
        WriteTestFile(dir_.path(), QStringLiteral("huge.bmp"), huge);

        QTest::newRow("unknown option") << with({QStringLiteral("--colour")}) << 2 << "unknown option --colour";
        QTest::newRow("missing value") << QStringList{QStringLiteral("--html")} << 2 << "--html needs a value";
        QTest::newRow("stray argument") << with({jpg}) << 2 << "unexpected argument";
        QTest::newRow("nothing to write") << QStringList{QStringLiteral("--image"), jpg} << 2 << "nothing to write";
        QTest::newRow("option twice") << with({QStringLiteral("--near=3"), QStringLiteral("--near=4")}) << 2
                                      << "--near is given twice";
        QTest::newRow("flag with a value") << with({QStringLiteral("--as-is=yes")}) << 2 << "--as-is takes no value";
        QTest::newRow("size without x") << with({QStringLiteral("--size"), QStringLiteral("80")}) << 2 << "--size wants";
        QTest::newRow("size with letters") << with({QStringLiteral("--size"), QStringLiteral("axb")}) << 2
                                           << "--size wants";
        QTest::newRow("flow without text") << with({QStringLiteral("--flow")}) << 2 << "--flow needs --text";
        QTest::newRow("block without image") << with({QStringLiteral("--block"), QStringLiteral("4")}) << 2
                                             << "--block needs --image";
        QTest::newRow("one file for two outputs") << with({QStringLiteral("--plain"), out}) << 2 << "same file";
        QTest::newRow("missing picture") << with({QStringLiteral("--image"), Path(QStringLiteral("none.jpg"))}) << 1
                                         << "no such picture file";
        QTest::newRow("folder as picture") << with({QStringLiteral("--image"), dir_.path()}) << 1
                                           << "no such picture file";
        QTest::newRow("undecodable picture") << with({QStringLiteral("--image"), Path(QStringLiteral("broken.jpg"))})
                                             << 1 << "cannot read the picture";
        QTest::newRow("grid beyond the sheet") << with({QStringLiteral("--image"), Path(QStringLiteral("huge.bmp")),
                                                        QStringLiteral("--block"), QStringLiteral("1")})
                                               << 1 << "60,000,000 cells";
        QTest::newRow("block beyond 32 bits") << with({QStringLiteral("--image"), jpg, QStringLiteral("--block"),
                                                       QStringLiteral("9e9")})
                                              << 1 << "--block \"9e9\" lies beyond";
        QTest::newRow("near beyond 32 bits") << with({QStringLiteral("--near"), QStringLiteral("-9e12")}) << 1
                                             << "--near \"-9e12\" lies beyond";
        QTest::newRow("size beyond the sheet") << with({QStringLiteral("--size"), QStringLiteral("99999x99999")}) << 1
                                               << "more than the 50,000,000";
        QTest::newRow("size beyond 32 bits") << with({QStringLiteral("--size"), QStringLiteral("99999999999x2")}) << 1
                                             << "beyond the 32-bit range";
        QTest::newRow("missing grid file") << with({QStringLiteral("--grid"), Path(QStringLiteral("none.grd"))}) << 1
                                           << "no such grid file";
        QTest::newRow("corrupt grid file") << with({QStringLiteral("--grid"), Path(QStringLiteral("broken.grd"))})
                                           << 1 << "cannot read the grid file";
        QTest::newRow("missing text") << with({QStringLiteral("--text"), Path(QStringLiteral("none.txt"))}) << 1
                                      << "no such text file";
        QTest::newRow("empty text path") << with({QStringLiteral("--text"), QString()}) << 1 << "--text: no file";
        QTest::newRow("text in another encoding")
            << with({QStringLiteral("--text"), Path(QStringLiteral("utf8.txt"))}) << 1 << "not code page 932";
        QTest::newRow("output folder missing")
            << QStringList{QStringLiteral("--html"), Path(QStringLiteral("no/such/dir/x.htm"))} << 1
            << "cannot write the HTML page";
        QTest::newRow("output is a folder") << QStringList{QStringLiteral("--save"), dir_.path()} << 1
                                            << "cannot write the grid file";
        QTest::newRow("second output fails first")
            << with({QStringLiteral("--plain"), Path(QStringLiteral("no/such/dir/x.txt"))}) << 1
            << "cannot write the plain text";
    }

    void failuresExplainAndWriteNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString out = Path(QStringLiteral("failed.htm"));
        QFile::remove(out);
        const RunResult run = RunBatchProgram(arguments, dir_.path());
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.startsWith("glyphscape-batch: "), run.err.constData());
        QVERIFY2(run.err.endsWith('\n') && run.err.count('\n') == 1, run.err.constData());
        QVERIFY2(QString::fromLocal8Bit(run.err).contains(message), run.err.constData());
        QVERIFY(!QFileInfo::exists(out));
        QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("*.tmp"), QStringLiteral("*~")}, QDir::Files),
                 QStringList());
    }

    // A failed run leaves an earlier file of the same name exactly as it was.
    void failedRunKeepsTheOldFile()
    {
        const QString out = WriteTestFile(dir_.path(), QStringLiteral("kept.htm"), QByteArray("old page"));
        const RunResult run = RunBatchProgram({QStringLiteral("--image"), Path(QStringLiteral("broken.jpg")),
                                               QStringLiteral("--html"), out},
                                              dir_.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(ReadAll(out), QByteArray("old page"));
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
