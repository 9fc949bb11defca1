// The modal file chooser and the message boxes, behind small interfaces so that tests
// can answer them.
#pragma once

#include "core/Color.h"

#include <QFileInfo>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

class FileChooser {
public:
    virtual ~FileChooser() = default;

    // The chosen path exactly as picked or typed, or empty when the user cancelled.
    QString chooseFileToOpen(const QString &title, const QString &filter) { return remember(askToOpen(title, filter)); }
    QString chooseFileToSave(const QString &title, const QString &filter) { return remember(askToSave(title, filter)); }
    // The last chosen file's name without its folder.
    QString chosenFileTitle() const { return QFileInfo(chosenPath_).fileName(); }
    // The file the next chooser starts on (the document's own file); empty for none.
    void proposeFile(const QString &path) { proposedPath_ = path; }

protected:
    QString proposedPath() const { return proposedPath_; }
    virtual QString askToOpen(const QString &title, const QString &filter) = 0;
    virtual QString askToSave(const QString &title, const QString &filter) = 0;

private:
    QString remember(const QString &path)
    {
        if (!path.isEmpty())
            chosenPath_ = path;
        return path;
    }
    QString chosenPath_;
    QString proposedPath_;
};

// "desc|*.a;*.b|desc2|*.c||" as Qt name filters: "desc (*.a *.b);;desc2 (*.c)".
QString toQtNameFilters(const QString &filter);

enum class MessageIcon { None, Error };
enum class Answer { Yes, No, Cancel };
enum class SaveChoice { Save, Discard, Cancel };

// The failure messages of the file commands: the heading, the path and the reason, one a line.
QString readErrorText(const QString &path, const QString &reason);
QString writeErrorText(const QString &path, const QString &reason);

// Everything a window asks of the user beyond its own controls.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual std::unique_ptr<FileChooser> newFileChooser(QWidget *parent) = 0;
    // A message box titled "Glyphscape" with one OK button.
    virtual void showMessage(QWidget *parent, MessageIcon icon, const QString &text) = 0;
    // A question box titled "Glyphscape" with Yes (the default), No and Cancel; closing it is Cancel.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &question) = 0;
    // "Save changes?" with Save (the default), Discard and Cancel; closing it is Cancel.
    virtual SaveChoice askToSaveChanges(QWidget *parent) = 0;
    // The colour chooser, starting on `initial`; nothing when cancelled.
    virtual std::optional<Color> chooseColor(QWidget *parent, Color initial) = 0;
    // A whole number from minimum to maximum, starting on initial; nothing when cancelled.
    virtual std::optional<int> askNumber(QWidget *parent, const QString &label, int initial, int minimum, int maximum)
        = 0;
};

// The real thing: QFileDialog and QMessageBox.
class SystemDialogs : public Dialogs {
    // The folder of the last file chosen in this run, shared by every chooser made here.
    std::shared_ptr<QString> lastFolder_ = std::make_shared<QString>();

public:
    std::unique_ptr<FileChooser> newFileChooser(QWidget *parent) override;
    void showMessage(QWidget *parent, MessageIcon icon, const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, const QString &question) override;
    SaveChoice askToSaveChanges(QWidget *parent) override;
    std::optional<Color> chooseColor(QWidget *parent, Color initial) override;
    std::optional<int> askNumber(QWidget *parent, const QString &label, int initial, int minimum, int maximum) override;
};
