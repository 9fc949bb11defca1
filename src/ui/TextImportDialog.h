// The text import window: the text file to pour, its encoding and the pouring options. OK
// pours the file into the main window's grid sheet and closes; the window stays open when it
// cannot, or when the user backs out of reading the file.
#pragma once

#include <QDialog>

#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class FileChooser;
class Dialogs;
class Document;
enum class LineBreakMode;
enum class TextEncoding;
struct TextFileTraits;

class TextImportDialog : public QDialog {
    Q_OBJECT
public:
    // Modal over its owner; pours into the document's sheet with its page settings.
    TextImportDialog(Document &document, Dialogs &dialogs, QWidget *owner);
    ~TextImportDialog() override;

    // The window's own chooser, used by the browse button.
    FileChooser &fileChooser() { return *fileChooser_; }
    // The text file to pour, as if typed into the path field.
    void setFilePath(const QString &path);

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
    // The encoding to read the file in, asking when it looks like UTF-8; empty when cancelled.
    std::optional<TextEncoding> encodingToRead(const TextFileTraits &traits);

    Document &document_;
    Dialogs &dialogs_;
    std::unique_ptr<FileChooser> fileChooser_;
    QLineEdit *pathEdit_ = nullptr;
    QPushButton *browseButton_ = nullptr;
    QRadioButton *lineBreakButtons_[2] = {nullptr, nullptr}; // new row at a line break; ignore line breaks
    QCheckBox *skipBackgroundCheckBox_ = nullptr;
    QCheckBox *skipBlanksCheckBox_ = nullptr;
    QLabel *encodingLabel_ = nullptr;
    QComboBox *encodingBox_ = nullptr;
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
};
