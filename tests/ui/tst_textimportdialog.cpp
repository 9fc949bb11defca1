// The text import window: what OK and Enter do, the refusals that keep it open, and a fresh,
// modal window at each opening from the main window.
#include "core/Cp932.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/TextImportDialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestTextImportDialog : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QString poem_ = writeTestFile(dir_.path(), QStringLiteral("poem.txt"), Cp932::encode(u"春a\r\nb c", {}));

    // Rows 1 and 2, columns 1 to 4, rows joined by "/", cells by "|".
    static QString cells(MainWindow &main)
    {
        QString cells;
        for (int i = 0; i < 8; ++i)
            cells += main.sheet().getCellText(i % 4 + 1, i / 4 + 1) + QStringLiteral("|||/|||").mid(i, 1);
        return cells;
    }

private slots:
    // Enter on a control with a path typed: closed?, choosers asked for, cells, each error message's first lines.
    void okAndEnter_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("outcome");

        const QString poured = u"1 0 春|a||/b |c||"_s, kept = u"0 0 Q|||/|||"_s;
        QTest::newRow("Enter in the path") << u"txtPath"_s << poem_ << poured;
        QTest::newRow("Enter on a check box") << u"chkSpaceSkip"_s << poem_ << poured;
        QTest::newRow("Enter on browse") << u"cmdRef"_s << poem_ << u"0 1 Q|||/|||"_s;
        QTest::newRow("Enter on Cancel") << u"cmdCancel"_s << poem_ << u"1 0 Q|||/|||"_s;
        QTest::newRow("no path") << u"cmdOK"_s << QString() << kept + u" ファイルを選択して下さい"_s;
        QTest::newRow("missing file") << u"cmdOK"_s << u"/nonexistent/poem.txt"_s << kept;
        // This file fails from its first byte on, once the texts are cleared.
        QTest::newRow("read failure") << u"cmdOK"_s << u"/proc/self/mem"_s
                                      << u"0 0 |||/||| 読み込みエラー\r\n/proc/self/mem"_s;
    }

    void okAndEnter()
    {
        QFETCH(QString, control);
        QFETCH(QString, path);
        QFETCH(QString, outcome);

        FakeDialogs dialogs;
        MainWindow main(dialogs);
        TextImportDialog window(main);
        main.sheet().setCellText(1, 1, QStringLiteral("Q"));
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClicks(findControl<QLineEdit>(window, "txtPath"), path);
        auto *pressed = window.findChild<QWidget *>(control);
        pressed->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), pressed);
        QTest::keyClick(pressed, Qt::Key_Return);
        // The path stays as typed, to be corrected.
        QCOMPARE(findControl<QLineEdit>(window, "txtPath")->text(), path);
        QString seen = QStringLiteral("%1 %2 ").arg(!window.isVisible()).arg(dialogs.requests.size()) + cells(main);
        for (const ShownMessage &m : dialogs.messages)
            seen += u' ' + (m.icon == MessageIcon::Error ? m.text.section(u"\r\n"_s, 0, 1) : u"no icon"_s);
        QCOMPARE(seen, outcome);
    }

    void eachOpeningIsFreshModalAndSteeredByItsOptions()
    {
        FakeDialogs dialogs;
        MainWindow main(dialogs);
        main.sheet().setCellColors(1, 1, 0x0000FF, 0);
        findControl<QLineEdit>(main, "txtBGcolor")->setText(QStringLiteral("#ff0000"));
        dialogs.answers << QString() << poem_; // the first browse is cancelled
        QStringList seen;
        for (const bool ok : {true, false}) {
            // Once the window is open: note its state, browse twice, tick every option, press OK or Cancel.
            QTimer::singleShot(0, [&] {
                auto *window = qobject_cast<TextImportDialog *>(QApplication::activeModalWidget());
                QVERIFY(window);
                QStringList state = {window->windowTitle(), findControl<QLineEdit>(*window, "txtPath")->text()};
                for (const bool flag : {window->parentWidget() == &main,
                         window->focusWidget() == findControl<QLineEdit>(*window, "txtPath"),
                         findControl<QRadioButton>(*window, "rdoText0")->isChecked(),
                         findControl<QCheckBox>(*window, "chkBackSkip")->isChecked(),
                         findControl<QCheckBox>(*window, "chkSpaceSkip")->isChecked(),
                         findControl<QPushButton>(*window, "cmdOK")->isDefault()})
                    state << QString::number(flag);
                for (QWidget *control = findControl<QLineEdit>(*window, "txtPath"); state.size() < 16;
                     control = control->nextInFocusChain())
                    state << control->objectName();
                findControl<QLineEdit>(*window, "txtPath")->setText(QStringLiteral("typed.txt"));
                for (int i = 0; i < 2; ++i) {
                    QTest::mouseClick(findControl<QPushButton>(*window, "cmdRef"), Qt::LeftButton);
                    state << findControl<QLineEdit>(*window, "txtPath")->text();
                }
                seen << state.join(u' ');
                findControl<QRadioButton>(*window, "rdoText1")->setChecked(true);
                findControl<QCheckBox>(*window, "chkBackSkip")->setChecked(true);
                findControl<QCheckBox>(*window, "chkSpaceSkip")->setChecked(true);
                QTest::mouseClick(
                    ok ? findControl<QPushButton>(*window, "cmdOK") : findControl<QPushButton>(*window, "cmdCancel"),
                    Qt::LeftButton);
                if (window->isVisible()) // never leave the test hanging in the modal loop
                    window->reject();
            });
            findControl<QAction>(main, "ImportText")->trigger();
            // Flowing past the red background cell, the blank removed; the Cancel changes nothing.
            QCOMPARE(cells(main), QStringLiteral("|春|a|bc/|||"));
        }
        const QString fresh = u"テキスト読み込みオプション  1 1 1 0 0 1 txtPath cmdRef rdoText0 rdoText1 chkBackSkip "
                              u"cmdCancel cmdOK chkSpaceSkip typed.txt "_qs;
        QCOMPARE(seen, QStringList({fresh + poem_, fresh + u"typed.txt"_qs}));
        QCOMPARE(QString::number(dialogs.requests[0].save) + dialogs.requests[0].title + dialogs.requests[0].filter,
            QStringLiteral("0テキストファイルの読み込みテキストファイル (*.txt)|*.txt||"));
        QVERIFY(main.findChildren<TextImportDialog *>().isEmpty());
    }
};

QTEST_MAIN(TestTextImportDialog)
#include "tst_textimportdialog.moc"
