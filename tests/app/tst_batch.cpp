// glyphscape-batch: its files byte for byte as the editor's logic writes them, how it fails, its faster paths.
#include "core/GridSheet.h"
#include "document/Document.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "image/TestJpeg.h"
#include "support/logic/TestFiles.h"
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
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QStringList kOutputs {QStringLiteral("spring.v2.htm"), QStringLiteral("out.txt"), QStringLiteral("out.grd")};

// The page, plain text and grid file the editor writes of a sheet.
QList<QByteArray> editorFiles(const GridSheet &sheet, const HtmlPageSettings &settings)
{
    const QString grid = QStringLiteral("editor.grd");
    return {htmlPage(sheet, settings), plainText(sheet), saveSheet(sheet, grid) ? readTestFile(grid) : QByteArray()};
}

// The editor's files after the steps the arguments name: its logic, called as its windows call it.
QList<QByteArray> editorOutput(const QStringList &arguments)
{
    auto value = [&](const char *option, const char *otherwise = "") {
        const qsizetype at = arguments.indexOf(QLatin1String(option));
        return at < 0 ? QString::fromLatin1(otherwise) : arguments[at + 1];
    };
    auto flag = [&](const char *option) { return arguments.contains(QLatin1String(option)); };
    Document document;
    GridSheet &sheet = document.sheet();
    if (flag("--size")) {
        FakeDialogs dialogs;
        GridSizeDialog setting(document, dialogs, nullptr);
        findControl<QLineEdit>(setting, "txtMaxCol")->setText(value("--size").section(u'x', 0, 0));
        findControl<QLineEdit>(setting, "txtMaxRow")->setText(value("--size").section(u'x', 1));
        QTest::mouseClick(findControl<QPushButton>(setting, "btnOK"), Qt::LeftButton);
        if (!dialogs.messages.isEmpty())
            return {};
    }
    if (flag("--image"))
        imageToGrid(loadPicture(value("--image")), value("--block", "8"), sheet, {});
    const HtmlPageSettings settings {
        value("--near", "8"), value("--bg", "#FFFFFF"), flag("--as-is"), pageTitleFromFileTitle(kOutputs[0])};
    if (flag("--text")) {
        TextPouringInputs inputs {value("--text"), flag("--flow") ? LineBreakMode::Flow : LineBreakMode::ByLine,
            flag("--skip-spaces"), flag("--skip-bg"), settings.backgroundText, settings.nearText};
        // As chosen in Import Text, where a byte order mark still makes the file UTF-8.
        if (!arguments.filter(QStringLiteral("--text-encoding")).isEmpty())
            inputs.encoding = TextEncoding::Utf8;
        pourText(sheet, inputs);
    }
    return editorFiles(sheet, settings);
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString pathOf(const QString &name) const { return dir_.filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) { return writeTestFile(dir_.path(), name, bytes); }

    // The exit status (-1 for a crash or a hang), stdout and stderr.
    std::tuple<int, QByteArray, QByteArray> run(const QStringList &arguments)
    {
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + "/bin/glyphscape-batch", arguments);
        const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
        return {ended ? process.exitCode() : -1, process.readAllStandardOutput(), process.readAllStandardError()};
    }

    // Runs with the page, plain text and grid file asked for, older ones removed first.
    std::tuple<int, QByteArray, QByteArray> runWithOutputs(QStringList arguments)
    {
        for (const QString &file : kOutputs)
            QFile::remove(pathOf(file));
        return run(arguments << "--html" << kOutputs[0] << "--plain" << kOutputs[1] << "--save" << kOutputs[2]);
    }

    // The first output that differs from the editor's, or "" when all three match.
    QString differingOutput(const QList<QByteArray> &expected) const
    {
        for (qsizetype i = 0; i < kOutputs.size(); ++i) {
            if (expected.size() != kOutputs.size() || readTestFile(pathOf(kOutputs[i])) != expected[i])
                return kOutputs[i];
        }
        return QString();
    }

private slots:
    void initTestCase()
    {
        write(QStringLiteral("420.jpg"), jpeg(photoLike(301, 203), QStringLiteral("420")));
        write(QStringLiteral("large.jpg"), jpeg(photoLike(700, 500), QStringLiteral("420")));
        write(QStringLiteral("cmyk.jpg"), jpeg(photoLike(120, 90), QStringLiteral("cmyk")));
        QVERIFY(photoLike(64, 40).save(pathOf(QStringLiteral("photo.bmp")), "BMP"));
        // Code page 932: kanji, kana, half-width letters, blanks, a tab and both line ends.
        QByteArray poem;
        for (int line = 0; line < 40; ++line)
            poem += "\x8f\x74\x89\xc4 \x81\x40\x82\xa0"
                    "a\tc"
                + QByteArray::number(line) + (line % 3 ? "\r\n" : "\r");
        write(QStringLiteral("poem.txt"), poem);
        // UTF-8 with characters that Shift_JIS lacks (é, an emoji).
        QString utf8Poem;
        for (int line = 0; line < 40; ++line)
            utf8Poem += u"春夏 　あa\tcé😀ｶﾅ"_s + QString::number(line) + (line % 3 ? u"\r\n"_s : u"\n"_s);
        write(QStringLiteral("poem-utf8.txt"), utf8Poem.toUtf8());
        write(QStringLiteral("poem-bom.txt"), "\xEF\xBB\xBF" + utf8Poem.toUtf8());
    }

    // Steps are words split at blanks, '' an empty value; a decoder named must have decoded the picture,
    // and otherwise stderr stays empty: with no terminal there is no progress bar.
    void sameFilesAsTheEditor_data()
    {
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<QByteArray>("decoder");

        QTest::newRow("no near, a background, skip it")
            << QByteArray("--image 420.jpg --near '' --bg #ffcc99 --skip-bg --text poem.txt") << QByteArray();
        QTest::newRow("flow, as is") << QByteArray(
            "--image 420.jpg --block 7.5px --flow --skip-spaces --as-is --text poem.txt")
                                     << QByteArray();
        QTest::newRow("many cells on both threads")
            << QByteArray("--image large.jpg --block 1 --flow --as-is --text poem.txt") << QByteArray("libjpeg-turbo");
        QTest::newRow("size, then a picture")
            << QByteArray("--size 12.5x3.5 --image 420.jpg --block 16") << QByteArray();
        QTest::newRow("bitmap") << QByteArray("--image photo.bmp --block 700") << QByteArray();
        QTest::newRow("CMYK JPEG") << QByteArray("--image cmyk.jpg --block 1") << QByteArray("Qt");
        QTest::newRow("UTF-8") << QByteArray("--text-encoding=UTF-8 --text poem-utf8.txt") << QByteArray();
        QTest::newRow("byte order mark") << QByteArray("--text poem-bom.txt") << QByteArray();
        QTest::newRow("byte order mark, UTF-8 given")
            << QByteArray("--text-encoding utf8 --text poem-bom.txt") << QByteArray();
    }

    void sameFilesAsTheEditor()
    {
        QFETCH(QByteArray, steps);
        QFETCH(QByteArray, decoder);
        QStringList arguments;
        for (const QString &word : QString::fromUtf8(steps).split(u' '))
            arguments << (word == u"''" ? QString() : word);
        const auto [exitCode, out, err]
            = runWithOutputs(decoder.isEmpty() ? arguments : arguments + QStringList {"--verbose"});
        QCOMPARE(exitCode, 0);
        if (decoder.isEmpty())
            QCOMPARE(err, QByteArray());
        else
            QVERIFY2(err.contains("decoded by " + decoder), err);
        QDir::setCurrent(dir_.path());
        QCOMPARE(differingOutput(editorOutput(arguments)), QString());
    }

    // Each failure: its exit status, one message line, no file written, an older file kept as it was.
    void failuresExplainAndWriteNothing_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown option") << u"--colour --html f.htm"_s << 2 << u"unknown option --colour"_s;
        QTest::newRow("option without a value") << u"--html"_s << 2 << u"--html needs a value"_s;
        QTest::newRow("loose argument") << u"photo.bmp --html f.htm"_s << 2 << u"unexpected argument"_s;
        QTest::newRow("no output") << u"--image photo.bmp"_s << 2 << u"nothing to write"_s;
        QTest::newRow("size unread") << u"--size axb --html f.htm"_s << 2 << u"--size wants"_s;
        QTest::newRow("flow without text") << u"--flow --html f.htm"_s << 2 << u"--flow needs --text"_s;
        QTest::newRow("unknown encoding") << u"--text poem.txt --text-encoding latin1 --html f.htm"_s << 2
                                          << u"--text-encoding wants shift_jis or utf-8, not \"latin1\""_s;
        QTest::newRow("Shift_JIS read as UTF-8")
            << u"--text poem.txt --text-encoding utf-8 --html f.htm"_s << 1 << u"is not UTF-8 text"_s;
        QTest::newRow("Shift_JIS given over the byte order mark")
            << u"--text poem-bom.txt --text-encoding shift_jis --html f.htm"_s << 1 << u"is not code page 932"_s;
        QTest::newRow("block beyond 32 bits")
            << u"--image 420.jpg --block 9e9 --html f.htm"_s << 1 << u"--block \"9e9\" lies beyond"_s;
        QTest::newRow("size beyond the sheet")
            << u"--size 99999x99999 --html f.htm"_s << 1 << u"more than the 50,000,000"_s;
    }

    void failuresExplainAndWriteNothing()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString kept = write(QStringLiteral("kept.htm"), QByteArray("old page"));
        const auto [exited, out, err] = run(arguments.split(u' '));
        QCOMPARE(exited, exitCode);
        QVERIFY2(err.startsWith("glyphscape-batch: "), err);
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.endsWith('\n'), err);
        QVERIFY2(QString::fromLocal8Bit(err).contains(message), err);
        QCOMPARE(QDir(dir_.path()).entryList({"f.*", "*~"}), QStringList());
        QCOMPARE(readTestFile(kept), QByteArray("old page"));
    }

    // The page written on two threads against one, for sheets large enough for several chunks
    // on each thread, with every kind of cell text.
    void pageOnTwoThreadsAsOnOne_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("asIs");
        QTest::addColumn<int>("near");

        QTest::newRow("empty sheet") << 0 << 0 << false << 8;
        QTest::newRow("700 x 1300, as is, near 40") << 700 << 1300 << true << 40;
        QTest::newRow("one long row") << 300000 << 1 << false << 8;
    }

    void pageOnTwoThreadsAsOnOne()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(bool, asIs);
        QFETCH(int, near);
        const char *texts[] = {"", "", "", "", " ", "  ", "春", "<", "\t", "　", "long text", "&\"é"};
        GridSheet sheet(columns, rows);
        QRandomGenerator random(quint32(columns + rows));
        for (int row = 1; row <= rows; ++row) {
            for (int column = 1; column <= columns; ++column) {
                const quint32 n = random.generate();
                sheet.setCellColors(column, row, n % 4 ? Color(n >> 8) : kWhite, kBlack);
                sheet.setCellText(column, row, QString::fromUtf8(texts[(n >> 4) % std::size(texts)]));
            }
        }
        const HtmlPageSettings settings {QString::number(near), QStringLiteral("#FFFFFF"), asIs, "page"};
        QBuffer page;
        page.open(QIODevice::WriteOnly);
        writeHtmlPageOnTwoThreads(page, sheet, settings);
        QVERIFY(page.data() == htmlPage(sheet, settings));
    }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
