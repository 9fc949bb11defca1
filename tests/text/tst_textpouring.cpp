// Pouring text files into sheets, checked cell by cell in both line-break modes, with the
// file read whole and a few bytes at a time so that lines and characters cross reads.
#include "core/Cp932.h"
#include "support/logic/SheetBuilder.h"
#include "text/TextPouring.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Hands out at most `step` bytes a read.
struct TricklingDevice : QBuffer {
    TricklingDevice(const QByteArray &bytes, qint64 step)
        : step(step)
    {
        setData(bytes);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 readData(char *data, qint64 maxSize) override { return QBuffer::readData(data, std::min(maxSize, step)); }
    const qint64 step;
};

// Rows joined by "/", cells by "|".
QString sheetTexts(const GridSheet &sheet)
{
    QStringList rows;
    for (int row = 1; row <= sheet.rowCount(); ++row) {
        QStringList cells;
        for (int column = 1; column <= sheet.columnCount(); ++column)
            cells << sheet.getCellText(column, row);
        rows << cells.join(u'|');
    }
    return rows.join(u'/');
}

// A sheet of the shape, one letter a cell and rows split by "/"; every text "Q".
std::unique_ptr<GridSheet> sheetOf(const QString &shape)
{
    const QStringList rows = shape.split(u'/');
    auto sheet = std::make_unique<GridSheet>(int(rows[0].size()), int(rows.size()));
    for (int row = 1; row <= sheet->rowCount(); ++row) {
        for (int column = 1; column <= sheet->columnCount(); ++column)
            sheet->setCellText(column, row, QStringLiteral("Q"));
    }
    return sheet;
}

} // namespace

class TestTextPouring : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString fileWith(const QByteArray &bytes) { return writeTestFile(dir_.path(), QStringLiteral("poem.txt"), bytes); }
    static QByteArray sjis(QStringView text) { return Cp932::encode(text, Cp932::Unencodable::QuestionMark); }

    // Opens the file itself, or with step > 0 hands out its bytes that many a read.
    static auto opener(const QByteArray &file, qint64 step)
    {
        return [file, step](const QString &path, FileKinds kinds, OpenFailure *failure) -> std::unique_ptr<QIODevice> {
            return step ? std::make_unique<TricklingDevice>(file, step) : openTextFile(path, kinds, failure);
        };
    }

private slots:
    // Each file is examined for the UTF-8 question as well. Options: "flow", "utf8" (read as
    // UTF-8), "marked sjis" (Shift_JIS even after a byte order mark). The background skip and
    // blank removal are steered from the import window, tested there.
    void pour_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<qint64>("badLine"); // of the first ill-formed UTF-8, 0 for none

        QTest::newRow("worked example") << QByteArray("\x8F\x74\x61\x62 c\r\nxyz") << u"WWWW/WWWW"_s << u""_s
                                        << u"春|ab| c|/xy|z||"_s << qint64(1);
        QTest::newRow("worked example, flow") << QByteArray("\x8F\x74\x61\x62 c\r\nxyz") << u"WWWW/WWWW"_s << u"flow"_s
                                              << u"春|ab| c|xy/z|||"_s << qint64(1);
        QTest::newRow("tabs") << QByteArray(sjis(u"\tx\r\n\t\tx\r\n\t春\r\nab\t")) << u"WW/WW/WW/WW"_s << u""_s
                              << u" x|/|x/ |春/ab|\t"_s << qint64(3);
        QTest::newRow("by line, overflow") << QByteArray(sjis(u"ab春c\r\nあいう\r\nxyz\r\nq")) << u"WW/WW/WW"_s << u""_s
                                           << u"ab|春/あ|い/xy|z"_s << qint64(1);
        QTest::newRow("flow, overflow") << QByteArray(sjis(u"a\r\n\r\nb春\r\nあいう\r\nxyz")) << u"WW/WW/WW"_s
                                        << u"flow"_s << u"a|b/春|あ/い|う"_s << qint64(3);
        QTest::newRow("no columns") << QByteArray(sjis(u"春夏\r\nab")) << u"//"_s << u""_s << u"//"_s << qint64(1);
        QTest::newRow("CR, LF, CR CR LF and LF CR end lines")
            << QByteArray("a\rb\nc\r\r\nd\n\r\x8F\x74") << u"W/W/W/W/W/W/W"_s << u""_s << u"a/b/c//d//春"_s
            << qint64(7);
        QTest::newRow("invalid bytes") << QByteArray("\x85\x40x\r\na\x88\r\nb") << u"WW/WW/WW"_s << u""_s
                                       << u"\uFFFD|x/a|\uFFFD/b|"_s << qint64(1);
        QTest::newRow("UTF-8 ill-formed")
            << QByteArray("\xE6\x98x\r\n\xF0\x9F\x98") << u"WW/WW"_s << u"utf8"_s << u"\uFFFD|x/\uFFFD|"_s << qint64(1);
        QTest::newRow("UTF-8 ill-formed: overlong, surrogate, beyond U+10FFFF, stray")
            << "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xA5"_ba << u"WWWWWWWWWW"_s << u"utf8"_s
            << QStringList(10, u"\uFFFD"_s).join(u'|') << qint64(1);
        // Characters of two, three and four bytes, up to the highest code point.
        QTest::newRow("byte order mark chooses UTF-8") << "\xEF\xBB\xBF"_ba + u"aé春😀\U0010FFFF"_s.toUtf8()
                                                       << u"WWWWW"_s << u""_s << u"a|é|春|😀|\U0010FFFF"_s << qint64(0);
        QTest::newRow("byte order mark read as Shift_JIS")
            << "\xEF\xBB\xBF"_ba + sjis(u"春") << u"WWW"_s << u"marked sjis"_s << u"\uFFFD|\uFF7F|春"_s << qint64(1);
    }

    void pour()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, shape);
        QFETCH(QString, options);
        QFETCH(QString, texts);
        QFETCH(qint64, badLine);

        TextPouringInputs inputs {
            fileWith(file), options.contains(u"flow") ? LineBreakMode::Flow : LineBreakMode::ByLine};
        inputs.encoding = options.contains(u"utf8") ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
        inputs.byteOrderMarkChooses = !options.contains(u"marked sjis");
        for (qint64 step : {0, 1, 3}) {
            const auto sheet = sheetOf(shape);
            const TextPouringResult result = pourText(*sheet, inputs, opener(file, step));
            const QString label = QStringLiteral("%1 bytes a read: ").arg(step);
            QCOMPARE(label + sheetTexts(*sheet), label + texts);
            QCOMPARE(result.outcome, TextPouringOutcome::Done);
            QCOMPARE(result.invalidBytes, texts.count(QChar(0xFFFD)));
            TextFileTraits seen; // a character across two reads is no ill-formed UTF-8
            QCOMPARE(examineTextFile(inputs, &seen, opener(file, step)).outcome, TextPouringOutcome::Done);
            QCOMPARE(seen.firstInvalidUtf8Line, badLine);
        }
    }

    // A sheet of no rows has nowhere to put the text, in either mode, and must not wait for room.
    void rowlessSheet()
    {
        GridSheet rowless(3, 0);
        QVERIFY(pourText(rowless, {fileWith("ab")}).done());
        QVERIFY(pourText(rowless, {fileWith("ab"), LineBreakMode::Flow}).done());
    }
};

QTEST_GUILESS_MAIN(TestTextPouring)
#include "tst_textpouring.moc"
