// The main window's files and history as a user meets them: Save and Load Grid Image, files
// opened or dropped, undo and redo, and the question before unsaved work is thrown away.
#include "gridfile/GridFile.h"
#include "support/logic/SheetBuilder.h"
#include "support/logic/TestFiles.h"
#include "support/ui/Controls.h"
#include "support/ui/FakeDialogs.h"
#include "ui/GridSheetView.h"
#include "ui/MainWindow.h"
#include "ui/TextImportDialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestFilesAndHistory : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    FakeDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    // One typing step, as the cell editor commits it.
    void type(int column, int row, const QString &text)
    {
        QAbstractItemModel *model = findControl<GridSheetView>(*window_, "sprEdit")->model();
        QVERIFY(model->setData(model->index(row - 1, column - 1), text));
    }

    // Presses a shortcut and answers the chooser with a file of the test folder (empty: cancel).
    QString press(Qt::Key key, const QString &name)
    {
        const QString path = name.isEmpty() ? name : dir_->filePath(name);
        dialogs_.answers << path;
        QTest::keyClick(window_.get(), key, Qt::ControlModifier);
        return path;
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
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

    // Redo has both of its usual keys; the caption marks unsaved changes before the first save too.
    void undoAndRedoKeys()
    {
        type(2, 3, u"ha"_s);
        QCOMPARE(window_->windowTitle(), u"Glyphscape ver. 0.005b[*]"_s);
        QVERIFY(window_->isWindowModified());
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), QString());
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), u"ha"_s);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(window_->sheet().getCellText(2, 3), u"ha"_s);
    }

    // What was saved loads back whole under the name as typed, the fields kept. A cancel or a
    // missing file changes nothing silently; a damaged one, with the reader's failure in our words.
    void saveAndLoad()
    {
        window_->sheet().takeContentFrom(*buildSheet({{{u"春"_s, 0x00336699, kWhite}, {u"ab"_s}}, {{u"𠮷"_s}}}));
        const QByteArray saved = sheetBytes(window_->sheet());
        const QString path = press(Qt::Key_S, u"poem"_s);
        QCOMPARE(window_->windowTitle(), u"Glyphscape ver. 0.005b - poem[*]"_s);
        window_->sheet().setSize(1, 30);
        findControl<QLineEdit>(*window_, "txtBGcolor")->setText(u"#102030"_s);
        press(Qt::Key_O, u"poem"_s);
        QCOMPARE(sheetBytes(window_->sheet()), saved);
        QCOMPARE(findControl<QLineEdit>(*window_, "txtBGcolor")->text(), u"#102030"_s);

        press(Qt::Key_S, QString());
        press(Qt::Key_O, QString());
        press(Qt::Key_O, u"missing.grd"_s);
        QVERIFY(dialogs_.messages.isEmpty());
        const QString damaged = writeTestFile(dir_->path(), u"damaged.grd"_s, readTestFile(path).left(30));
        press(Qt::Key_O, u"damaged.grd"_s);
        QCOMPARE(sheetBytes(window_->sheet()), saved);
        QCOMPARE(folderEntries(dir_->path()), QStringList({u"damaged.grd"_s, u"poem"_s}));
        QCOMPARE(dialogs_.messages.size(), 1);
        QCOMPARE(dialogs_.messages[0].text,
            u"読み込みエラー\r\n"_s + damaged + u"\r\nThe file is too short for a grid of 2 columns and 2 rows."_s);
    }

    // Closing or loading over unsaved changes asks first: each answer, and a save that fails.
    void unsavedChangesAreAskedAbout_data()
    {
        QTest::addColumn<bool>("load"); // or close
        QTest::addColumn<SaveChoice>("choice");
        QTest::addColumn<QString>("chosenFile"); // the next chooser's answer
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("close, save") << false << SaveChoice::Save << u"poem.grd"_s << true;
        QTest::newRow("close, save fails") << false << SaveChoice::Save << u"folder"_s << false;
        QTest::newRow("close, discard") << false << SaveChoice::Discard << QString() << true;
        QTest::newRow("close, cancel") << false << SaveChoice::Cancel << QString() << false;
        QTest::newRow("load, discard") << true << SaveChoice::Discard << u"other.grd"_s << true;
    }

    void unsavedChangesAreAskedAbout()
    {
        QFETCH(bool, load);
        QFETCH(SaveChoice, choice);
        QFETCH(QString, chosenFile);
        QFETCH(bool, goesOn);
        const bool saved = choice == SaveChoice::Save && goesOn;
        QVERIFY(QDir(dir_->path()).mkpath(u"folder"_s));
        QVERIFY(saveSheet(*buildSheet({{{u"x"_s}}}), dir_->filePath(u"other.grd"_s)));
        type(1, 1, u"a"_s);
        dialogs_.saveChoices = {choice};
        if (!chosenFile.isEmpty())
            dialogs_.answers = {dir_->filePath(chosenFile)};

        if (load) {
            window_->loadGrid();
            QCOMPARE(window_->sheet().columnCount() == 1, goesOn);
        } else {
            QCOMPARE(window_->close(), goesOn);
        }
        QCOMPARE(dialogs_.saveQuestions, 1);
        QCOMPARE(QFile::exists(dir_->filePath(u"poem.grd"_s)), saved);
        QCOMPARE(window_->isWindowModified(), !saved && !(load && goesOn));
    }
    // Files named on the command line or dropped open where their menu command would open them.
    void openedOrDroppedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("dropped"); // or opened as from the command line
        QTest::addColumn<QString>("opened"); // grid, picture, text, message or nothing

        const QByteArray gif
            = QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c000000000100010000"
                                  "02024401003b");
        QTest::newRow("missing") << QString() << QByteArray() << false << u"message"_s;
        QTest::newRow("foreign") << u"data.bin"_s << "\0\1\2"_ba << false << u"message"_s;
        QTest::newRow("dropped grid file")
            << u"poem.grd"_s << sheetBytes(*buildSheet({{{u"春"_s}, {u"夏"_s}}})) << true << u"grid"_s;
        QTest::newRow("dropped picture") << u"picture.gif"_s << gif << true << u"picture"_s;
        QTest::newRow("dropped text") << u"poem.txt"_s << "spring"_ba << true << u"text"_s;
        QTest::newRow("dropped foreign file is refused") << u"data.bin"_s << "\0\1\2"_ba << true << u"nothing"_s;
    }

    void openedOrDroppedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, dropped);
        QFETCH(QString, opened);

        const QString path = name.isEmpty() ? dir_->filePath(u"none.grd"_s) : writeTestFile(dir_->path(), name, bytes);
        // The text import window is modal: note its path and close it once it is up.
        QString textPath;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto *text = qobject_cast<TextImportDialog *>(QApplication::activeModalWidget())) {
                textPath = findControl<QLineEdit>(*text, "txtPath")->text();
                text->reject();
            }
        });
        closer.start(10);
        if (dropped) {
            // The pointer shows no entry where the window refuses the drag.
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window_.get(), &enter);
            QCOMPARE(enter.isAccepted(), opened != u"nothing");
            QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            if (enter.isAccepted())
                QApplication::sendEvent(window_.get(), &drop);
            QTest::qWait(50); // the file opens through the event loop, once the drop is over
        } else {
            window_->openFile(path);
        }

        QCOMPARE(window_->document().filePath() == path, opened == u"grid");
        QCOMPARE(window_->isPictureLoaded(), opened == u"picture");
        QCOMPARE(textPath, opened == u"text" ? path : QString());
        QCOMPARE(dialogs_.messages.size(), opened == u"message" ? 1 : 0);
    }
};

QTEST_MAIN(TestFilesAndHistory)
#include "tst_filesandhistory.moc"
