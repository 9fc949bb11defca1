// Pouring text files into sheets, checked cell by cell in both line-break modes, with the
// file read whole and a few bytes at a time so that lines and characters cross reads.
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "text/TextPouring.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Hands out at most `step` bytes per read, and fails once `failAt` bytes are out.
class TricklingDevice : public QIODevice {
public:
    TricklingDevice(QByteArray bytes, qint64 step, qint64 failAt = -1)
        : bytes_(bytes)
        , step_(step)
        , failAt_(failAt)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (at_ == failAt_) {
            setErrorString(QStringLiteral("disk gone"));
            return -1;
        }
        const qint64 end = failAt_ < 0 ? bytes_.size() : failAt_;
        const qint64 size = std::min({ maxSize, step_, end - at_ });
        memcpy(data, bytes_.constData() + at_, size_t(size));
        at_ += size;
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 step_, failAt_, at_ = 0;
};

QByteArray Sjis(QStringView text)
{
    return Cp932::Encode(text, Cp932::Unencodable::QuestionMark);
}

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

// One letter a cell, rows split by "/": White, Red, or Near-white (6 below white). Every
// cell starts with the text "Q", which a run must clear.
std::unique_ptr<GridSheet> SheetOf(const QString &colours)
{
    const QStringList rows = colours.split(u'/');
    auto sheet = std::make_unique<GridSheet>(int(rows[0].size()), int(rows.size()));
    for (int row = 1; row <= sheet->RowCount(); ++row) {
        for (int column = 1; column <= sheet->ColumnCount(); ++column) {
            const QChar letter = rows[row - 1][column - 1];
            sheet->SetCellColors(column, row, letter == u'R' ? 0x0000FF : letter == u'N' ? 0xF9F9F9 : kWhite, 0);
            sheet->SetCellText(column, row, QStringLiteral("Q"));
        }
    }
    return sheet;
}

} // namespace

class TestTextPouring : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString FileWith(const QByteArray &bytes) { return WriteTestFile(dir_.path(), QStringLiteral("poem.txt"), bytes); }

private slots:
    void pour_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("colours");
        QTest::addColumn<QString>("options"); // "flow", "blanks", "back", "near=N"
        QTest::addColumn<QString>("expected");
        auto add = [](const char *name, const QByteArray &file, const char *colours, const char *options,
                       const QString &expected) {
            QTest::newRow(name) << file << QString::fromLatin1(colours) << QString::fromLatin1(options) << expected;
        };
        const QByteArray worked("\x8F\x74"
                                "ab c\r\nxyz");
        add("worked example, by line", worked, "WWWW/WWWW", "", u"春|ab| c|/xy|z||"_qs);
        add("worked example, flow", worked, "WWWW/WWWW", "flow", u"春|ab| c|xy/z|||"_qs);
        add("full-width space uses up a cell", Sjis(u"a　b"), "WWW", "", u"a||b"_qs);
        add("blank removal closes the gap", Sjis(u"a　b"), "WWW", "blanks", u"ab||"_qs);
        add("pair, then full-width", Sjis(u"ab春"), "WW", "", u"ab|春"_qs);
        add("single half-width before full-width", Sjis(u"a春"), "WW", "", u"a|春"_qs);
        add("two spaces use up a cell", Sjis(u"  x"), "WW", "", u"|x"_qs);
        add("lone space line is written", Sjis(u" "), "WW", "", u" |"_qs);
        add("katakana pairs like ASCII", Sjis(u"ｱｲｳ"), "WW", "", u"ｱｲ|ｳ"_qs);
        add("tab joined becomes a space", Sjis(u"\tx"), "WW", "", u" x|"_qs);
        add("two tabs use up a cell", Sjis(u"\t\tx"), "WW", "", u"|x"_qs);
        add("tab ending its line stays a tab", Sjis(u"ab\t"), "WW", "", u"ab|\t"_qs);
        add("tab before full-width", Sjis(u"\t春"), "WW", "", u" |春"_qs);
        add("blank removal drops tabs first", Sjis(u"a\tb\t"), "WW", "blanks", u"ab|"_qs);
        add("blank removal empties a line", Sjis(u" \t　\r\nx"), "W/W", "blanks", u"/x"_qs);
        add("flow keeps halves of two lines apart", Sjis(u"a\r\n\r\nb"), "WW", "flow", u"a|b"_qs);
        add("by line drops what passes the row", Sjis(u"あいう\r\nx"), "WW/WW", "", u"あ|い/x|"_qs);
        add("flow wraps into the next row", Sjis(u"あいう\r\nx"), "WW/WW", "flow", u"あ|い/う|x"_qs);
        add("by line: full row, then line end", Sjis(u"ab春\r\nx"), "WW/WW", "", u"ab|春/x|"_qs);
        add("by line: lines beyond the last row", "a\r\nb\r\nc", "W/W", "", u"a/b"_qs);
        add("flow: text beyond the last cell", Sjis(u"あいうえお"), "WW/WW", "flow", u"あ|い/う|え"_qs);
        add("empty file clears every text", "", "WW/WW", "flow", u"|/|"_qs);
        add("CR alone ends a line", "a\rb", "W/W", "", u"a/b"_qs);
        add("LF alone ends a line", "a\nb", "W/W", "", u"a/b"_qs);
        add("CR CR LF is two line ends", "a\r\r\nb", "W/W/W", "", u"a//b"_qs);
        add("LF CR is two line ends", "a\n\rb", "W/W/W", "", u"a//b"_qs);
        add("lead byte without trail", "a\x88\r\nb", "WW/WW", "", u"a|\uFFFD/b|"_qs);
        add("unmapped pair is one character", "\x85\x40x", "WW", "", u"\uFFFD|x"_qs);
        const QByteArray seasons = Sjis(u"春夏秋");
        add("background skip, by line", seasons, "WRWR/WWRW", "back", u"|春||夏/|||"_qs);
        add("background skip, flow", seasons, "WRWR/WWRW", "back flow", u"|春||夏/||秋|"_qs);
        add("pair waits for a figure cell", "abc", "WRWR", "back", u"|ab||c"_qs);
        add("near-white is background", seasons, "NRN", "back", u"|春|"_qs);
        add("distance rounded half to even", seasons, "NRN", "back near=6.5", u"春|夏|秋"_qs);
        add("distance 0 makes nothing near", seasons, "WRWR", "back near=0", u"春|夏|秋|"_qs);
        add("distance 256 skips every cell", seasons, "RR/RR", "back near=256", u"|/|"_qs);
        add("distance 256 skips every cell, flow", seasons, "RR/RR", "back flow near=256", u"|/|"_qs);
    }

    void pour()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, colours);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        TextPouringInputs inputs;
        inputs.path = FileWith(file);
        inputs.mode = options.contains(u"flow") ? LineBreakMode::Flow : LineBreakMode::ByLine;
        inputs.skipBlanks = options.contains(u"blanks");
        inputs.skipBackground = options.contains(u"back");
        const QRegularExpressionMatch near = QRegularExpression(QStringLiteral("near=(\\S+)")).match(options);
        if (near.hasMatch())
            inputs.nearText = near.captured(1);

        for (qint64 step : { 0, 1, 3 }) {
            const auto sheet = SheetOf(colours);
            const TextPouringResult result
                = step == 0 ? PourText(*sheet, inputs) : PourText(*sheet, inputs, [&](const QString &, QString *) {
                      return std::make_unique<TricklingDevice>(file, step);
                  });
            const QString label = QStringLiteral("%1 bytes a read: ").arg(step);
            QCOMPARE(label + SheetTexts(*sheet), label + expected);
            QVERIFY(result.Done());
            QCOMPARE(result.invalidBytes, qint64(expected.count(QChar(0xFFFD))));
        }
    }

    void sheetsWithoutCells()
    {
        for (const QSize size : { QSize(3, 0), QSize(0, 3) }) {
            for (LineBreakMode mode : { LineBreakMode::ByLine, LineBreakMode::Flow }) {
                GridSheet sheet(size.width(), size.height());
                TextPouringInputs inputs;
                inputs.path = FileWith(Sjis(u"春夏\r\nab"));
                inputs.mode = mode;
                QVERIFY(PourText(sheet, inputs).Done());
                QCOMPARE(QSize(sheet.ColumnCount(), sheet.RowCount()), size);
            }
        }
    }

    void refusedRunsLeaveTheSheet_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<TextPouringOutcome>("outcome");
        QTest::newRow("empty path") << QString() << TextPouringOutcome::EmptyPath;
        QTest::newRow("no such file") << QStringLiteral("missing.txt") << TextPouringOutcome::NoFile;
        QTest::newRow("a folder") << QStringLiteral(".") << TextPouringOutcome::NoFile;
        QTest::newRow("file vanishes before it is opened")
            << QStringLiteral("vanishing.txt") << TextPouringOutcome::ReadFailed;
    }

    void refusedRunsLeaveTheSheet()
    {
        QFETCH(QString, path);
        QFETCH(TextPouringOutcome, outcome);
        const auto sheet = SheetOf(QStringLiteral("WW"));
        TextPouringInputs inputs;
        inputs.path = path.isEmpty() ? path : QDir(dir_.path()).filePath(path);
        if (path == u"vanishing.txt")
            WriteTestFile(dir_.path(), path, "ab");
        const TextPouringResult result = PourText(*sheet, inputs, [](const QString &path, QString *error) {
            QFile::remove(path);
            return OpenTextFile(path, error);
        });
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.error.isEmpty(), outcome != TextPouringOutcome::ReadFailed);
        QCOMPARE(SheetTexts(*sheet), QStringLiteral("Q|Q"));
    }

    void readFailureStopsWithWhatWasPoured()
    {
        const auto sheet = SheetOf(QStringLiteral("WWWW"));
        TextPouringInputs inputs;
        inputs.path = FileWith("abcdefgh");
        const TextPouringResult result = PourText(*sheet, inputs,
            [](const QString &, QString *) { return std::make_unique<TricklingDevice>("abcdefgh", 2, 4); });
        QCOMPARE(result.outcome, TextPouringOutcome::ReadFailed);
        QCOMPARE(result.error, QStringLiteral("disk gone"));
        QCOMPARE(SheetTexts(*sheet), QStringLiteral("ab|cd||"));
    }

    void surrogatePairIsOneFullWidthCharacter()
    {
        const QString face = u"\U0001F600"_qs;
        GridSheet sheet(4, 1);
        CellTextPourer pourer(sheet, TextPouringInputs());
        for (const QString &piece : { u"a"_qs + face + u"b"_qs + face.left(1), face.mid(1) + face.left(1) })
            pourer.Feed(piece); // the second pair is split between two pieces
        pourer.EndLine();
        QCOMPARE(SheetTexts(sheet), u"a|"_qs + face + u"|b|"_qs + face); // the last lone half finds no cell
    }
};

QTEST_GUILESS_MAIN(TestTextPouring)
#include "tst_textpouring.moc"
