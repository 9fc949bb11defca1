// The document: the sheet, the page settings that steer the HTML page, and the history of
// the sheet's changes. Windows change the sheet through commands pushed here, so that every
// change can be undone and the modified mark follows the saved state.
#pragma once

#include "core/GridSheet.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <memory>

class SheetCommand;

class Document : public QObject, private SheetObserver {
    Q_OBJECT
public:
    // The history's default memory limit: the oldest steps go first beyond it.
    static constexpr qint64 kDefaultHistoryLimit = 512LL * 1024 * 1024;

    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    GridSheet &sheet() { return sheet_; }
    const GridSheet &sheet() const { return sheet_; }
    QUndoStack &undoStack() { return undoStack_; }

    // Applies the command and keeps it in the history. False, keeping nothing, when it left
    // the sheet unchanged; the command's result says why. A step too large to save the old
    // cells of is made all the same and empties the history.
    bool perform(std::unique_ptr<SheetCommand> command);

    // The page settings, as the user typed them: the writers and text import read them so.
    QString nearColorText() const { return nearColorText_; }
    void setNearColorText(const QString &text);
    QString backgroundText() const { return backgroundText_; }
    void setBackgroundText(const QString &text);
    bool isAsIs() const { return asIs_; }
    void setAsIs(bool asIs);

    // The grid file the document was last saved to or loaded from; empty before.
    QString filePath() const { return filePath_; }
    // Records a save or a load of the grid file: the sheet now matches it.
    void markSaved(const QString &filePath);
    bool isModified() const { return !undoStack_.isClean(); }

    qint64 historyLimit() const { return historyLimit_; }
    void setHistoryLimit(qint64 bytes);
    // The memory the history's steps hold.
    qint64 historyBytes() const;

signals:
    // The sheet's changes, each once per operation.
    void sizeAboutToChange();
    void sizeChanged();
    void cellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow);
    void activeCellChanged(int column, int row);

    // Near Color, Back Ground or as-is changed: the page's look follows.
    void pageSettingsChanged();

    void modifiedChanged(bool modified);
    void filePathChanged(const QString &filePath);

private:
    void sheetSizeAboutToChange() override { emit sizeAboutToChange(); }
    void sheetSizeChanged() override { emit sizeChanged(); }
    void sheetCellsChanged(int firstColumn, int firstRow, int lastColumn, int lastRow) override
    {
        emit cellsChanged(firstColumn, firstRow, lastColumn, lastRow);
    }
    void sheetActiveCellChanged(int column, int row) override { emit activeCellChanged(column, row); }

    void dropOldestSteps();

    GridSheet sheet_;
    QUndoStack undoStack_;
    QString filePath_;
    QString nearColorText_ = QStringLiteral("8");
    QString backgroundText_ = QStringLiteral("#FFFFFF");
    bool asIs_ = false;
    qint64 historyLimit_ = kDefaultHistoryLimit;
};
