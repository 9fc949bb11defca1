// The main window's history as a user meets it: undo and redo, the caption's modified mark,
// and the question before unsaved work is thrown away.
#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"

#include <QtTest>
#include <QtWidgets>

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

    // Redo has both of its usual keys.
    void undoAndRedoKeys()
    {
        typeInCell(*window_, 2, 3, u"ha"_s);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), QString());
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), u"ha"_s);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), u"ha"_s);
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

    // Closing over unsaved changes asks first: each answer, and a save that does not happen.
    void closeAsksBeforeChangesAreLost_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<SaveChoice>("choice");
        QTest::addColumn<QString>("chosenFile"); // the Save chooser's answer
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("save") << true << SaveChoice::Save << u"poem.grd"_s << true << true;
        QTest::newRow("save, chooser cancelled") << true << SaveChoice::Save << QString() << false << false;
        QTest::newRow("save fails") << true << SaveChoice::Save << u"folder"_s << false << false;
        QTest::newRow("discard") << true << SaveChoice::Discard << QString() << true << false;
        QTest::newRow("cancel") << true << SaveChoice::Cancel << QString() << false << false;
        QTest::newRow("change undone: no question") << false << SaveChoice::Cancel << QString() << true << false;
    }

    void closeAsksBeforeChangesAreLost()
    {
        QFETCH(bool, changed);
        QFETCH(SaveChoice, choice);
        QFETCH(QString, chosenFile);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        QVERIFY(QDir(dir_->path()).mkpath(u"folder"_s));
        typeInCell(*window_, 1, 1, u"a"_s);
        if (!changed)
            window_->document().undoStack().undo();
        dialogs_.saveChoices = {choice};
        if (!chosenFile.isEmpty())
            dialogs_.answers = {dir_->filePath(chosenFile)};

        QCOMPARE(window_->close(), closes);
        QCOMPARE(window_->isVisible(), !closes);
        QCOMPARE(dialogs_.saveQuestions, changed ? 1 : 0);
        QCOMPARE(QFile::exists(dir_->filePath(u"poem.grd"_s)), saved);
        QCOMPARE(window_->document().isModified(), changed && !saved);
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
