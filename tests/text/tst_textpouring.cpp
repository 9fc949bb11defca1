// Pouring text files into sheets, checked cell by cell in both line-break modes, with the
// file read whole and a few bytes at a time so that lines and characters cross reads.
#include "core/Cp932.h"
#include "support/logic/SheetBuilder.h"
#include "text/TextPouring.h"

#include <QtTest>

#include <unistd.h>

namespace {

// A pipe holding bytes with its write end closed, named by a path as /dev/stdin names one.
class FilledPipe {
public:
    explicit FilledPipe(const QByteArray& bytes)
    {
        if (::pipe(fds_) != 0)
            return;
        ok_ = ::write(fds_[1], bytes.constData(), size_t(bytes.size())) == bytes.size(); // within the pipe's buffer
        ::close(fds_[1]);
    }
    ~FilledPipe() { ::close(fds_[0]); }
    bool ok() const { return ok_; }
    QString pathOf() const { return QStringLiteral("/proc/self/fd/%1").arg(fds_[0]); }

private:
    int fds_[2] = { -1, -1 };
    bool ok_ = false;
};

// Hands out at most `step` bytes a read.
struct TricklingDevice : QBuffer {
    TricklingDevice(const QByteArray& bytes, qint64 step)
        : step(step)
    {
        setData(bytes);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 readData(char* data, qint64 maxSize) override { return QBuffer::readData(data, std::min(maxSize, step)); }
    const qint64 step;
};

// Rows joined by "/", cells by "|".
QString sheetTexts(const GridSheet& sheet)
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
std::unique_ptr<GridSheet> sheetOf(const QString& colours)
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
    QString fileWith(const QByteArray& bytes) { return writeTestFile(dir_.path(), QStringLiteral("poem.txt"), bytes); }
    static QByteArray sjis(QStringView text) { return Cp932::encode(text, Cp932::Unencodable::QuestionMark); }

private slots:
    void pour()
    {
        // options: "flow", "blanks" (blank removal), "back" (background skip), then "near=" and the distance.
        const std::tuple<const char*, QByteArray, const char*, QString, QString> cases[] = {
            { "worked example", "\x8F\x74\x61\x62 c\r\nxyz", "WWWW/WWWW", "", u"春|ab| c|/xy|z||"_qs },
            { "worked example, flow", "\x8F\x74\x61\x62 c\r\nxyz", "WWWW/WWWW", "flow", u"春|ab| c|xy/z|||"_qs },
            { "blanks use up a cell", sjis(u"a　b\r\n  x\r\n "), "WWW/WWW/WWW", "", u"a||b/|x|/ ||"_qs },
            { "blank removal", sjis(u"a　b\r\na\tb\t\r\n \t　\r\nx"), "WW/WW/WW/WW", "blanks", u"ab|/ab|/|/x|"_qs },
            { "pairs stop at full-width", sjis(u"ab春a春\r\nｱｲｳ"), "WWWW/WWWW", "", u"ab|春|a|春/ｱｲ|ｳ||"_qs },
            { "tabs", sjis(u"\tx\r\n\t\tx\r\n\t春\r\nab\t"), "WW/WW/WW/WW", "", u" x|/|x/ |春/ab|\t"_qs },
            { "by line, overflow", sjis(u"ab春\r\nあいう\r\nxyz\r\nq"), "WW/WW/WW", "", u"ab|春/あ|い/xy|z"_qs },
            { "flow, overflow", sjis(u"a\r\n\r\nb春\r\nあいう\r\nxyz"), "WW/WW/WW", "flow", u"a|b/春|あ/い|う"_qs },
            { "empty file clears every text", "", "WW/WW", "", u"|/|"_qs },
            { "no columns", sjis(u"春夏\r\nab"), "//", "", u"//"_qs },
            { "no columns, flow", sjis(u"春夏\r\nab"), "//", "flow", u"//"_qs },
            { "CR, LF, CR CR LF and LF CR end lines", "a\rb\nc\r\r\nd\n\re", "W/W/W/W/W/W/W", "", u"a/b/c//d//e"_qs },
            { "invalid bytes", "\x85\x40x\r\na\x88\r\nb", "WW/WW/WW", "", u"\uFFFD|x/a|\uFFFD/b|"_qs },
            { "background skip", sjis(u"春夏秋\r\nabc"), "WRWR/WRWR", "back near=8", u"|春||夏/|ab||c"_qs },
            { "background skip, flow", sjis(u"春夏秋\r\nabc"), "WRWR/WWRW", "back flow near=8", u"|春||夏/||秋|"_qs },
            { "near-white is background", sjis(u"春夏秋"), "NRN", "back near=8", u"|春|"_qs },
            { "distance rounded half to even", sjis(u"春夏秋"), "NRN", "back near=6.5", u"春|夏|秋"_qs },
            { "distance 256 skips every cell", sjis(u"春夏秋"), "RR/RR", "back near=256", u"|/|"_qs },
            { "distance 256, flow", sjis(u"春夏秋"), "RR/RR", "back flow near=256", u"|/|"_qs },
        };
        for (const auto& [name, file, colours, options, expected] : cases) {
            const TextPouringInputs inputs { fileWith(file),
                options.contains(u"flow") ? LineBreakMode::Flow : LineBreakMode::ByLine, options.contains(u"blanks"),
                options.contains(u"back"), QStringLiteral("#FFFFFF"), options.section(u'=', 1) };
            for (qint64 step : { 0, 1, 3 }) {
                const auto sheet = sheetOf(QString::fromLatin1(colours));
                const TextPouringResult result = pourText(
                    *sheet, inputs, [&](const QString& path, FileKinds kinds, QString* error) {
                        return step ? std::make_unique<TricklingDevice>(file, step) : openTextFile(path, kinds, error);
                    });
                const QString label = QStringLiteral("%1, %2 bytes a read: ").arg(name).arg(step);
                QCOMPARE(label + sheetTexts(*sheet), label + expected);
                QVERIFY2(result.done() && result.invalidBytes == expected.count(QChar(0xFFFD)), qPrintable(label));
            }
        }
    }

    void rowlessSheetAndVanishingFile()
    {
        GridSheet rowless(3, 0);
        QVERIFY(pourText(rowless, { fileWith("ab") }).done()
            && pourText(rowless, { fileWith("ab"), LineBreakMode::Flow }).done());
        const auto sheet = sheetOf(QStringLiteral("WW"));
        const TextPouringResult result
            = pourText(*sheet, { fileWith("ab") }, [](const QString& path, FileKinds kinds, QString* error) {
                  QFile::remove(path); // gone between the check and the opening
                  return openTextFile(path, kinds, error);
              });
        QVERIFY(result.outcome == TextPouringOutcome::ReadFailed && !result.error.isEmpty());
        QCOMPARE(sheetTexts(*sheet), QStringLiteral("Q|Q"));
    }

    // The batch pours from a pipe; the editor takes regular files only and says why not.
    void pipesAndDevices_data()
    {
        QTest::addColumn<QString>("source"); // "pipe", "folder" or a device's path
        QTest::addColumn<FileKinds>("kinds");
        QTest::addColumn<TextPouringOutcome>("outcome");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QString>("error"); // a part of it

        const FileKinds regular = FileKinds::RegularOnly, any = FileKinds::AnyReadable;
        QTest::newRow("pipe") << "pipe" << any << TextPouringOutcome::Done << "ab|" << QString();
        QTest::newRow("pipe, regular only") << "pipe" << regular << TextPouringOutcome::ReadFailed << "Q|Q"
                                            << "FIFO";
        QTest::newRow("device") << "/dev/null" << any << TextPouringOutcome::Done << "|" << QString();
        QTest::newRow("device, regular only") << "/dev/null" << regular << TextPouringOutcome::ReadFailed << "Q|Q"
                                              << "デバイス";
        QTest::newRow("folder") << "folder" << any << TextPouringOutcome::NoFile << "Q|Q" << QString();
        QTest::newRow("folder, regular only")
            << "folder" << regular << TextPouringOutcome::NoFile << "Q|Q" << QString();
    }

    void pipesAndDevices()
    {
        QFETCH(QString, source);
        QFETCH(FileKinds, kinds);
        QFETCH(TextPouringOutcome, outcome);
        QFETCH(QString, texts);
        QFETCH(QString, error);
        const FilledPipe pipe("ab");
        QVERIFY(pipe.ok());
        TextPouringInputs inputs;
        inputs.path = source == "pipe" ? pipe.pathOf() : source == "folder" ? dir_.path() : source;
        inputs.files = kinds;
        const auto sheet = sheetOf(QStringLiteral("WW"));
        const TextPouringResult result = pourText(*sheet, inputs);
        QCOMPARE(result.outcome, outcome);
        QVERIFY2(result.error.contains(error), qPrintable(result.error));
        QCOMPARE(sheetTexts(*sheet), texts);
    }
};

QTEST_GUILESS_MAIN(TestTextPouring)
#include "tst_textpouring.moc"
