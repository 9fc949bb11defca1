// Save and Load Grid Image through their shortcuts: the grid comes back, the fields stay, failures are shown.
#include "support/logic/FileSizeLimit.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestGridImage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    MainWindow window_ {dialogs_};

    // Presses a shortcut and answers the chooser with a file of the test folder (empty: cancel).
    QString press(Qt::Key key, const QString &name)
    {
        const QString path = name.isEmpty() ? name : dir_.filePath(name);
        dialogs_.answers << path;
        QTest::keyClick(&window_, key, Qt::ControlModifier);
        return path;
    }

private slots:
    void saveAndLoadKeepTheFieldsAndShowFailures()
    {
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
        window_.sheet().takeContentFrom(*buildSheet({{{"春", 0x00336699, kWhite}, {"ab"}},
            {{"𠮷", kBlack, 0x00FF0000}, {{}, 0x00123456, 0x00654321}}, {{" "}, {"ｱｲ", 0x00FFFFFE}}}));
        const QByteArray saved = sheetBytes(window_.sheet());
        press(Qt::Key_S, u"poem"_s); // saved under the name as typed
        QCOMPARE(QDir(dir_.path()).entryList({u"poem*"_s}), QStringList {u"poem"_s});
        window_.sheet().setSize(1, 30); // loses a column of texts and colours
        findControl<QLineEdit>(window_, "txtNear")->setText(u"20"_s);
        findControl<QLineEdit>(window_, "txtBGcolor")->setText(u"#102030"_s);
        findControl<QCheckBox>(window_, "chkAsIs")->setChecked(true);
        press(Qt::Key_O, u"poem"_s);
        QCOMPARE(sheetBytes(window_.sheet()), saved);
        QVERIFY(
            findControl<QLineEdit>(window_, "txtNear")->text() + findControl<QLineEdit>(window_, "txtBGcolor")->text()
                == u"20#102030"_s
            && findControl<QCheckBox>(window_, "chkAsIs")->isChecked());

        // A cancelled chooser or a missing file changes nothing and shows nothing.
        uint files = QDir(dir_.path()).count();
        press(Qt::Key_S, QString());
        press(Qt::Key_O, QString());
        press(Qt::Key_O, u"missing.grd"_s);
        QVERIFY(
            sheetBytes(window_.sheet()) == saved && QDir(dir_.path()).count() == files && dialogs_.messages.isEmpty());
        const ChooserRequest &save = dialogs_.requests[0], &load = dialogs_.requests[1];
        QVERIFY(dialogs_.requests.size() == 5 && save.save && !load.save && save.filter == load.filter);
        QCOMPARE(save.title + load.title + save.filter,
            u"グリッドイメージの書き込みグリッドイメージの読み込みグリッドファイル (*.grd)|*.grd||"_s);

        const QString path = press(Qt::Key_S, u"damaged.grd"_s);
        QVERIFY(QFile::resize(path, 30)); // cut in its first cell
        window_.sheet().setCellText(1, 1, QString(50'000, u'x'));
        const QByteArray current = sheetBytes(window_.sheet());
        files = QDir(dir_.path()).count();
        press(Qt::Key_O, u"damaged.grd"_s);
        QCOMPARE(sheetBytes(window_.sheet()), current);
        {
            FileSizeLimit full(16 * 1024); // root ignores permissions; a full disk stops it
            press(Qt::Key_S, u"damaged.grd"_s);
        }
        QCOMPARE(QFileInfo(path).size(), 30); // the old file is kept, and no temporary one
        QCOMPARE(QDir(dir_.path()).count(), files);
        QCOMPARE(dialogs_.messages.size(), 2);
        for (const auto &[m, start] :
            {std::pair {dialogs_.messages[0], u"読み込みエラー"_s}, {dialogs_.messages[1], u"書き込みエラー"_s}})
            QVERIFY2(m.icon == MessageIcon::Error && m.text.startsWith(start + u"\r\n"_s + path), qPrintable(m.text));
        // The reader's code in the editor's words.
        QCOMPARE(dialogs_.messages[0].text,
            u"読み込みエラー\r\n"_s + path + u"\r\nThe file is too short for a grid of 2 columns and 3 rows."_s);
    }
};

QTEST_MAIN(TestGridImage)
#include "tst_gridimage.moc"
