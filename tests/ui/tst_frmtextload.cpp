// The text import window on its own and opened from the main window: its start state,
// Enter as OK, the refusals that keep it open, Cancel, browsing and a fresh state each time.
#include "core/Cp932.h"
#include "core/GridSheet.h"
#include "support/logic/SheetBuilder.h"
#include "support/ui/FakeDialogs.h"
#include "ui/Twips.h"
#include "ui/frmEdit.h"
#include "ui/frmTextLoad.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

QByteArray Sjis(QStringView text) { return Cp932::Encode(text, Cp932::Unencodable::QuestionMark); }

void FillText(GridSheet &sheet, const QString &text)
{
    for (int row = 1; row <= sheet.RowCount(); ++row)
        for (int column = 1; column <= sheet.ColumnCount(); ++column)
            sheet.SetCellText(column, row, text);
}

QString RowTexts(const GridSheet &sheet, int row, int columns)
{
    QStringList cells;
    for (int column = 1; column <= columns; ++column)
        cells << sheet.GetCellText(column, row);
    return cells.join(u'|');
}

} // namespace

class TestFrmTextLoad : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString poemPath_;

    static bool Activate(QWidget &window)
    {
        window.show();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }

    // Runs `inside` on the text import window once Import Text has opened it, and closes
    // the window afterwards whatever happened, so that a failed check cannot hang the test.
    static void OnceOpened(const std::function<void(frmTextLoad &)> &inside)
    {
        QTimer::singleShot(0, [inside] {
            auto *window = qobject_cast<frmTextLoad *>(QApplication::activeModalWidget());
            if (!window)
                return;
            inside(*window);
            if (window->isVisible())
                window->reject();
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        poemPath_ = WriteTestFile(dir_.path(), QStringLiteral("poem.txt"), Sjis(u"春a\r\nbc"));
    }

    void startState()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        frmTextLoad window(main);
        QVERIFY(Activate(window));

        QCOMPARE(window.windowTitle(), QStringLiteral("テキスト読み込みオプション"));
        QCOMPARE(window.txtPath->text(), QString());
        QCOMPARE(QApplication::focusWidget(), window.txtPath);
        QCOMPARE(window.cmdRef->text(), QStringLiteral("…"));
        QCOMPARE(window.rdoText[0]->text(), QStringLiteral("改行で列を変更する"));
        QCOMPARE(window.rdoText[1]->text(), QStringLiteral("改行を無視する"));
        QVERIFY(window.rdoText[0]->isChecked());
        QVERIFY(!window.rdoText[1]->isChecked());
        QCOMPARE(window.chkBackSkip->text(), QStringLiteral("背景色のセルをスキップする"));
        QCOMPARE(window.chkSpaceSkip->text(), QStringLiteral("空白文字を読み飛ばす（スペース、TAB）"));
        QVERIFY(!window.chkBackSkip->isChecked());
        QVERIFY(!window.chkSpaceSkip->isChecked());
        QCOMPARE(window.cmdOK->text(), QStringLiteral("OK"));
        QCOMPARE(window.cmdCancel->text(), QStringLiteral("Cancel"));
        QVERIFY(window.cmdOK->isDefault());
        QCOMPARE(window.size(), QSize(TwipsToPixels(4935), TwipsToPixels(1935)));

        // The option buttons stay one of two.
        QTest::mouseClick(window.rdoText[1], Qt::LeftButton);
        QVERIFY(window.rdoText[1]->isChecked());
        QVERIFY(!window.rdoText[0]->isChecked());
    }

    void layoutFollowsTheDesign()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        frmTextLoad window(main);
        const struct {
            QWidget *control;
            QRect designed;
        } controls[] = {
            {window.txtPath, TwipsRect(120, 120, 4215, 270)},     {window.cmdRef, TwipsRect(4440, 120, 375, 255)},
            {window.rdoText[0], TwipsRect(120, 600, 1935, 180)},  {window.rdoText[1], TwipsRect(120, 840, 1935, 180)},
            {window.cmdCancel, TwipsRect(3720, 960, 1095, 375)},  {window.chkBackSkip, TwipsRect(120, 1200, 2535, 255)},
            {window.cmdOK, TwipsRect(3720, 1440, 1095, 375)},     {window.chkSpaceSkip, TwipsRect(120, 1560, 3495, 180)},
        };
        for (const auto &[control, designed] : controls) {
            // A control may grow about its centre for its caption, never move.
            const QPoint offset = control->geometry().center() - designed.center();
            QVERIFY2(offset.manhattanLength() <= 1, qPrintable(control->objectName()));
            QVERIFY2(window.rect().contains(control->geometry()), qPrintable(control->objectName()));
            for (const auto &other : controls) {
                if (other.control != control)
                    QVERIFY2(!control->geometry().intersects(other.control->geometry()),
                             qPrintable(control->objectName() + u" overlaps "_qs + other.control->objectName()));
            }
        }
    }

    void tabOrder()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        frmTextLoad window(main);
        const QList<QWidget *> expected = {window.txtPath,     window.cmdRef,    window.rdoText[0],
                                           window.rdoText[1],  window.chkBackSkip, window.cmdCancel,
                                           window.cmdOK,       window.chkSpaceSkip};
        QList<QWidget *> chain;
        QWidget *widget = window.txtPath;
        do {
            if (expected.contains(widget))
                chain << widget;
            widget = widget->nextInFocusChain();
        } while (widget != window.txtPath && chain.size() <= expected.size());
        QCOMPARE(chain, expected);
    }

    void enterActsAsOk_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::newRow("path field") << QStringLiteral("txtPath");
        QTest::newRow("first option") << QStringLiteral("rdoText0");
        QTest::newRow("second option") << QStringLiteral("rdoText1");
        QTest::newRow("background box") << QStringLiteral("chkBackSkip");
        QTest::newRow("blank box") << QStringLiteral("chkSpaceSkip");
        QTest::newRow("OK itself") << QStringLiteral("cmdOK");
    }

    void enterActsAsOk()
    {
        QFETCH(QString, focused);
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        frmTextLoad window(main);
        QVERIFY(Activate(window));
        QTest::keyClicks(window.txtPath, poemPath_);
        auto *control = window.findChild<QWidget *>(focused);
        QVERIFY(control);
        control->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control);

        QTest::keyClick(control, Qt::Key_Return);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!window.isVisible());
        QCOMPARE(RowTexts(main.Sheet(), 1, 2), u"春|a"_qs);
        QCOMPARE(RowTexts(main.Sheet(), 2, 2), u"bc|"_qs);
    }

    void focusedButtonTakesEnter()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        FillText(main.Sheet(), QStringLiteral("Q"));
        frmTextLoad window(main);
        QVERIFY(Activate(window));
        window.txtPath->setText(poemPath_);

        window.cmdRef->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), window.cmdRef);
        QTest::keyClick(window.cmdRef, Qt::Key_Return);
        QCOMPARE(dialogs.requests.size(), 1);
        QVERIFY(window.isVisible());

        window.cmdCancel->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), window.cmdCancel);
        QTest::keyClick(window.cmdCancel, Qt::Key_Return);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(!window.isVisible());
        QCOMPARE(main.Sheet().GetCellText(1, 1), QStringLiteral("Q"));
    }

    void refusedPathsKeepTheWindowAndTheSheet_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("empty path") << QString() << QStringList{QStringLiteral("ファイルを選択して下さい")};
        QTest::newRow("no such file") << QStringLiteral("/nonexistent/poem.txt") << QStringList();
        QTest::newRow("a folder") << QStringLiteral("/") << QStringList();
    }

    void refusedPathsKeepTheWindowAndTheSheet()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, messages);
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        FillText(main.Sheet(), QStringLiteral("Q"));
        frmTextLoad window(main);
        QVERIFY(Activate(window));
        window.txtPath->setText(path);
        window.rdoText[1]->setChecked(true);
        window.chkBackSkip->setChecked(true);
        window.chkSpaceSkip->setChecked(true);

        QTest::mouseClick(window.cmdOK, Qt::LeftButton);
        QVERIFY(window.isVisible());
        QStringList shown;
        for (const ShownMessage &message : dialogs.messages) {
            QCOMPARE(message.icon, MessageIcon::Error);
            shown << message.text;
        }
        QCOMPARE(shown, messages);
        // What the user entered stays, to be corrected.
        QCOMPARE(window.txtPath->text(), path);
        QVERIFY(window.rdoText[1]->isChecked());
        QVERIFY(window.chkBackSkip->isChecked());
        QVERIFY(window.chkSpaceSkip->isChecked());
        QCOMPARE(main.Sheet().GetCellText(1, 1), QStringLiteral("Q"));
        QCOMPARE(main.Sheet().GetCellText(25, 22), QStringLiteral("Q"));
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }

    void cancelChangesNothing()
    {
        QFETCH(bool, escape);
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        FillText(main.Sheet(), QStringLiteral("Q"));
        frmTextLoad window(main);
        QVERIFY(Activate(window));
        window.txtPath->setText(poemPath_);
        if (escape)
            QTest::keyClick(window.txtPath, Qt::Key_Escape);
        else
            QTest::mouseClick(window.cmdCancel, Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(!window.isVisible());
        QCOMPARE(main.Sheet().GetCellText(1, 1), QStringLiteral("Q"));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void browseFillsThePath()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        frmTextLoad window(main);
        QVERIFY(Activate(window));
        window.txtPath->setText(QStringLiteral("typed.txt"));

        dialogs.answers << QString(); // cancelled: the typed path stays
        QTest::mouseClick(window.cmdRef, Qt::LeftButton);
        QCOMPARE(window.txtPath->text(), QStringLiteral("typed.txt"));

        dialogs.answers << poemPath_;
        QTest::mouseClick(window.cmdRef, Qt::LeftButton);
        QCOMPARE(window.txtPath->text(), poemPath_);

        QCOMPARE(dialogs.requests.size(), 2);
        for (const ChooserRequest &request : dialogs.requests) {
            QVERIFY(!request.save);
            QCOMPARE(request.title, QStringLiteral("テキストファイルの読み込み"));
            QCOMPARE(request.filter, QStringLiteral("テキストファイル (*.txt)|*.txt||"));
        }
        QVERIFY(window.isVisible());
    }

    void okPoursWithTheChosenOptions_data()
    {
        QTest::addColumn<bool>("flow");
        QTest::addColumn<bool>("backSkip");
        QTest::addColumn<bool>("spaceSkip");
        QTest::addColumn<QString>("near");
        QTest::addColumn<QString>("row1");
        QTest::addColumn<QString>("row2");
        // The file: " 春a" then "bc"; cell (1, 1) is red, the background field says red.
        QTest::newRow("defaults: new row at a line break") << false << false << false << "8" << u" |春|a|"_qs << "bc|||";
        QTest::newRow("ignore line breaks") << true << false << false << "8" << u" |春|a|bc"_qs << "|||";
        QTest::newRow("skip blanks") << false << false << true << "8" << u"春|a||"_qs << "bc|||";
        QTest::newRow("skip the red cell") << false << true << false << "8" << u"| |春|a"_qs << "bc|||";
        QTest::newRow("distance 0 skips nothing") << false << true << false << "0" << u" |春|a|"_qs << "bc|||";
    }

    void okPoursWithTheChosenOptions()
    {
        QFETCH(bool, flow);
        QFETCH(bool, backSkip);
        QFETCH(bool, spaceSkip);
        QFETCH(QString, near);
        QFETCH(QString, row1);
        QFETCH(QString, row2);
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        main.Sheet().SetSize(4, 2);
        main.Sheet().SetCellColors(1, 1, 0x0000FF, 0);
        main.txtBGcolor->setText(QStringLiteral("#ff0000"));
        main.txtNear->setText(near);
        frmTextLoad window(main);
        QVERIFY(Activate(window));
        window.txtPath->setText(WriteTestFile(dir_.path(), QStringLiteral("options.txt"), Sjis(u" 春a\r\nbc")));
        if (flow)
            QTest::mouseClick(window.rdoText[1], Qt::LeftButton);
        window.chkBackSkip->setChecked(backSkip);
        window.chkSpaceSkip->setChecked(spaceSkip);

        QTest::mouseClick(window.cmdOK, Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(RowTexts(main.Sheet(), 1, 4), row1);
        QCOMPARE(RowTexts(main.Sheet(), 2, 4), row2);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void importTextOpensAFreshModalWindowEachTime()
    {
        FakeDialogs dialogs;
        frmEdit main(dialogs);
        QVERIFY(Activate(main));

        int openings = 0;
        bool freshEachTime = true;
        auto checkFresh = [&](frmTextLoad &window) {
            ++openings;
            freshEachTime = freshEachTime && window.isModal() && window.parentWidget() == &main
                         && window.txtPath->text().isEmpty()
                         && window.rdoText[0]->isChecked() && !window.chkBackSkip->isChecked()
                         && !window.chkSpaceSkip->isChecked();
        };

        // First opening by the shortcut: fill everything in, then cancel.
        OnceOpened([&](frmTextLoad &window) {
            checkFresh(window);
            window.txtPath->setText(QStringLiteral("/nonexistent/poem.txt"));
            window.rdoText[1]->setChecked(true);
            window.chkBackSkip->setChecked(true);
            window.chkSpaceSkip->setChecked(true);
            QTest::mouseClick(window.cmdCancel, Qt::LeftButton);
        });
        QTest::keyClick(&main, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(openings, 1);

        // Second opening from the menu: nothing kept; OK pours and closes.
        bool closedByOk = false;
        OnceOpened([&](frmTextLoad &window) {
            checkFresh(window);
            window.txtPath->setText(poemPath_);
            QTest::mouseClick(window.cmdOK, Qt::LeftButton);
            closedByOk = !window.isVisible() && window.result() == QDialog::Accepted;
        });
        main.ImportText->trigger();
        QCOMPARE(openings, 2);
        QVERIFY(closedByOk);
        QVERIFY(freshEachTime);
        QCOMPARE(main.Sheet().GetCellText(1, 1), u"春"_qs);
        QCOMPARE(main.Sheet().GetCellText(1, 2), u"bc"_qs);
        // Closed windows are gone, not hidden.
        QVERIFY(main.findChildren<frmTextLoad *>().isEmpty());
    }
};

QTEST_MAIN(TestFrmTextLoad)
#include "tst_frmtextload.moc"
