// glyphscape-batch: its files byte for byte as the editor's logic writes them.
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "html/HtmlPageWriter.h"
#include "image/ImageToGrid.h"
#include "image/PictureFile.h"
#include "image/TestJpeg.h"
#include "support/logic/TestFiles.h"
#include "text/PlainTextExport.h"
#include "text/TextPouring.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kOutputs {u"spring.v2.htm"_s, u"out.txt"_s, u"out.grd"_s};

// The editor's page, plain text and grid file after the steps the arguments name, by the
// logic its windows call.
QList<QByteArray> editorOutput(const QStringList &arguments)
{
    auto value = [&](const char *option, const char *otherwise = "") {
        const qsizetype at = arguments.indexOf(QLatin1String(option));
        return at < 0 ? QString::fromLatin1(otherwise) : arguments[at + 1];
    };
    auto flag = [&](const char *option) { return arguments.contains(QLatin1String(option)); };
    GridSheet sheet;
    if (flag("--image"))
        imageToGrid(loadPicture(value("--image")), value("--block", "8"), sheet, {});
    const HtmlPageSettings settings {
        value("--near", "8"), value("--bg", "#FFFFFF"), flag("--as-is"), pageTitleFromFileTitle(kOutputs[0])};
    if (flag("--text")) {
        TextPouringInputs inputs {value("--text"), flag("--flow") ? LineBreakMode::Flow : LineBreakMode::ByLine,
            flag("--skip-spaces"), flag("--skip-bg"), settings.backgroundText, settings.nearText};
        if (!arguments.filter(u"--text-encoding"_s).isEmpty())
            inputs.encoding = TextEncoding::Utf8;
        pourText(sheet, inputs);
    }
    const QString grid = u"editor.grd"_s;
    return {htmlPage(sheet, settings), plainText(sheet), saveSheet(sheet, grid) ? readTestFile(grid) : QByteArray()};
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        writeTestFile(dir_.path(), u"420.jpg"_s, jpeg(photoLike(301, 203), u"420"_s));
        writeTestFile(dir_.path(), u"large.jpg"_s, jpeg(photoLike(700, 500), u"420"_s));
        writeTestFile(dir_.path(), u"cmyk.jpg"_s, jpeg(photoLike(120, 90), u"cmyk"_s));
        // Code page 932: kanji, kana, half-width letters, blanks, a tab and both line ends.
        const QByteArray poem = "\x8f\x74\x89\xc4 \x81\x40\x82\xa0"
                                "a\tc1\r\n\x82\xa0 bc\r";
        writeTestFile(dir_.path(), u"poem.txt"_s, poem.repeated(20));
        // UTF-8 with characters that Shift_JIS lacks (é, an emoji).
        writeTestFile(dir_.path(), u"poem-utf8.txt"_s, u"春夏 　あa\tcé😀ｶﾅ\r\n1\n"_s.repeated(20).toUtf8());
        QDir::setCurrent(dir_.path());
    }

    // Steps are words split at blanks, '' an empty value; a decoder named must have decoded the
    // picture, and otherwise stderr stays empty: with no terminal there is no progress bar.
    void sameFilesAsTheEditor_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("decoder");

        QTest::newRow("no near, a background, skip it")
            << u"--image 420.jpg --near '' --bg #ffcc99 --skip-bg --text poem.txt"_s << QString();
        QTest::newRow("many cells on both threads, flow, as is")
            << u"--image large.jpg --block 1 --flow --skip-spaces --as-is --text poem.txt"_s << u"libjpeg-turbo"_s;
        QTest::newRow("CMYK JPEG") << u"--image cmyk.jpg --block 1"_s << u"Qt"_s;
        QTest::newRow("UTF-8") << u"--text-encoding=UTF-8 --text poem-utf8.txt"_s << QString();
    }

    void sameFilesAsTheEditor()
    {
        QFETCH(QString, steps);
        QFETCH(QString, decoder);
        QStringList arguments;
        for (const QString &word : steps.split(u' '))
            arguments << (word == u"''" ? QString() : word);
        for (const QString &file : kOutputs)
            QFile::remove(file);

        QStringList batchArguments = arguments;
        if (!decoder.isEmpty())
            batchArguments << u"--verbose"_s;
        QProcess process;
        process.start(qEnvironmentVariable("GLYPHSCAPE_BINARY_DIR") + "/bin/glyphscape-batch",
            batchArguments << "--html" << kOutputs[0] << "--plain" << kOutputs[1] << "--save" << kOutputs[2]);
        QVERIFY(process.waitForFinished(120000));
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, err);
        if (decoder.isEmpty())
            QCOMPARE(err, QByteArray());
        else
            QVERIFY2(err.contains("decoded by " + decoder.toUtf8()), err);
        const QList<QByteArray> expected = editorOutput(arguments);
        for (qsizetype i = 0; i < kOutputs.size(); ++i)
            QVERIFY2(readTestFile(kOutputs[i]) == expected[i], qPrintable(kOutputs[i]));
    }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
