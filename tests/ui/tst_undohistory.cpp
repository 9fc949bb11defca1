// The main window's history as a user meets it: the Edit menu, the caption's modified mark,
// and the question before unsaved work is thrown away.
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Types a text into a cell in place, as a user does.
void typeInCell(MainWindow &window, int column, int row, const QString &text)
{
    auto *view = findControl<GridSheetView>(window, "sprEdit");
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row - 1, column - 1));
    view->edit(view->currentIndex());
    auto *editor = view->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(window.sheet().getCellText(column, row), text);
}

} // namespace

class TestUndoHistory : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void cleanup()
    {
        window_->document().undoStack().setClean(); // no question while the window goes
        window_.reset();
        dialogs_ = {};
    }

    void editMenuNamesTheStep()
    {
        QStringList menus;
        for (QAction *menu : window_->menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, QStringList({u"Files"_s, u"Edit"_s, u"View"_s, u"Option"_s}));
        auto *undo = findControl<QAction>(*window_, "Undo");
        auto *redo = findControl<QAction>(*window_, "Redo");
        QVERIFY(!undo->isEnabled());
        QVERIFY(!redo->isEnabled());

        typeInCell(*window_, 2, 3, u"ha"_s);
        QCOMPARE(undo->text(), u"Undo Typing"_s);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), QString());
        QCOMPARE(redo->text(), u"Redo Typing"_s);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), u"ha"_s);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), u"ha"_s);
    }

    // Five cells written by one arrow go back in one step, the active cell with them.
    void typingAidArrowIsOneStep()
    {
        window_->sheet().setActiveCell(2, 2);
        QTest::mouseClick(findControl<QPushButton>(*window_, "btnEditSupport"), Qt::LeftButton);
        auto *aid = window_->findChild<QWidget *>(u"frmEditSupport"_s);
        QVERIFY(aid);
        findControl<QLineEdit>(*aid, "txtEdit")->setText(u"あいうえお"_s);
        QTest::mouseClick(findControl<QPushButton>(*aid, "btnDown"), Qt::LeftButton);
        QCOMPARE(window_->sheet().getCellText(2, 6), u"お"_s);
        QCOMPARE(findControl<QAction>(*window_, "Undo")->text(), u"Undo Edit Support"_s);

        window_->document().undoStack().undo();
        for (int row = 2; row <= 6; ++row)
            QCOMPARE(window_->sheet().getCellText(2, row), QString());
        QCOMPARE(QPoint(window_->sheet().activeColumn(), window_->sheet().activeRow()), QPoint(2, 2));
        QVERIFY(!window_->document().undoStack().canUndo());
    }

    // Cell >> BG copies the active cell's colour into the field and leaves the document be.
    void cellToBackgroundIsNoStep_data()
    {
        QTest::addColumn<Color>("back");
        QTest::addColumn<QString>("field");

        QTest::newRow("painted") << Color(0x00336699) << u"#996633"_s;
        QTest::newRow("top byte set: black") << Color(0x80000000) << u"#000000"_s;
    }

    void cellToBackgroundIsNoStep()
    {
        QFETCH(Color, back);
        QFETCH(QString, field);

        window_->sheet().setCellColors(3, 2, back, kBlack);
        window_->sheet().setActiveCell(3, 2);
        QTest::mouseClick(findControl<QPushButton>(*window_, "btnCellToBG"), Qt::LeftButton);
        QCOMPARE(findControl<QLineEdit>(*window_, "txtBGcolor")->text(), field);
        QCOMPARE(QPoint(window_->sheet().activeColumn(), window_->sheet().activeRow()), QPoint(3, 2));
        QVERIFY(!window_->document().undoStack().canUndo());
        QVERIFY(!window_->document().isModified());
    }

    void captionFollowsTheSavedState()
    {
        QCOMPARE(window_->windowTitle(), u"Glyphscape ver. 0.005b"_s);
        const QString poem = dir_->filePath(u"poem.grd"_s);
        typeInCell(*window_, 1, 1, u"a"_s);
        dialogs_.answers = {poem};
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window_->windowTitle(), u"Glyphscape ver. 0.005b - poem.grd[*]"_s);
        QVERIFY(!window_->isWindowModified());

        typeInCell(*window_, 2, 1, u"b"_s);
        QVERIFY(window_->isWindowModified());
        window_->document().undoStack().undo();
        QVERIFY(!window_->isWindowModified());
        window_->document().undoStack().undo();
        QVERIFY(window_->isWindowModified());

        // Save Grid Image starts on the document's own file.
        dialogs_.answers = {QString()};
        window_->saveGrid();
        QCOMPARE(dialogs_.requests.last().proposed, poem);
    }

    // Closing over unsaved changes: each answer, and a save that does not happen.
    void closeAsksBeforeChangesAreLost_data()
    {
        QTest::addColumn<SaveChoice>("choice");
        QTest::addColumn<QString>("chosenFile"); // the Save chooser's answer
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("save") << SaveChoice::Save << u"poem.grd"_s << true << true;
        QTest::newRow("save, chooser cancelled") << SaveChoice::Save << QString() << false << false;
        QTest::newRow("save fails") << SaveChoice::Save << u"folder"_s << false << false;
        QTest::newRow("discard") << SaveChoice::Discard << QString() << true << false;
        QTest::newRow("cancel") << SaveChoice::Cancel << QString() << false << false;
    }

    void closeAsksBeforeChangesAreLost()
    {
        QFETCH(SaveChoice, choice);
        QFETCH(QString, chosenFile);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        QVERIFY(QDir(dir_->path()).mkpath(u"folder"_s));
        typeInCell(*window_, 1, 1, u"a"_s);
        dialogs_.saveChoices = {choice};
        if (!chosenFile.isEmpty())
            dialogs_.answers = {dir_->filePath(chosenFile)};

        QCOMPARE(window_->close(), closes);
        QCOMPARE(window_->isVisible(), !closes);
        QCOMPARE(dialogs_.saveQuestions, 1);
        QCOMPARE(QFile::exists(dir_->filePath(u"poem.grd"_s)), saved);
        QCOMPARE(window_->document().isModified(), !saved);
    }

    void closeWithoutChangesAsksNothing()
    {
        typeInCell(*window_, 1, 1, u"a"_s);
        window_->document().undoStack().undo();
        QVERIFY(window_->close());
        QCOMPARE(dialogs_.saveQuestions, 0);
    }

    // Loading over unsaved changes asks first; loading is one step that undoes.
    void loadAsksAndUndoes_data()
    {
        QTest::addColumn<SaveChoice>("choice");
        QTest::addColumn<bool>("loads");
        QTest::newRow("discard") << SaveChoice::Discard << true;
        QTest::newRow("cancel") << SaveChoice::Cancel << false;
    }

    void loadAsksAndUndoes()
    {
        QFETCH(SaveChoice, choice);
        QFETCH(bool, loads);
        const QString other = dir_->filePath(u"other.grd"_s);
        QVERIFY(saveSheet(*buildSheet({{{u"x"_s, 0x00112233}}}), other));
        typeInCell(*window_, 3, 3, u"a"_s);
        const QByteArray edited = sheetBytes(window_->sheet());
        dialogs_.saveChoices = {choice};
        dialogs_.answers = {other};

        window_->loadGrid();
        QCOMPARE(dialogs_.requests.size(), loads ? 1 : 0);
        QCOMPARE(window_->sheet().columnCount(), loads ? 1 : 25);
        QCOMPARE(window_->windowTitle().endsWith(u" - other.grd[*]"_s), loads);
        if (!loads)
            return;
        QVERIFY(!window_->document().isModified());
        QCOMPARE(findControl<QAction>(*window_, "Undo")->text(), u"Undo Load Grid Image"_s);
        window_->document().undoStack().undo();
        QCOMPARE(sheetBytes(window_->sheet()), edited);
        QVERIFY(window_->isWindowModified());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    FakeDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(TestUndoHistory)
#include "tst_undohistory.moc"
