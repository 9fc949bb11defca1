// The main window: the grid sheet, the fields that steer the HTML page, the buttons and
// the menu. Each handler gathers its inputs, calls the logic and shows the outcome.
#pragma once

#include "core/AtomicFile.h"
#include "core/GridSheet.h"
#include "document/Document.h"
#include "ui/CellColorsDialog.h"
#include "ui/FileChooser.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class AnchoredArea;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class GridSheetView;
class PictureWindow;
class TypingAidWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    Document &document() { return document_; }
    GridSheet &sheet() { return document_.sheet(); }
    Dialogs &dialogs() { return dialogs_; }

    // True while a picture is loaded in the picture window.
    bool isPictureLoaded() const;

    // The main window's own chooser.
    FileChooser &fileChooser() { return *fileChooser_; }

public slots:
    void makeHtml();
    void copyCellColorToBackground();
    void showTypingAid();
    void importPicture();
    void importText();
    void exportPlainText();
    // Export Picture: the grid in its current look as a PNG, at a cell size the user picks.
    void exportPicture();
    void loadGrid();
    void saveGrid();
    void changeGridSize();
    // The selection in three forms: the cells with their colours, plain text and the page.
    void copyCells();
    void cutCells();
    // At the active cell: cells of this program, or else text laid as pouring lays it.
    void pasteCells();
    // Cell Colours: the dialog, then the checked colours on the selected cells.
    void chooseCellColors();
    // Pick Colour: the dialog's colours taken from the active cell.
    void pickCellColors();

    // A dropped file or one named on the command line: a grid file loads, a picture opens in
    // the picture window, a text opens the text import window with its path filled in; any
    // other file gives a message and changes nothing.
    void openFile(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenus();
    void placeControls();
    void createStatusBar();
    void showActiveCell();
    void showVersion();
    // The application title, and the grid file's name with the modified mark once there is one.
    void showCaption();
    // Before unsaved changes are thrown away: true when they were saved or may go.
    bool maySetChangesAside();
    // Copy; false, with a message, when there was nothing to copy or no memory for it.
    bool copySelection();
    // Save Grid Image, starting on the document's file; true once the file is written.
    bool chooseAndSaveGrid();
    // Opens at the designed size where the screen holds it, and fills the screen otherwise.
    void fitToScreen();
    // Writes the chosen file whole under the busy pointer; a failure shows
    // "書き込みエラー", the path and the reason, a success says so in the status bar.
    bool writeChosenFile(const QString &path, const DeviceWriter &writer);
    // The file commands after their choosers, for a path from anywhere.
    void showPictureFile(const QString &path);
    void loadGridFile(const QString &path);
    void importTextFile(const QString &path);

    Dialogs &dialogs_;
    Document document_;
    GridSheet &sheet_ = document_.sheet();

    // The controls; their object names are the ones tests and style sheets find them by.
    AnchoredArea *client_ = nullptr;
    GridSheetView *gridView_ = nullptr;
    QLabel *nearColorLabel_ = nullptr;
    QLineEdit *nearColorEdit_ = nullptr;
    QLabel *backgroundLabel_ = nullptr;
    QLineEdit *backgroundEdit_ = nullptr;
    QPushButton *cellToBackgroundButton_ = nullptr;
    QPushButton *typingAidButton_ = nullptr;
    QPushButton *makeHtmlButton_ = nullptr;
    QCheckBox *asIsCheckBox_ = nullptr;
    QLabel *titleLabel_ = nullptr;
    QLabel *versionLabel_ = nullptr;
    QLabel *licenceLabel_ = nullptr;
    QLabel *cellPositionLabel_ = nullptr;
    QLabel *cellColorsLabel_ = nullptr;
    QLabel *sheetSizeLabel_ = nullptr;
    QLabel *selectionSizeLabel_ = nullptr;
    QLabel *zoomLabel_ = nullptr;

    QAction *importPictureAction_ = nullptr;
    QAction *importTextAction_ = nullptr;
    QAction *exportTextAction_ = nullptr;
    QAction *exportPictureAction_ = nullptr;
    QAction *makeHtmlAction_ = nullptr;
    QAction *loadGridAction_ = nullptr;
    QAction *saveGridAction_ = nullptr;
    QAction *gridSizeAction_ = nullptr;
    QAction *cutAction_ = nullptr;
    QAction *copyAction_ = nullptr;
    QAction *pasteAction_ = nullptr;
    QAction *undoAction_ = nullptr;
    QAction *redoAction_ = nullptr;
    QAction *deleteAction_ = nullptr;
    QAction *selectAllAction_ = nullptr;
    QAction *cellColorsAction_ = nullptr;
    QAction *pickColorAction_ = nullptr;
    QAction *pageLookAction_ = nullptr;

    // The Cell Colours dialog's colours and checks, kept between openings.
    CellColorChoice cellColors_;
    int pictureCellSide_ = 16; // Export Picture's cell size, kept between exports

    std::unique_ptr<FileChooser> fileChooser_;
    // --- windows opened from here (each at most once) ---
    QPointer<PictureWindow> pictureWindow_; // deleted when closed
    QPointer<TypingAidWindow> typingAidWindow_; // deleted when closed
};
