// The text import window: what OK and Enter do, the refusals that keep it open, and a fresh,
// modal window at each opening from the main window.
#include "core/Cp932.h"
#include "support/ui/Controls.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/MainWindow.h"
#include "ui/TextImportDialog.h"

#include <QtTest>
#include <QtWidgets>

class TestTextImportDialog : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QString poem_ = WriteTestFile(dir_.path(), QStringLiteral("poem.txt"), Cp932::Encode(u"春a\r\nb c", {}));

    // Rows 1 and 2, columns 1 to 4, rows joined by "/", cells by "|".
    static QString Cells(MainWindow &main)
    {
        QString cells;
        for (int i = 0; i < 8; ++i)
            cells += main.sheet().GetCellText(i % 4 + 1, i / 4 + 1) + QStringLiteral("|||/|||").mid(i, 1);
        return cells;
    }

private slots:
    void okAndEnter()
    {
        // Enter on a control, a path typed: closed?, choosers asked for, cells, each error message's first lines.
        const QString poured = QStringLiteral("1 0 春|a||/b |c||"), kept = QStringLiteral("0 0 Q|||/|||");
        const std::tuple<const char *, QString, QString> cases[]
            = { { "txtPath", poem_, poured }, { "rdoText1", poem_, poured }, { "chkSpaceSkip", poem_, poured },
                  { "cmdOK", poem_, poured }, { "cmdRef", poem_, "0 1 Q|||/|||" },
                  { "cmdCancel", poem_, "1 0 Q|||/|||" }, { "cmdOK", "", kept + u" ファイルを選択して下さい"_qs },
                  { "cmdOK", "/nonexistent/poem.txt", kept }, { "cmdOK", "/", kept },
                  // This file fails from its first byte on, once the texts are cleared.
                  { "cmdOK", "/proc/self/mem", u"0 0 |||/||| 読み込みエラー\r\n/proc/self/mem"_qs } };
        for (const auto &[name, path, expected] : cases) {
            FakeDialogs dialogs;
            MainWindow main(dialogs);
            TextImportDialog window(main);
            main.sheet().SetCellText(1, 1, QStringLiteral("Q"));
            window.show();
            QApplication::setActiveWindow(&window);
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QTest::keyClicks(Control<QLineEdit>(window, "txtPath"), path);
            auto *control = window.findChild<QWidget *>(name);
            control->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), control);
            QTest::keyClick(control, Qt::Key_Return);
            // The path stays as typed, to be corrected.
            QString outcome = QStringLiteral("%1 %2: %3 ").arg(name, Control<QLineEdit>(window, "txtPath")->text()).arg(!window.isVisible());
            outcome += QString::number(dialogs.requests.size()) + u' ' + Cells(main);
            for (const ShownMessage &m : dialogs.messages)
                outcome += u' ' + (m.icon == MessageIcon::Error ? m.text.section(u"\r\n"_qs, 0, 1) : u"no icon"_qs);
            QCOMPARE(outcome, QStringLiteral("%1 %2: ").arg(name, path) + expected);
        }
    }

    void eachOpeningIsFreshModalAndSteeredByItsOptions()
    {
        FakeDialogs dialogs;
        MainWindow main(dialogs);
        main.sheet().SetCellColors(1, 1, 0x0000FF, 0);
        Control<QLineEdit>(main, "txtBGcolor")->setText(QStringLiteral("#ff0000"));
        dialogs.answers << QString() << poem_; // the first browse is cancelled
        QStringList seen;
        for (const bool ok : { true, false }) {
            // Once the window is open: note its state, browse twice, tick every option, press OK or Cancel.
            QTimer::singleShot(0, [&] {
                auto *window = qobject_cast<TextImportDialog *>(QApplication::activeModalWidget());
                QVERIFY(window);
                QStringList state = { window->windowTitle(), Control<QLineEdit>(*window, "txtPath")->text() };
                for (const bool flag : { window->parentWidget() == &main, window->focusWidget() == Control<QLineEdit>(*window, "txtPath"),
                         Control<QRadioButton>(*window, "rdoText0")->isChecked(), Control<QCheckBox>(*window, "chkBackSkip")->isChecked(),
                         Control<QCheckBox>(*window, "chkSpaceSkip")->isChecked(), Control<QPushButton>(*window, "cmdOK")->isDefault() })
                    state << QString::number(flag);
                for (QWidget *control = Control<QLineEdit>(*window, "txtPath"); state.size() < 16; control = control->nextInFocusChain())
                    state << control->objectName();
                Control<QLineEdit>(*window, "txtPath")->setText(QStringLiteral("typed.txt"));
                for (int i = 0; i < 2; ++i) {
                    QTest::mouseClick(Control<QPushButton>(*window, "cmdRef"), Qt::LeftButton);
                    state << Control<QLineEdit>(*window, "txtPath")->text();
                }
                seen << state.join(u' ');
                Control<QRadioButton>(*window, "rdoText1")->setChecked(true);
                Control<QCheckBox>(*window, "chkBackSkip")->setChecked(true);
                Control<QCheckBox>(*window, "chkSpaceSkip")->setChecked(true);
                QTest::mouseClick(ok ? Control<QPushButton>(*window, "cmdOK") : Control<QPushButton>(*window, "cmdCancel"), Qt::LeftButton);
                if (window->isVisible()) // never leave the test hanging in the modal loop
                    window->reject();
            });
            Control<QAction>(main, "ImportText")->trigger();
            // Flowing past the red background cell, the blank removed; the Cancel changes nothing.
            QCOMPARE(Cells(main), QStringLiteral("|春|a|bc/|||"));
        }
        const QString fresh = u"テキスト読み込みオプション  1 1 1 0 0 1 txtPath cmdRef rdoText0 rdoText1 chkBackSkip "
                              u"cmdCancel cmdOK chkSpaceSkip typed.txt "_qs;
        QCOMPARE(seen, QStringList({ fresh + poem_, fresh + u"typed.txt"_qs }));
        QCOMPARE(QString::number(dialogs.requests[0].save) + dialogs.requests[0].title + dialogs.requests[0].filter,
            QStringLiteral("0テキストファイルの読み込みテキストファイル (*.txt)|*.txt||"));
        QVERIFY(main.findChildren<TextImportDialog *>().isEmpty());
    }
};

QTEST_MAIN(TestTextImportDialog)
#include "tst_textimportdialog.moc"
