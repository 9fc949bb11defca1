// Save and Load Grid Image through their shortcuts: the grid comes back, the fields stay, failures are shown.
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/frmEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestGridImage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    std::unique_ptr<frmEdit> window_;

    // Presses a shortcut and answers the chooser with a file of the test folder (empty: cancel).
    QString Press(Qt::Key key, const QString &name)
    {
        const QString path = name.isEmpty() ? name : dir_.filePath(name);
        dialogs_.answers << path;
        QTest::keyClick(window_.get(), key, Qt::ControlModifier);
        return path;
    }
    QString Describe() const
    {
        const GridSheet &sheet = window_->Sheet();
        QString out = QStringLiteral("%1x%2").arg(sheet.ColumnCount()).arg(sheet.RowCount());
        for (int row = 1; row <= sheet.RowCount(); ++row)
            for (int column = 1; column <= sheet.ColumnCount(); ++column)
                out += QStringLiteral("[%1|%2|%3]")
                           .arg(sheet.GetCellText(column, row), QString::number(sheet.BackColorAt(column, row)),
                                QString::number(sheet.ForeColorAt(column, row)));
        return out;
    }

private slots:
    void init()
    {
        dialogs_ = FakeDialogs();
        window_ = std::make_unique<frmEdit>(dialogs_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->Sheet().TakeContentFrom(*BuildSheet({{{"春", 0x00336699, kWhite}, {"ab"}},
                                                      {{"𠮷", kBlack, 0x00FF0000}, {{}, 0x00123456, 0x00654321}},
                                                      {{" "}, {"ｱｲ", 0x00FFFFFE}}}));
    }

    void saveThenLoadRestoresTheGridAndKeepsTheFields()
    {
        const QString saved = Describe();
        Press(Qt::Key_S, QStringLiteral("poem")); // saved under the name as typed
        QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("poem*")}), QStringList{QStringLiteral("poem")});
        window_->Sheet().SetSize(1, 30); // loses a column of texts and colours
        window_->txtNear->setText(QStringLiteral("20"));
        window_->txtBGcolor->setText(QStringLiteral("#102030"));
        window_->chkAsIs->setChecked(true);
        Press(Qt::Key_O, QStringLiteral("poem"));
        QCOMPARE(Describe(), saved);
        QCOMPARE(window_->txtNear->text() + window_->txtBGcolor->text(), QStringLiteral("20#102030"));
        QVERIFY(window_->chkAsIs->isChecked());

        // A cancelled chooser or a missing file changes nothing and shows nothing.
        const int files = QDir(dir_.path()).count();
        Press(Qt::Key_S, QString());
        Press(Qt::Key_O, QString());
        Press(Qt::Key_O, QStringLiteral("missing.grd"));
        QCOMPARE(Describe(), saved);
        QCOMPARE(QDir(dir_.path()).count(), files);
        QVERIFY(dialogs_.messages.isEmpty());

        const QString filter = QStringLiteral("グリッドファイル (*.grd)|*.grd||");
        QCOMPARE(dialogs_.requests.size(), 5);
        QVERIFY(dialogs_.requests[0].save && !dialogs_.requests[1].save);
        QCOMPARE(dialogs_.requests[0].title + dialogs_.requests[0].filter, "グリッドイメージの書き込み" + filter);
        QCOMPARE(dialogs_.requests[1].title + dialogs_.requests[1].filter, "グリッドイメージの読み込み" + filter);
    }

    void failuresShowTheErrorWithThePathAndChangeNothing()
    {
        const QString path = Press(Qt::Key_S, QStringLiteral("damaged.grd"));
        QVERIFY(QFile::resize(path, 30)); // cut in its first cell
        window_->Sheet().SetCellText(1, 1, QString(50'000, QLatin1Char('x')));
        const QString current = Describe();
        const int files = QDir(dir_.path()).count();
        Press(Qt::Key_O, QStringLiteral("damaged.grd"));
        QCOMPARE(Describe(), current);

        // Writes beyond the limit fail with EFBIG, as on a full disk (root ignores permissions).
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{16 * 1024, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        Press(Qt::Key_S, QStringLiteral("damaged.grd"));
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(QFileInfo(path).size(), 30); // the old file is kept, and no temporary one
        QCOMPARE(QDir(dir_.path()).count(), files);

        QCOMPARE(dialogs_.messages.size(), 2);
        QVERIFY(dialogs_.messages[0].text.startsWith(QStringLiteral("読み込みエラー\r\n") + path));
        QVERIFY(dialogs_.messages[1].text.startsWith(QStringLiteral("書き込みエラー\r\n") + path));
        QVERIFY(dialogs_.messages[0].icon == MessageIcon::Error && dialogs_.messages[1].icon == MessageIcon::Error);
    }
};

QTEST_MAIN(TestGridImage)
#include "tst_gridimage.moc"
