// The main window: the grid sheet, the fields that steer the HTML page, the buttons and
// the menu. Each handler gathers its inputs, calls the logic and shows the outcome.
#pragma once

#include "core/AtomicFile.h"
#include "core/GridSheet.h"
#include "ui/FileChooser.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class GridSheetView;
class frmView;
class frmEditSupport;

class frmEdit : public QMainWindow {
    Q_OBJECT
public:
    explicit frmEdit(Dialogs &dialogs, QWidget *parent = nullptr);
    ~frmEdit() override;

    GridSheet &Sheet() { return sheet_; }
    Dialogs &DialogHost() { return dialogs_; }

    // True while a picture is loaded in the image view window.
    bool ImageLoaded = false;

    // The controls, named as designed; other windows read and write them directly.
    GridSheetView *sprEdit = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtNear = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtBGcolor = nullptr;
    QPushButton *btnCellToBG = nullptr;
    QPushButton *btnEditSupport = nullptr;
    QPushButton *btnMakeHtml = nullptr;
    QCheckBox *chkAsIs = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *lblVer = nullptr;
    QLabel *Label4 = nullptr;

    QAction *ImportImage = nullptr;
    QAction *ImportText = nullptr;
    QAction *ExportText = nullptr;
    QAction *MakeHtml = nullptr;
    QAction *LoadGridImage = nullptr;
    QAction *SavaGridImage = nullptr;
    QAction *Setting = nullptr;

    // The main window's own chooser.
    FileChooser &ComDlg() { return *comDlg_; }

public slots:
    void btnMakeHtml_Click();
    void MakeHtml_Click();
    void btnCellToBG_Click();
    void btnEditSupport_Click();
    void ImportImage_Click();
    void ImportText_Click();
    void ExportText_Click();
    void LoadGridImage_Click();
    void SavaGridImage_Click();
    void Setting_Click();

private:
    void CreateControls();
    void CreateMenus();
    void PlaceControls();
    void Form_Load();
    // Writes the chosen file whole under the busy pointer; a failure shows
    // "書き込みエラー", the path and the reason.
    void WriteChosenFile(const QString &path, const DeviceWriter &writer);

    Dialogs &dialogs_;
    GridSheet sheet_;
    std::unique_ptr<FileChooser> comDlg_;
    // --- windows opened from here (each at most once) ---
    QPointer<frmView> viewWindow_; // the image view window, deleted when closed
    QPointer<frmEditSupport> editSupportWindow_; // the edit support window, deleted when closed
};
