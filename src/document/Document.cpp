#include "document/Document.h"

#include "document/commands/SheetCommand.h"

#include <QSignalBlocker>

#include <vector>

namespace {

// An applied step moved out of the history while it is rebuilt.
class HeldStep final : public SheetCommand {
public:
    explicit HeldStep(SheetCommand &step)
        : SheetCommand(step.sheet(), step.text())
    {
        takeStateOf(step);
    }

protected:
    SheetRegion savedBeforeChange() const override { return {}; }
    bool change() override { return false; }
};

qint64 stepBytes(const QUndoCommand *command)
{
    const auto *step = dynamic_cast<const SheetCommand *>(command);
    return step ? step->byteCount() : 0;
}

} // namespace

Document::Document(QObject *parent)
    : QObject(parent)
{
    sheet_.setObserver(this);
    connect(&undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

Document::~Document() = default;

bool Document::perform(std::unique_ptr<SheetCommand> command)
{
    if (!command->apply())
        return false;
    if (command->cannotBeUndone()) {
        // The steps before it would undo onto cells they no longer match.
        undoStack_.clear();
        undoStack_.resetClean();
        return true;
    }
    undoStack_.push(command.release());
    dropOldestSteps();
    return true;
}

void Document::markSaved(const QString &filePath)
{
    undoStack_.setClean();
    if (filePath != filePath_) {
        filePath_ = filePath;
        emit filePathChanged(filePath_);
    }
}

void Document::setHistoryLimit(qint64 bytes)
{
    historyLimit_ = bytes;
    dropOldestSteps();
}

qint64 Document::historyBytes() const
{
    qint64 bytes = 0;
    for (int i = 0; i < undoStack_.count(); ++i)
        bytes += stepBytes(undoStack_.command(i));
    return bytes;
}

// QUndoStack drops its oldest steps by a count alone, and only while it is empty; so the
// history is rebuilt without them. Their saved states move into held steps that are pushed
// again without being applied twice. The newest step always stays, however large. Undone
// steps would have to be undone again after the rebuild, so it waits for the next push,
// which discards them.
void Document::dropOldestSteps()
{
    const int count = undoStack_.count();
    if (undoStack_.index() != count)
        return;
    qint64 bytes = historyBytes();
    int dropped = 0;
    while (bytes > historyLimit_ && dropped < count - 1)
        bytes -= stepBytes(undoStack_.command(dropped++));
    if (dropped == 0)
        return;

    std::vector<std::unique_ptr<SheetCommand>> kept;
    kept.reserve(size_t(count - dropped));
    for (int i = dropped; i < count; ++i) {
        // Every step in the history came through perform().
        auto *step = static_cast<SheetCommand *>(const_cast<QUndoCommand *>(undoStack_.command(i)));
        kept.push_back(std::make_unique<HeldStep>(*step));
    }
    const int cleanIndex = undoStack_.cleanIndex() - dropped;

    // Nothing a user sees changes: the same steps stay to undo, and the stack is clean
    // exactly when it was.
    const QSignalBlocker blocker(undoStack_);
    undoStack_.clear();
    if (cleanIndex < 0)
        undoStack_.resetClean();
    for (size_t i = 0; i < kept.size(); ++i) {
        undoStack_.push(kept[i].release());
        if (int(i) + 1 == cleanIndex)
            undoStack_.setClean();
    }
}

void Document::setNearColorText(const QString &text)
{
    if (text == nearColorText_)
        return;
    nearColorText_ = text;
    emit pageSettingsChanged();
}

void Document::setBackgroundText(const QString &text)
{
    if (text == backgroundText_)
        return;
    backgroundText_ = text;
    emit pageSettingsChanged();
}

void Document::setAsIs(bool asIs)
{
    if (asIs == asIs_)
        return;
    asIs_ = asIs;
    emit pageSettingsChanged();
}
