#include "support/ui/FakeDialogs.h"

#include <algorithm>

namespace {

class FakeFileChooser : public FileChooser {
public:
    explicit FakeFileChooser(FakeDialogs &dialogs)
        : dialogs_(dialogs)
    {
    }

protected:
    QString askToOpen(const QString &title, const QString &filter) override { return ask(false, title, filter); }
    QString askToSave(const QString &title, const QString &filter) override { return ask(true, title, filter); }

private:
    QString ask(bool save, const QString &title, const QString &filter)
    {
        dialogs_.requests.append({save, title, filter, proposedPath()});
        return dialogs_.answers.isEmpty() ? QString() : dialogs_.answers.takeFirst();
    }

    FakeDialogs &dialogs_;
};

} // namespace

std::unique_ptr<FileChooser> FakeDialogs::newFileChooser(QWidget *)
{
    return std::make_unique<FakeFileChooser>(*this);
}

void FakeDialogs::showMessage(QWidget *, MessageIcon icon, const QString &text)
{
    messages.append({icon, text});
}

Answer FakeDialogs::askYesNoCancel(QWidget *, const QString &question)
{
    questions.append(question);
    return replies.isEmpty() ? Answer::Cancel : replies.takeFirst();
}

SaveChoice FakeDialogs::askToSaveChanges(QWidget *)
{
    ++saveQuestions;
    return saveChoices.isEmpty() ? SaveChoice::Cancel : saveChoices.takeFirst();
}

std::optional<Color> FakeDialogs::chooseColor(QWidget *, Color initial)
{
    colorRequests.append(initial);
    return colorAnswers.isEmpty() ? std::nullopt : colorAnswers.takeFirst();
}

std::optional<int> FakeDialogs::askNumber(QWidget *, const QString &, int, int minimum, int maximum)
{
    if (numberAnswers.isEmpty())
        return std::nullopt;
    return std::clamp(numberAnswers.takeFirst(), minimum, maximum);
}
