#include "ui/FileChooser.h"

#include "core/Version.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

QString toQtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            continue;
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << parts[i] + QStringLiteral(" (") + patterns + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QString readErrorText(const QString &path, const QString &reason)
{
    return QStringLiteral("読み込みエラー\r\n") + path + QStringLiteral("\r\n") + reason;
}

QString writeErrorText(const QString &path, const QString &reason)
{
    return QStringLiteral("書き込みエラー\r\n") + path + QStringLiteral("\r\n") + reason;
}

namespace {

class DialogFileChooser : public FileChooser {
public:
    DialogFileChooser(QWidget *parent, std::shared_ptr<QString> lastFolder)
        : parent_(parent)
        , lastFolder_(std::move(lastFolder))
    {
    }

protected:
    QString askToOpen(const QString &title, const QString &filter) override
    {
        return ask(title, filter, QFileDialog::AcceptOpen);
    }
    QString askToSave(const QString &title, const QString &filter) override
    {
        return ask(title, filter, QFileDialog::AcceptSave);
    }

private:
    QString ask(const QString &title, const QString &filter, QFileDialog::AcceptMode mode)
    {
        QFileDialog dialog(parent_, title);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        // The descriptions already name their patterns; no extension is ever added.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(toQtNameFilters(filter));
        // Opens where this run's last file was chosen, else in the working folder; a folder
        // only browsed in a cancelled dialog is not the last used.
        dialog.setDirectory(lastFolder_->isEmpty() ? QDir::currentPath() : *lastFolder_);
        if (!proposedPath().isEmpty())
            dialog.selectFile(proposedPath());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        QString path = dialog.selectedFiles().constFirst();
        *lastFolder_ = QFileInfo(path).absolutePath();
        return path;
    }

    QPointer<QWidget> parent_;
    std::shared_ptr<QString> lastFolder_;
};

} // namespace

std::unique_ptr<FileChooser> SystemDialogs::newFileChooser(QWidget *parent)
{
    return std::make_unique<DialogFileChooser>(parent, lastFolder_);
}

void SystemDialogs::showMessage(QWidget *parent, MessageIcon icon, const QString &text)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, applicationTitle(), text,
        QMessageBox::Ok, parent);
    box.exec();
}

Answer SystemDialogs::askYesNoCancel(QWidget *parent, const QString &question)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

SaveChoice SystemDialogs::askToSaveChanges(QWidget *parent)
{
    QMessageBox box(QMessageBox::Warning, applicationTitle(), QStringLiteral("Save changes?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveChoice::Save;
    case QMessageBox::Discard: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
    }
}

std::optional<Color> SystemDialogs::chooseColor(QWidget *parent, Color initial)
{
    const QColor chosen = QColorDialog::getColor(QColor(getRed(initial), getGreen(initial), getBlue(initial)), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return makeColor(chosen.red(), chosen.green(), chosen.blue());
}

std::optional<int> SystemDialogs::askNumber(
    QWidget *parent, const QString &label, int initial, int minimum, int maximum)
{
    bool ok = false;
    const int number
        = QInputDialog::getInt(parent, QStringLiteral("Glyphscape"), label, initial, minimum, maximum, 1, &ok);
    if (!ok)
        return std::nullopt;
    return number;
}
