#include "support/ui/FakeDialogs.h"

namespace {

class FakeFileChooser : public FileChooser {
public:
    explicit FakeFileChooser(FakeDialogs &dialogs) : dialogs_(dialogs) {}

protected:
    QString AskToOpen(const QString &title, const QString &filter) override { return Ask(false, title, filter); }
    QString AskToSave(const QString &title, const QString &filter) override { return Ask(true, title, filter); }

private:
    QString Ask(bool save, const QString &title, const QString &filter)
    {
        dialogs_.requests.append({save, title, filter});
        return dialogs_.answers.isEmpty() ? QString() : dialogs_.answers.takeFirst();
    }

    FakeDialogs &dialogs_;
};

} // namespace

std::unique_ptr<FileChooser> FakeDialogs::NewFileChooser(QWidget *)
{
    return std::make_unique<FakeFileChooser>(*this);
}

void FakeDialogs::ShowMessage(QWidget *, MessageIcon icon, const QString &text)
{
    messages.append({icon, text});
}
