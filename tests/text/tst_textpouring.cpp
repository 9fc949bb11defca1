// Pouring text files into sheets, checked cell by cell in both line-break modes, whole and
// trickled a few bytes per read so that every chunk boundary is crossed.
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "text/TextPouring.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

constexpr Color kRed = 0x0000FF;
constexpr Color kNearWhite = 0xF9F9F9; // 6 below white in every component

// Hands out at most `step` bytes per read, and fails for good once `failAt` bytes are out.
class TricklingDevice : public QIODevice {
public:
    TricklingDevice(QByteArray bytes, qint64 step, qint64 failAt = -1)
        : bytes_(std::move(bytes)), step_(step), failAt_(failAt)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (failAt_ >= 0 && position_ >= failAt_) {
            setErrorString(QStringLiteral("disk gone"));
            return -1;
        }
        qint64 size = std::min({maxSize, step_, qint64(bytes_.size()) - position_});
        if (failAt_ >= 0)
            size = std::min(size, failAt_ - position_);
        std::copy_n(bytes_.constData() + position_, size, data);
        position_ += size;
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 step_;
    qint64 failAt_;
    qint64 position_ = 0;
};

QByteArray Sjis(QStringView text) { return Cp932::Encode(text, Cp932::Unencodable::QuestionMark); }

// Rows joined by "/", cells by "|".
QString SheetTexts(const GridSheet &sheet)
{
    QStringList rows;
    for (int row = 1; row <= sheet.RowCount(); ++row) {
        QStringList cells;
        for (int column = 1; column <= sheet.ColumnCount(); ++column)
            cells << sheet.GetCellText(column, row);
        rows << cells.join(u'|');
    }
    return rows.join(u'/');
}

// "WRN/WWR": one letter a cell (White, Red, Near-white), rows split by "/".
std::unique_ptr<GridSheet> ColouredSheet(const QString &colours)
{
    const QStringList rows = colours.split(u'/');
    auto sheet = std::make_unique<GridSheet>(int(rows.first().size()), int(rows.size()));
    for (int row = 1; row <= sheet->RowCount(); ++row) {
        for (int column = 1; column <= sheet->ColumnCount(); ++column) {
            const QChar letter = rows[row - 1][column - 1];
            const Color back = letter == u'R' ? kRed : letter == u'N' ? kNearWhite : kWhite;
            sheet->SetCellColors(column, row, back, kBlack);
        }
    }
    return sheet;
}

void FillText(GridSheet &sheet, const QString &text)
{
    for (int row = 1; row <= sheet.RowCount(); ++row)
        for (int column = 1; column <= sheet.ColumnCount(); ++column)
            sheet.SetCellText(column, row, text);
}

struct Options {
    bool skipBlanks = false;
    bool skipBackground = false;
    QString nearText = QStringLiteral("8");
};

} // namespace

class TestTextPouring : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString FileWith(const QByteArray &bytes) { return WriteTestFile(dir_.path(), QStringLiteral("poem.txt"), bytes); }

    static void AddCase(const char *name, const QByteArray &file, const QString &colours, bool flow,
                        const QString &expected, const Options &options = {})
    {
        QTest::newRow(name) << file << colours << flow << options.skipBlanks << options.skipBackground
                            << options.nearText << expected;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void tricklingDeviceSplitsReads()
    {
        // The boundary tests below only mean something if reads really come back short.
        TricklingDevice device("abcdef", 2);
        char buffer[16];
        QCOMPARE(device.read(buffer, sizeof buffer), qint64(2));
        QCOMPARE(device.read(buffer, sizeof buffer), qint64(2));
    }

    void pour_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("colours");
        QTest::addColumn<bool>("flow");
        QTest::addColumn<bool>("skipBlanks");
        QTest::addColumn<bool>("skipBackground");
        QTest::addColumn<QString>("nearText");
        QTest::addColumn<QString>("expected");

        const QByteArray worked = QByteArray("\x8F\x74" "ab c\r\nxyz");
        AddCase("worked example, by line", worked, "WWWW/WWWW", false, u"春|ab| c|/xy|z||"_qs);
        AddCase("worked example, flow", worked, "WWWW/WWWW", true, u"春|ab| c|xy/z|||"_qs);

        // Forming cell texts.
        AddCase("full-width space uses up its cell", Sjis(u"a　b"), "WWW", false, "a||b");
        AddCase("blank removal closes the gap", Sjis(u"a　b"), "WWW", false, "ab||", {.skipBlanks = true});
        AddCase("pair before a full-width character", Sjis(u"ab春"), "WW", false, u"ab|春"_qs);
        AddCase("single half-width before full-width", Sjis(u"a春"), "WWW", false, u"a|春|"_qs);
        AddCase("two spaces use up a cell", Sjis(u"  x"), "WW", true, "|x");
        AddCase("full-width space line uses up a cell", Sjis(u"　\r\nx"), "WW", true, "|x");
        AddCase("lone space line is written", Sjis(u" "), "WW", false, " |");
        AddCase("space before full-width is written", Sjis(u" 春"), "WW", false, u" |春"_qs);
        AddCase("katakana pairs like ASCII", Sjis(u"ｱｲｳ"), "WW", false, u"ｱｲ|ｳ"_qs);
        AddCase("tab joined becomes a space", Sjis(u"\tx"), "WW", false, " x|");
        AddCase("two tabs use up a cell", Sjis(u"\t\tx"), "WW", true, "|x");
        AddCase("tab ending its line stays a tab", Sjis(u"ab\t"), "WW", false, "ab|\t");
        AddCase("tab before full-width becomes a space", Sjis(u"\t春"), "WW", false, u" |春"_qs);
        AddCase("blank removal drops tabs first", Sjis(u"a\tb\t"), "WW", false, "ab|", {.skipBlanks = true});
        AddCase("blank removal empties a line", Sjis(u" \t　\r\nx"), "W/W", false, "/x",
                {.skipBlanks = true});

        // Line ends and row ends.
        AddCase("flow keeps halves of two lines apart", Sjis(u"a\r\nb"), "WW", true, "a|b");
        AddCase("flow passes empty lines", Sjis(u"a\r\n\r\n\r\nb"), "WW", true, "a|b");
        AddCase("by line drops what passes the row", Sjis(u"あいう\r\nx"), "WW/WW", false, u"あ|い/x|"_qs);
        AddCase("flow wraps into the next row", Sjis(u"あいう\r\nx"), "WW/WW", true, u"あ|い/う|x"_qs);
        AddCase("by line: full row then line end", Sjis(u"ab春\r\nx"), "WW/WW", false, u"ab|春/x|"_qs);
        AddCase("by line: lines beyond the last row", Sjis(u"a\r\nb\r\nc"), "W/W", false, "a/b");
        AddCase("flow: text beyond the last cell", Sjis(u"あいうえお"), "WW/WW", true, u"あ|い/う|え"_qs);
        AddCase("empty file clears every text", QByteArray(), "WW/WW", false, "|/|");
        AddCase("empty file clears every text, flow", QByteArray(), "WW/WW", true, "|/|");
        AddCase("CR alone ends a line", "a\rb", "W/W", false, "a/b");
        AddCase("LF alone ends a line", "a\nb", "W/W", false, "a/b");
        AddCase("CR CR LF is two line ends", "a\r\r\nb", "W/W/W", false, "a//b");
        AddCase("LF CR is two line ends", "a\n\rb", "W/W/W", false, "a//b");

        // Bytes that are not code page 932.
        AddCase("lead byte without trail", "a\x88\r\nb", "WW/WW", false, u"a|\uFFFD/b|"_qs);
        AddCase("unmapped pair is one character", "\x85\x40x", "WW", false, u"\uFFFD|x"_qs);

        // Background cells.
        const QByteArray seasons = Sjis(u"春夏秋");
        AddCase("background skip, by line", seasons, "WRWR/WWRW", false, u"|春||夏/|||"_qs,
                {.skipBackground = true});
        AddCase("background skip, flow", seasons, "WRWR/WWRW", true, u"|春||夏/||秋|"_qs,
                {.skipBackground = true});
        AddCase("near-white counts as background", Sjis(u"春夏"), "NRWR", false, u"|春||夏"_qs,
                {.skipBackground = true});
        AddCase("background skip off writes every cell", seasons, "WRWR/WWRW", false, u"春|夏|秋|/|||"_qs);
        AddCase("distance 0 makes nothing near", seasons, "WRWR/WWRW", false, u"春|夏|秋|/|||"_qs,
                {.skipBackground = true, .nearText = "0"});
        AddCase("negative distance makes nothing near", seasons, "WRWR", false, u"春|夏|秋|"_qs,
                {.skipBackground = true, .nearText = " -3"});
        AddCase("distance 255 keeps red apart", Sjis(u"春"), "R", false, u"春"_qs,
                {.skipBackground = true, .nearText = "255"});
        AddCase("distance 256 skips every cell, by line", Sjis(u"春\r\n夏"), "RR/RR", false, "|/|",
                {.skipBackground = true, .nearText = "256"});
        AddCase("distance 256 skips every cell, flow", Sjis(u"春\r\n夏"), "RR/RR", true, "|/|",
                {.skipBackground = true, .nearText = "256"});
        AddCase("distance read rounded half to even", seasons, "NN", false, u"春|夏"_qs,
                {.skipBackground = true, .nearText = "6.5"});
        AddCase("pair waits for a figure cell", Sjis(u"abc"), "WRWR", false, "|ab||c",
                {.skipBackground = true});
    }

    void pour()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, colours);
        QFETCH(bool, flow);
        QFETCH(bool, skipBlanks);
        QFETCH(bool, skipBackground);
        QFETCH(QString, nearText);
        QFETCH(QString, expected);

        TextPouringInputs inputs;
        inputs.path = FileWith(file);
        inputs.mode = flow ? LineBreakMode::Flow : LineBreakMode::ByLine;
        inputs.skipBlanks = skipBlanks;
        inputs.skipBackground = skipBackground;
        inputs.nearText = nearText;

        for (qint64 step : {0, 1, 3}) {
            const auto sheet = ColouredSheet(colours);
            FillText(*sheet, QStringLiteral("Q"));
            const TextPouringResult result =
                step == 0 ? PourText(*sheet, inputs)
                          : PourText(*sheet, inputs, [&](const QString &, QString *) {
                                return std::make_unique<TricklingDevice>(file, step);
                            });
            const QString label = QStringLiteral("read %1 bytes at a time: ").arg(step);
            QCOMPARE(label + SheetTexts(*sheet), label + expected);
            QVERIFY(result.Done());
        }
    }

    void sheetsWithoutCells_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("flow");
        QTest::newRow("no rows, by line") << 3 << 0 << false;
        QTest::newRow("no rows, flow") << 3 << 0 << true;
        QTest::newRow("no columns, by line") << 0 << 3 << false;
        QTest::newRow("no columns, flow") << 0 << 3 << true;
    }

    void sheetsWithoutCells()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(bool, flow);
        GridSheet sheet(columns, rows);
        TextPouringInputs inputs;
        inputs.path = FileWith(Sjis(u"春夏\r\nab"));
        inputs.mode = flow ? LineBreakMode::Flow : LineBreakMode::ByLine;
        QVERIFY(PourText(sheet, inputs).Done());
        QCOMPARE(sheet.ColumnCount(), columns);
        QCOMPARE(sheet.RowCount(), rows);
    }

    void refusedRunsLeaveTheSheet_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("outcome");
        QTest::newRow("empty path") << QString() << int(TextPouringOutcome::EmptyPath);
        QTest::newRow("no such file") << QStringLiteral("missing.txt") << int(TextPouringOutcome::NoFile);
        QTest::newRow("a folder") << QStringLiteral(".") << int(TextPouringOutcome::NoFile);
    }

    void refusedRunsLeaveTheSheet()
    {
        QFETCH(QString, path);
        QFETCH(int, outcome);
        GridSheet sheet(2, 2);
        FillText(sheet, QStringLiteral("Q"));
        TextPouringInputs inputs;
        inputs.path = path.isEmpty() ? path : QDir(dir_.path()).filePath(path);
        const TextPouringResult result = PourText(sheet, inputs);
        QCOMPARE(int(result.outcome), outcome);
        QVERIFY(!result.Done());
        QCOMPARE(SheetTexts(sheet), QStringLiteral("Q|Q/Q|Q"));
    }

    void fileVanishingBeforeItIsOpenedLeavesTheSheet()
    {
        GridSheet sheet(2, 1);
        FillText(sheet, QStringLiteral("Q"));
        TextPouringInputs inputs;
        inputs.path = FileWith("ab");
        const TextPouringResult result = PourText(sheet, inputs, [](const QString &path, QString *error) {
            QFile::remove(path);
            return OpenTextFile(path, error);
        });
        QCOMPARE(result.outcome, TextPouringOutcome::ReadFailed);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(SheetTexts(sheet), QStringLiteral("Q|Q"));
    }

    void readFailureStopsWithWhatWasPoured()
    {
        GridSheet sheet(4, 1);
        FillText(sheet, QStringLiteral("Q"));
        TextPouringInputs inputs;
        inputs.path = FileWith("abcdefgh");
        const TextPouringResult result = PourText(sheet, inputs, [](const QString &, QString *) {
            return std::make_unique<TricklingDevice>("abcdefgh", 2, 4);
        });
        QCOMPARE(result.outcome, TextPouringOutcome::ReadFailed);
        QCOMPARE(result.error, QStringLiteral("disk gone"));
        QCOMPARE(SheetTexts(sheet), QStringLiteral("ab|cd||"));
    }

    void invalidBytesAreCountedAndPouringGoesOn()
    {
        GridSheet sheet(4, 1);
        TextPouringInputs inputs;
        inputs.path = FileWith("\x85\x40" "a\x88");
        const TextPouringResult result = PourText(sheet, inputs);
        QVERIFY(result.Done());
        QCOMPARE(result.invalidBytes, qint64(2));
        QCOMPARE(SheetTexts(sheet), u"\uFFFD|a|\uFFFD|"_qs);
    }

    void oneRunAnnouncesOneChange()
    {
        GridSheet sheet(3, 3);
        FillText(sheet, QStringLiteral("Q"));
        QSignalSpy changes(&sheet, &GridSheet::cellsChanged);
        TextPouringInputs inputs;
        inputs.path = FileWith(Sjis(u"春夏秋冬\r\nabc"));
        inputs.mode = LineBreakMode::Flow;
        QVERIFY(PourText(sheet, inputs).Done());
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first(), (QVariantList{1, 1, 3, 3}));
    }

    void coloursAndActiveCellStay()
    {
        auto sheet = ColouredSheet(QStringLiteral("WR/RW"));
        sheet->SetActiveCell(2, 2);
        TextPouringInputs inputs;
        inputs.path = FileWith(Sjis(u"春夏秋冬"));
        inputs.mode = LineBreakMode::Flow;
        QVERIFY(PourText(*sheet, inputs).Done());
        QCOMPARE(sheet->BackColorAt(2, 1), kRed);
        QCOMPARE(sheet->BackColorAt(1, 1), kWhite);
        QCOMPARE(sheet->ActiveColumn(), 2);
        QCOMPARE(sheet->ActiveRow(), 2);
        QCOMPARE(SheetTexts(*sheet), u"春|夏/秋|冬"_qs);
    }

    void linesLongerThanAReadChunk()
    {
        // A character and a CR LF split across the reader's 1 MiB chunks; blank removal
        // keeps the poured result small.
        const qsizetype chunk = qsizetype(1) << 20;
        QByteArray file("a");
        file += QByteArray(chunk - 2, ' ');
        file += Sjis(u"春"); // lead byte last in the first chunk
        file += '\r';
        file += QByteArray(chunk - 4, ' ');
        file += 'x';
        file += '\r'; // CR last in the second chunk, LF first in the third
        file += '\n';
        file += 'y';
        QCOMPARE(file.at(chunk - 1), '\x8F');
        QCOMPARE(file.at(2 * chunk - 1), '\r');

        GridSheet sheet(2, 3);
        TextPouringInputs inputs;
        inputs.path = FileWith(file);
        inputs.skipBlanks = true;
        const TextPouringResult result = PourText(sheet, inputs);
        QVERIFY(result.Done());
        QCOMPARE(result.invalidBytes, qint64(0));
        QCOMPARE(SheetTexts(sheet), u"a|春/x|/y|"_qs);
    }

    void surrogatePairIsOneFullWidthCharacter_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("expected");
        const QString face = u"\U0001F600"_qs;
        QTest::newRow("between halves") << QStringList{u"a"_qs + face + u"b"_qs} << u"a|"_qs + face + u"|b"_qs;
        QTest::newRow("after a pair") << QStringList{u"ab"_qs + face} << u"ab|"_qs + face + u"|"_qs;
        QTest::newRow("split between pieces")
            << QStringList{u"a"_qs + face.left(1), face.mid(1) + u"b"_qs} << u"a|"_qs + face + u"|b"_qs;
        QTest::newRow("lone high surrogate ends the line")
            << QStringList{u"a"_qs + face.left(1)} << u"a|"_qs + face.left(1) + u"|"_qs;
        QTest::newRow("lone low surrogate") << QStringList{face.mid(1) + u"b"_qs} << face.mid(1) + u"|b|"_qs;
    }

    void surrogatePairIsOneFullWidthCharacter()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QString, expected);
        GridSheet sheet(3, 1);
        CellTextPourer pourer(sheet, TextPouringInputs());
        for (const QString &piece : pieces)
            pourer.Feed(piece);
        pourer.EndLine();
        QCOMPARE(SheetTexts(sheet), expected);
    }
};

QTEST_GUILESS_MAIN(TestTextPouring)
#include "tst_textpouring.moc"
