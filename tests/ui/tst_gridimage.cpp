// Save Grid Image and Load Grid Image from the main window, through their shortcuts:
// the whole grid comes back, the fields stay, and failures are shown with their reason.
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/frmEdit.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QString Describe(const GridSheet &sheet)
{
    QString out = QStringLiteral("%1x%2\n").arg(sheet.ColumnCount()).arg(sheet.RowCount());
    for (int row = 1; row <= sheet.RowCount(); ++row) {
        for (int column = 1; column <= sheet.ColumnCount(); ++column)
            out += QStringLiteral("[%1|%2|%3]")
                       .arg(sheet.GetCellText(column, row))
                       .arg(sheet.BackColorAt(column, row))
                       .arg(sheet.ForeColorAt(column, row));
        out += u'\n';
    }
    return out;
}

void Paint(GridSheet &sheet)
{
    GridSheet::ChangeBatch batch(sheet);
    sheet.SetSize(6, 4);
    const QStringList texts = {QStringLiteral("春"), QStringLiteral("ab"), QStringLiteral("𠮷"), QStringLiteral(" ")};
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 6; ++column) {
            sheet.SetCellText(column, row, texts[(row + column) % texts.size()]);
            sheet.SetCellColors(column, row, MakeColor(column * 40, row * 60, 7), column % 2 ? kWhite : kBlack);
        }
    }
}

// Writes beyond a size fail as on a full disk (the tests run as root: permissions do not).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

const QString kFilter = QStringLiteral("グリッドファイル (*.grd)|*.grd||");

} // namespace

class TestGridImage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    std::unique_ptr<frmEdit> window_;

    void SaveAs(const QString &answer)
    {
        dialogs_.answers << answer;
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
    }
    void LoadFrom(const QString &answer)
    {
        dialogs_.answers << answer;
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
    }

private slots:
    void init()
    {
        dialogs_ = FakeDialogs();
        window_ = std::make_unique<frmEdit>(dialogs_);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void saveThenLoadRestoresTheGridAndKeepsTheFields()
    {
        GridSheet &sheet = window_->Sheet();
        Paint(sheet);
        const QString saved = Describe(sheet);
        const QString path = dir_.filePath(QStringLiteral("spring.grd"));
        SaveAs(path);
        QCOMPARE(dialogs_.requests.size(), 1);
        QVERIFY(dialogs_.requests[0].save);
        QCOMPARE(dialogs_.requests[0].title, QStringLiteral("グリッドイメージの書き込み"));
        QCOMPARE(dialogs_.requests[0].filter, kFilter);
        QVERIFY(QFile::exists(path));

        sheet.SetSize(3, 30);
        sheet.SetCellText(1, 1, QStringLiteral("変"));
        sheet.SetCellColors(2, 2, 0x00112233, 0x00445566);
        window_->txtNear->setText(QStringLiteral("20"));
        window_->txtBGcolor->setText(QStringLiteral("#102030"));
        window_->chkAsIs->setChecked(true);

        LoadFrom(path);
        QCOMPARE(dialogs_.requests.size(), 2);
        QVERIFY(!dialogs_.requests[1].save);
        QCOMPARE(dialogs_.requests[1].title, QStringLiteral("グリッドイメージの読み込み"));
        QCOMPARE(dialogs_.requests[1].filter, kFilter);
        QCOMPARE(Describe(sheet), saved);
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(window_->txtNear->text(), QStringLiteral("20"));
        QCOMPARE(window_->txtBGcolor->text(), QStringLiteral("#102030"));
        QVERIFY(window_->chkAsIs->isChecked());
        // The view follows the loaded size.
        QCOMPARE(window_->sprEdit->model()->columnCount(), 6);
        QCOMPARE(window_->sprEdit->model()->rowCount(), 4);
    }

    void nameIsUsedAsTyped()
    {
        QTemporaryDir dir;
        SaveAs(dir.filePath(QStringLiteral("poem")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("poem")});
        QVERIFY(dialogs_.messages.isEmpty());
    }

    void cancelOrMissingFileChangesNothing()
    {
        GridSheet &sheet = window_->Sheet();
        Paint(sheet);
        const QString before = Describe(sheet);
        QTemporaryDir dir;
        SaveAs(QString());
        LoadFrom(QString());
        LoadFrom(dir.filePath(QStringLiteral("missing.grd")));
        QCOMPARE(dialogs_.requests.size(), 3);
        QVERIFY(dialogs_.messages.isEmpty());
        QVERIFY(QDir(dir.path()).isEmpty());
        QCOMPARE(Describe(sheet), before);
    }

    void unreadableFileShowsTheReasonAndLeavesTheGrid_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: a saved grid file with one byte changed
        QTest::newRow("foreign text") << QByteArray("春の海 ひねもすのたり のたりかな\r\n");
        QTest::newRow("damaged grid file") << QByteArray();
    }

    void unreadableFileShowsTheReasonAndLeavesTheGrid()
    {
        QFETCH(QByteArray, bytes);
        GridSheet &sheet = window_->Sheet();
        Paint(sheet);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.grd"));
        if (bytes.isEmpty()) {
            SaveAs(path);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(40);
            file.write("\xFF");
        } else {
            WriteTestFile(dir.path(), QStringLiteral("bad.grd"), bytes);
        }
        sheet.SetCellText(1, 1, QStringLiteral("今"));
        const QString current = Describe(sheet);

        LoadFrom(path);
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
        const QStringList lines = dialogs_.messages[0].text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("読み込みエラー"));
        QCOMPARE(lines[1], path);
        QVERIFY(!lines[2].isEmpty());
        QCOMPARE(Describe(sheet), current);
    }

    void failedSaveKeepsTheOldFileAndShowsTheReason_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("folder that does not exist") << QStringLiteral("no such folder/poem.grd");
        QTest::newRow("a folder") << QStringLiteral("folder");
        QTest::newRow("disk full") << QStringLiteral("poem.grd");
    }

    void failedSaveKeepsTheOldFileAndShowsTheReason()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        const QByteArray oldBytes("the old file");
        WriteTestFile(dir.path(), QStringLiteral("poem.grd"), oldBytes);
        const QString path = dir.filePath(name);

        // A grid larger than the disk's room.
        window_->Sheet().SetSize(300, 300);
        window_->Sheet().SetCellText(1, 1, QString(50'000, QLatin1Char('x')));
        {
            FileSizeLimit limit(16 * 1024);
            SaveAs(path);
        }
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
        const QStringList lines = dialogs_.messages[0].text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("書き込みエラー"));
        QCOMPARE(lines[1], path);
        QVERIFY(!lines[2].isEmpty());

        QFile old(dir.filePath(QStringLiteral("poem.grd")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), oldBytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("poem.grd")});
    }
};

QTEST_MAIN(TestGridImage)
#include "tst_gridimage.moc"
