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
class MainWindow;
enum class LineBreakMode;

class TextImportDialog : public QDialog {
    Q_OBJECT
public:
    // Owned by the main window, whose grid sheet it fills and whose near-colour and
    // background fields it reads.
    explicit TextImportDialog(MainWindow &owner);
    ~TextImportDialog() override;

    // The window's own chooser, used by the browse button.
    FileChooser &fileChooser() { return *fileChooser_; }

public slots:
    void browse();
    void pourChosenFile();
    void cancel();

private:
    void createControls();
    void placeControls();
    bool pourByLine();
    bool pourFlowing();
    bool pour(LineBreakMode mode);

    MainWindow &owner_;
    std::unique_ptr<FileChooser> fileChooser_;
    QLineEdit *pathEdit_ = nullptr;
    QPushButton *browseButton_ = nullptr;
    QRadioButton *lineBreakButtons_[2] = {nullptr, nullptr}; // new row at a line break; ignore line breaks
    QCheckBox *skipBackgroundCheckBox_ = nullptr;
    QCheckBox *skipBlanksCheckBox_ = nullptr;
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
};
