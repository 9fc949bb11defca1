// The text import window, on its own and opened from the main window: its start state and
// layout, Enter as OK, the refusals that keep it open, Cancel, browsing, a fresh state each time.
#include "core/Cp932.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/Twips.h"
#include "ui/frmEdit.h"
#include "ui/frmTextLoad.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFrmTextLoad : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString poem_; // 春a, then bc

    // The main window with "Q" in every cell, and the text import window shown and active.
    struct Windows {
        FakeDialogs dialogs;
        frmEdit main{ dialogs };
        frmTextLoad window{ main };
        Windows()
        {
            for (int row = 1; row <= main.Sheet().RowCount(); ++row)
                for (int column = 1; column <= main.Sheet().ColumnCount(); ++column)
                    main.Sheet().SetCellText(column, row, QStringLiteral("Q"));
            window.show();
            QApplication::setActiveWindow(&window);
        }
        QString Cells(int row) { return main.Sheet().GetCellText(1, row) + u'|' + main.Sheet().GetCellText(2, row); }
    };

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        poem_ = WriteTestFile(dir_.path(), QStringLiteral("poem.txt"), Cp932::Encode(u"春a\r\nbc", {}));
    }

    void startStateAndLayout()
    {
        Windows w;
        frmTextLoad &window = w.window;
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("テキスト読み込みオプション"));
        QCOMPARE(QApplication::focusWidget(), window.txtPath);
        QCOMPARE(window.txtPath->text(), QString());
        QVERIFY(window.rdoText[0]->isChecked() && !window.rdoText[1]->isChecked());
        QVERIFY(!window.chkBackSkip->isChecked() && !window.chkSpaceSkip->isChecked());
        QVERIFY(window.cmdOK->isDefault());
        QCOMPARE(window.size(), QSize(TwipsToPixels(4935), TwipsToPixels(1935)));

        // Designed order and places; a control may grow about its centre but never overlap another.
        const QList<QPair<QWidget *, QRect>> controls = { { window.txtPath, TwipsRect(120, 120, 4215, 270) },
            { window.cmdRef, TwipsRect(4440, 120, 375, 255) }, { window.rdoText[0], TwipsRect(120, 600, 1935, 180) },
            { window.rdoText[1], TwipsRect(120, 840, 1935, 180) },
            { window.chkBackSkip, TwipsRect(120, 1200, 2535, 255) },
            { window.cmdCancel, TwipsRect(3720, 960, 1095, 375) }, { window.cmdOK, TwipsRect(3720, 1440, 1095, 375) },
            { window.chkSpaceSkip, TwipsRect(120, 1560, 3495, 180) } };
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const auto [control, designed] = controls[i];
            const char *name = qPrintable(control->objectName());
            QVERIFY2((control->geometry().center() - designed.center()).manhattanLength() <= 1, name);
            QVERIFY2(window.rect().contains(control->geometry()), name);
            for (const auto &other : controls)
                QVERIFY2(other.first == control || !control->geometry().intersects(other.first->geometry()), name);
            if (i + 1 < controls.size())
                QCOMPARE(control->nextInFocusChain(), controls[i + 1].first);
        }

        QTest::mouseClick(window.rdoText[1], Qt::LeftButton);
        QVERIFY(window.rdoText[1]->isChecked() && !window.rdoText[0]->isChecked());
    }

    void enterActsAsOk_data()
    {
        QTest::addColumn<QString>("focused");
        for (const char *name : { "txtPath", "rdoText0", "rdoText1", "chkBackSkip", "chkSpaceSkip", "cmdOK" })
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void enterActsAsOk()
    {
        QFETCH(QString, focused);
        Windows w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        QTest::keyClicks(w.window.txtPath, poem_);
        auto *control = w.window.findChild<QWidget *>(focused);
        control->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control);
        QTest::keyClick(control, Qt::Key_Return);
        QCOMPARE(w.window.result(), int(QDialog::Accepted));
        QVERIFY(!w.window.isVisible());
        QCOMPARE(w.Cells(1) + u'/' + w.Cells(2), u"春|a/bc|"_qs); // a new row at each line break
    }

    void focusedButtonsTakeEnter()
    {
        Windows w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.window.txtPath->setText(poem_);
        for (QPushButton *button : { w.window.cmdRef, w.window.cmdCancel }) {
            button->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), button);
            QTest::keyClick(button, Qt::Key_Return);
        }
        QCOMPARE(w.dialogs.requests.size(), 1); // the browse button asked for a file
        QCOMPARE(w.window.result(), int(QDialog::Rejected));
        QCOMPARE(w.Cells(1), QStringLiteral("Q|Q"));
    }

    void refusedPathsKeepTheWindow_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("empty path") << QString() << QStringList{ QStringLiteral("ファイルを選択して下さい") };
        QTest::newRow("no such file") << QStringLiteral("/nonexistent/poem.txt") << QStringList();
        QTest::newRow("a folder") << QStringLiteral("/") << QStringList();
    }

    void refusedPathsKeepTheWindow()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, messages);
        Windows w;
        w.window.txtPath->setText(path);
        w.window.rdoText[1]->setChecked(true);
        w.window.chkSpaceSkip->setChecked(true);
        QTest::mouseClick(w.window.cmdOK, Qt::LeftButton);
        QVERIFY(w.window.isVisible());
        QStringList shown;
        for (const ShownMessage &message : w.dialogs.messages)
            shown << (message.icon == MessageIcon::Error ? message.text : QStringLiteral("no error icon"));
        QCOMPARE(shown, messages);
        // What the user entered stays, to be corrected; the sheet is not touched.
        QCOMPARE(w.window.txtPath->text(), path);
        QVERIFY(w.window.rdoText[1]->isChecked() && w.window.chkSpaceSkip->isChecked());
        QCOMPARE(w.Cells(1), QStringLiteral("Q|Q"));
    }

    void browseAndCancel()
    {
        Windows w;
        w.window.txtPath->setText(QStringLiteral("typed.txt"));
        w.dialogs.answers << QString() << poem_;
        QTest::mouseClick(w.window.cmdRef, Qt::LeftButton); // cancelled: the typed path stays
        QCOMPARE(w.window.txtPath->text(), QStringLiteral("typed.txt"));
        QTest::mouseClick(w.window.cmdRef, Qt::LeftButton);
        QCOMPARE(w.window.txtPath->text(), poem_);
        QCOMPARE(w.dialogs.requests.size(), 2);
        QVERIFY(!w.dialogs.requests[1].save);
        QCOMPARE(w.dialogs.requests[1].title, QStringLiteral("テキストファイルの読み込み"));
        QCOMPARE(w.dialogs.requests[1].filter, QStringLiteral("テキストファイル (*.txt)|*.txt||"));

        QTest::mouseClick(w.window.cmdCancel, Qt::LeftButton);
        QVERIFY(!w.window.isVisible());
        QCOMPARE(w.Cells(1), QStringLiteral("Q|Q"));
    }

    void optionsAndMainWindowFieldsSteerThePouring()
    {
        Windows w;
        w.main.Sheet().SetCellColors(1, 1, 0x0000FF, 0);
        w.main.txtBGcolor->setText(QStringLiteral("#ff0000"));
        w.window.txtPath->setText(poem_);
        QTest::mouseClick(w.window.rdoText[1], Qt::LeftButton);
        w.window.chkBackSkip->setChecked(true);
        QTest::mouseClick(w.window.cmdOK, Qt::LeftButton);
        QCOMPARE(w.Cells(1) + u'|' + w.main.Sheet().GetCellText(3, 1), u"|春|a"_qs);
        QCOMPARE(w.main.Sheet().GetCellText(4, 1), QStringLiteral("bc"));
    }

    void importTextOpensAFreshModalWindowEachTime()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.show();
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QStringList seen; // the state each opening starts in
        const auto whenOpen = [&](const QString &path, bool ok) {
            QTimer::singleShot(0, [&, path, ok] {
                auto *window = qobject_cast<frmTextLoad *>(QApplication::activeModalWidget());
                if (!window)
                    return;
                seen << QStringLiteral("%1|%2|%3%4")
                            .arg(window->txtPath->text())
                            .arg(window->parentWidget() == &main)
                            .arg(window->rdoText[0]->isChecked())
                            .arg(window->chkBackSkip->isChecked() || window->chkSpaceSkip->isChecked());
                window->txtPath->setText(path);
                window->rdoText[1]->setChecked(!ok);
                window->chkBackSkip->setChecked(!ok);
                window->chkSpaceSkip->setChecked(!ok);
                QTest::mouseClick(ok ? window->cmdOK : window->cmdCancel, Qt::LeftButton);
                if (window->isVisible()) // never leave the test hanging in the modal loop
                    window->reject();
            });
        };
        whenOpen(QStringLiteral("elsewhere.txt"), false);
        QTest::keyClick(&main, Qt::Key_T, Qt::ControlModifier);
        whenOpen(poem_, true);
        main.ImportText->trigger();
        QCOMPARE(seen, QStringList({ "|1|10", "|1|10" }));
        QCOMPARE(main.Sheet().GetCellText(1, 2), QStringLiteral("bc"));
        QVERIFY(main.findChildren<frmTextLoad *>().isEmpty());
    }
};

QTEST_MAIN(TestFrmTextLoad)
#include "tst_frmtextload.moc"
