// Pouring text files into sheets, checked cell by cell in both line-break modes, with the
// file read whole and a few bytes at a time so that lines and characters cross reads.
#include "core/Cp932.h"
#include "support/logic/FilledPipe.h"
#include "support/logic/SheetBuilder.h"
#include "text/TextPouring.h"

#include <QtTest>

using namespace Qt::StringLiterals;

#include <unistd.h>

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

// One letter a cell, rows split by "/": White, Red, Near-white (6 below white); every text "Q".
std::unique_ptr<GridSheet> sheetOf(const QString &colours)
{
    const QStringList rows = colours.split(u'/');
    auto sheet = std::make_unique<GridSheet>(int(rows[0].size()), int(rows.size()));
    for (int row = 1; row <= sheet->rowCount(); ++row)
        for (int column = 1; column <= sheet->columnCount(); ++column) {
            const QChar letter = rows[row - 1][column - 1];
            sheet->setCellColors(column, row, letter == u'R' ? 0x0000FF : letter == u'N' ? 0xF9F9F9 : kWhite, 0);
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
    // Options: "flow", "blanks" (blank removal), "back" (background skip), "utf8" (read as UTF-8),
    // "marked sjis" (Shift_JIS even after a byte order mark), then "near=" and the distance.
    void pour_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("colours");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("texts");

        QTest::newRow("worked example") << QByteArray("\x8F\x74\x61\x62 c\r\nxyz") << u"WWWW/WWWW"_s << u""_s
                                        << u"春|ab| c|/xy|z||"_s;
        QTest::newRow("worked example, flow")
            << QByteArray("\x8F\x74\x61\x62 c\r\nxyz") << u"WWWW/WWWW"_s << u"flow"_s << u"春|ab| c|xy/z|||"_s;
        QTest::newRow("blank removal") << QByteArray(sjis(u"a　b\r\na\tb\t\r\n \t　\r\nx")) << u"WW/WW/WW/WW"_s
                                       << u"blanks"_s << u"ab|/ab|/|/x|"_s;
        QTest::newRow("tabs") << QByteArray(sjis(u"\tx\r\n\t\tx\r\n\t春\r\nab\t")) << u"WW/WW/WW/WW"_s << u""_s
                              << u" x|/|x/ |春/ab|\t"_s;
        QTest::newRow("by line, overflow")
            << QByteArray(sjis(u"ab春\r\nあいう\r\nxyz\r\nq")) << u"WW/WW/WW"_s << u""_s << u"ab|春/あ|い/xy|z"_s;
        QTest::newRow("flow, overflow") << QByteArray(sjis(u"a\r\n\r\nb春\r\nあいう\r\nxyz")) << u"WW/WW/WW"_s
                                        << u"flow"_s << u"a|b/春|あ/い|う"_s;
        QTest::newRow("empty file clears every text") << QByteArray("") << u"WW/WW"_s << u""_s << u"|/|"_s;
        QTest::newRow("no columns") << QByteArray(sjis(u"春夏\r\nab")) << u"//"_s << u""_s << u"//"_s;
        QTest::newRow("CR, LF, CR CR LF and LF CR end lines")
            << QByteArray("a\rb\nc\r\r\nd\n\re") << u"W/W/W/W/W/W/W"_s << u""_s << u"a/b/c//d//e"_s;
        QTest::newRow("invalid bytes") << QByteArray("\x85\x40x\r\na\x88\r\nb") << u"WW/WW/WW"_s << u""_s
                                       << u"\uFFFD|x/a|\uFFFD/b|"_s;
        QTest::newRow("background skip") << QByteArray(sjis(u"春夏秋\r\nabc")) << u"NRWR/WRWR"_s << u"back near=8"_s
                                         << u"|春||夏/|ab||c"_s;
        QTest::newRow("background skip, flow")
            << QByteArray(sjis(u"春夏秋\r\nabc")) << u"WRWR/WWRW"_s << u"back flow near=8"_s << u"|春||夏/||秋|"_s;
        // An emoji is one full-width character.
        QTest::newRow("UTF-8") << u"春a\r\nbc😀\r\nｱｲ"_s.toUtf8() << u"WW/WW/WW"_s << u"utf8"_s << u"春|a/bc|😀/ｱｲ|"_s;
        QTest::newRow("UTF-8 ill-formed")
            << QByteArray("\xE6\x98x\r\n\xF0\x9F\x98") << u"WW/WW"_s << u"utf8"_s << u"\uFFFD|x/\uFFFD|"_s;
        QTest::newRow("byte order mark chooses UTF-8")
            << "\xEF\xBB\xBF"_ba + u"春a"_s.toUtf8() << u"WW"_s << u""_s << u"春|a"_s;
        QTest::newRow("byte order mark dropped from UTF-8")
            << "\xEF\xBB\xBF\r\nab"_ba << u"W/W"_s << u"utf8"_s << u"/ab"_s;
        QTest::newRow("byte order mark read as Shift_JIS")
            << "\xEF\xBB\xBF"_ba + sjis(u"春") << u"WWW"_s << u"marked sjis"_s << u"\uFFFD|\uFF7F|春"_s;
        QTest::newRow("byte order mark later is a character")
            << u"a\uFEFF"_s.toUtf8() << u"WW"_s << u"utf8"_s << u"a|\uFEFF"_s;
    }

    void pour()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, colours);
        QFETCH(QString, options);
        QFETCH(QString, texts);

        TextPouringInputs inputs {fileWith(file),
            options.contains(u"flow") ? LineBreakMode::Flow : LineBreakMode::ByLine, options.contains(u"blanks"),
            options.contains(u"back"), QStringLiteral("#FFFFFF"), options.section(u'=', 1)};
        inputs.encoding = options.contains(u"utf8") ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
        inputs.byteOrderMarkChooses = !options.contains(u"marked sjis");
        for (qint64 step : {0, 1, 3}) {
            const auto sheet = sheetOf(colours);
            const TextPouringResult result = pourText(*sheet, inputs, opener(file, step));
            const QString label = QStringLiteral("%1 bytes a read: ").arg(step);
            QCOMPARE(label + sheetTexts(*sheet), label + texts);
            QCOMPARE(result.outcome, TextPouringOutcome::Done);
            QCOMPARE(result.invalidBytes, texts.count(QChar(0xFFFD)));
        }
    }

    // Traits: byte order mark, valid UTF-8, beyond ASCII, the line of the first ill-formed sequence.
    void examine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("traits");

        QTest::newRow("empty") << QByteArray() << u"0 1 0 0"_s;
        QTest::newRow("UTF-8 that is Shift_JIS too") << u"春はあけぼの"_s.toUtf8() << u"0 1 1 0"_s;
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF"_ba << u"1 1 1 0"_s;
        QTest::newRow("byte order mark, then Shift_JIS") << "\xEF\xBB\xBF\x8F\x74"_ba << u"1 0 1 1"_s;
        QTest::newRow("Shift_JIS on line 4") << "a\r\nb\rc\n\xE6\x98\xA5\x8F\x74\r\n"_ba << u"0 0 1 4"_s;
        QTest::newRow("cut short at the end") << "a\n\nb\xE6\x98"_ba << u"0 0 1 3"_s;
        QTest::newRow("cut short by a line end") << "\xE6\x98\r\n"_ba << u"0 0 1 1"_s;
    }

    void examine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, traits);

        for (qint64 step : {0, 1, 3}) {
            TextFileTraits seen;
            const TextPouringResult result = examineTextFile({fileWith(file)}, &seen, opener(file, step));
            QCOMPARE(result.outcome, TextPouringOutcome::Done);
            const QString label = QStringLiteral("%1 bytes a read: ").arg(step);
            QCOMPARE(label
                    + QStringLiteral("%1 %2 %3 %4")
                          .arg(seen.byteOrderMark)
                          .arg(seen.validUtf8)
                          .arg(seen.nonAscii)
                          .arg(seen.firstInvalidUtf8Line),
                label + traits);
        }
    }

    void rowlessSheetAndVanishingFile()
    {
        GridSheet rowless(3, 0);
        QVERIFY(pourText(rowless, {fileWith("ab")}).done()
            && pourText(rowless, {fileWith("ab"), LineBreakMode::Flow}).done());
        const auto sheet = sheetOf(QStringLiteral("WW"));
        const TextPouringResult result
            = pourText(*sheet, {fileWith("ab")}, [](const QString &path, FileKinds kinds, OpenFailure *failure) {
                  QFile::remove(path); // gone between the check and the opening
                  return openTextFile(path, kinds, failure);
              });
        QCOMPARE(result.outcome, TextPouringOutcome::OpenFailed);
        QCOMPARE(result.open.error, OpenError::System);
        QVERIFY(!result.open.systemReason.isEmpty());
        QCOMPARE(sheetTexts(*sheet), QStringLiteral("Q|Q"));
    }

    // The batch pours from a pipe; the editor's choice of regular files only reaches the opening.
    void pipesAndDevices_data()
    {
        QTest::addColumn<QString>("source"); // "pipe" or "folder"
        QTest::addColumn<FileKinds>("kinds");
        QTest::addColumn<TextPouringOutcome>("outcome");
        QTest::addColumn<QString>("texts");

        const FileKinds regular = FileKinds::RegularOnly, any = FileKinds::AnyReadable;
        QTest::newRow("pipe") << "pipe" << any << TextPouringOutcome::Done << "ab|";
        QTest::newRow("pipe, regular only") << "pipe" << regular << TextPouringOutcome::OpenFailed << "Q|Q";
        QTest::newRow("folder") << "folder" << any << TextPouringOutcome::NoFile << "Q|Q";
    }

    void pipesAndDevices()
    {
        QFETCH(QString, source);
        QFETCH(FileKinds, kinds);
        QFETCH(TextPouringOutcome, outcome);
        QFETCH(QString, texts);
        const FilledPipe pipe("ab");
        QVERIFY(pipe.ok());
        TextPouringInputs inputs;
        inputs.path = source == "pipe" ? pipe.path() : dir_.path();
        inputs.files = kinds;
        const auto sheet = sheetOf(QStringLiteral("WW"));
        const TextPouringResult result = pourText(*sheet, inputs);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(sheetTexts(*sheet), texts);
    }
};

QTEST_GUILESS_MAIN(TestTextPouring)
#include "tst_textpouring.moc"
