// The text import window: the text file to pour and the pouring options. OK pours the file
// into the main window's grid sheet and closes; the window stays open when it cannot.
#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class FileChooser;
class frmEdit;
enum class LineBreakMode;

class frmTextLoad : public QDialog {
    Q_OBJECT
public:
    // Owned by the main window, whose grid sheet it fills and whose near-colour and
    // background fields it reads.
    explicit frmTextLoad(frmEdit &owner);
    ~frmTextLoad() override;

    QLineEdit *txtPath = nullptr;
    QPushButton *cmdRef = nullptr;
    QRadioButton *rdoText[2] = { nullptr, nullptr }; // new row at a line break; ignore line breaks
    QCheckBox *chkBackSkip = nullptr;
    QCheckBox *chkSpaceSkip = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // The window's own chooser, used by the browse button.
    FileChooser &comDlg() { return *comDlg_; }

public slots:
    void cmdRef_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void CreateControls();
    void PlaceControls();
    bool LoadTextByLine();
    bool LoadTextFlow();
    bool LoadText(LineBreakMode mode);

    frmEdit &owner_;
    std::unique_ptr<FileChooser> comDlg_;
};
