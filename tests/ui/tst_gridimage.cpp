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
    void initTestCase()
    {
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
    }

    // What was saved loads back whole; the column's fields stay as they are. A cancelled
    // chooser or a missing file changes nothing and shows nothing.
    void saveAndLoadKeepTheFields()
    {
        window_.sheet().takeContentFrom(*buildSheet({{{"春", 0x00336699, kWhite}, {"ab"}},
            {{"𠮷", kBlack, 0x00FF0000}, {{}, 0x00123456, 0x00654321}}, {{" "}, {"ｱｲ", 0x00FFFFFE}}}));
        const QByteArray saved = sheetBytes(window_.sheet());
        press(Qt::Key_S, u"poem"_s);
        QCOMPARE(QDir(dir_.path()).entryList({u"poem*"_s}), QStringList {u"poem"_s}); // the name as typed
        window_.sheet().setSize(1, 30);
        findControl<QLineEdit>(window_, "txtNear")->setText(u"20"_s);
        findControl<QLineEdit>(window_, "txtBGcolor")->setText(u"#102030"_s);
        findControl<QCheckBox>(window_, "chkAsIs")->setChecked(true);
        press(Qt::Key_O, u"poem"_s);
        QCOMPARE(sheetBytes(window_.sheet()), saved);
        QCOMPARE(findControl<QLineEdit>(window_, "txtNear")->text(), u"20"_s);
        QCOMPARE(findControl<QLineEdit>(window_, "txtBGcolor")->text(), u"#102030"_s);
        QVERIFY(findControl<QCheckBox>(window_, "chkAsIs")->isChecked());

        const uint files = QDir(dir_.path()).count();
        press(Qt::Key_S, QString());
        press(Qt::Key_O, QString());
        press(Qt::Key_O, u"missing.grd"_s);
        QCOMPARE(sheetBytes(window_.sheet()), saved);
        QCOMPARE(QDir(dir_.path()).count(), files);
        QVERIFY(dialogs_.messages.isEmpty());
    }

    // A damaged file leaves the sheet; a full disk leaves the old file, and no temporary one.
    // Each failure names the file, and the reader's code is put in the editor's words.
    void failuresKeepTheSheetAndTheFile()
    {
        dialogs_.messages.clear();
        window_.sheet().takeContentFrom(*buildSheet({{{"a"}, {"b"}}, {{"c"}, {"d"}}, {{"e"}, {"f"}}}));
        const QString path = press(Qt::Key_S, u"damaged.grd"_s);
        QVERIFY(QFile::resize(path, 30)); // cut in its first cell
        window_.sheet().setCellText(1, 1, QString(50'000, u'x'));
        const QByteArray current = sheetBytes(window_.sheet());
        const uint files = QDir(dir_.path()).count();
        press(Qt::Key_O, u"damaged.grd"_s);
        QCOMPARE(sheetBytes(window_.sheet()), current);
        {
            FileSizeLimit full(16 * 1024); // root ignores permissions; a full disk stops it
            press(Qt::Key_S, u"damaged.grd"_s);
        }
        QCOMPARE(QFileInfo(path).size(), 30);
        QCOMPARE(QDir(dir_.path()).count(), files);

        QCOMPARE(dialogs_.messages.size(), 2);
        QCOMPARE(dialogs_.messages[0].icon, MessageIcon::Error);
        QCOMPARE(dialogs_.messages[0].text,
            u"読み込みエラー\r\n"_s + path + u"\r\nThe file is too short for a grid of 2 columns and 3 rows."_s);
        QCOMPARE(dialogs_.messages[1].icon, MessageIcon::Error);
        QVERIFY2(dialogs_.messages[1].text.startsWith(u"書き込みエラー\r\n"_s + path),
            qPrintable(dialogs_.messages[1].text));
    }
};

QTEST_MAIN(TestGridImage)
#include "tst_gridimage.moc"
