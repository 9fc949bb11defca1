#include "ui/GridSheetModel.h"

#include "core/GridSheet.h"
#include "document/Document.h"
#include "document/commands/EditCells.h"

#include <QBrush>
#include <QColor>

namespace {

QColor toQColor(Color color)
{
    return QColor(getRed(color), getGreen(color), getBlue(color));
}

// The start of a text up to the bound, a surrogate pair across it left out whole.
QString shownStart(QStringView text)
{
    if (text.size() <= GridSheetModel::kMaxShownLength)
        return text.toString();
    qsizetype length = GridSheetModel::kMaxShownLength;
    if (text.at(length - 1).isHighSurrogate() && text.at(length).isLowSurrogate())
        --length;
    return text.left(length).toString();
}

} // namespace

GridSheetModel::GridSheetModel(Document &document, QObject *parent)
    : QAbstractTableModel(parent)
    , document_(document)
    , sheet_(document.sheet())
{
    connect(&document_, &Document::sizeAboutToChange, this, &GridSheetModel::beginResetModel);
    connect(&document_, &Document::sizeChanged, this, &GridSheetModel::endResetModel);
    connect(
        &document_, &Document::cellsChanged, this, [this](int firstColumn, int firstRow, int lastColumn, int lastRow) {
            emit dataChanged(index(firstRow - 1, firstColumn - 1), index(lastRow - 1, lastColumn - 1));
        });
}

int GridSheetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : sheet_.rowCount();
}

int GridSheetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : sheet_.columnCount();
}

QVariant GridSheetModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int column = index.column() + 1;
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole: return shownStart(sheet_.cellTextView(column, row));
    case Qt::EditRole: return sheet_.getCellText(column, row);
    case Qt::BackgroundRole: return QBrush(toQColor(sheet_.backColorAt(column, row)));
    case Qt::ForegroundRole: return QBrush(toQColor(sheet_.foreColorAt(column, row)));
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    default: return {};
    }
}

bool GridSheetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    // The sheet announces the change itself.
    const int column = index.column() + 1;
    const int row = index.row() + 1;
    return document_.perform(std::make_unique<EditCells>(
        sheet_, QStringLiteral("Typing"), QList<CellTextEdit> {{column, row, value.toString()}}, QPoint(column, row)));
}

Qt::ItemFlags GridSheetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
