#include "ui/GridSheetView.h"

#include "core/GridSheet.h"
#include "document/Document.h"
#include "ui/Fonts.h"
#include "ui/GridSheetModel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Paints cells in their own colours even when selected; the active cell gets a frame.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
        if (option.state & QStyle::State_Selected) {
            painter->save();
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
            painter->restore();
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        // A line edit holds at most 32,767 characters: a longer text left untouched stays whole.
        if (const auto *line = qobject_cast<QLineEdit *>(editor); line && !line->isModified())
            return;
        QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

GridSheetView::GridSheetView(Document &document, QWidget *parent)
    : QTableView(parent)
    , sheet_(document.sheet())
    , model_(new GridSheetModel(document, this))
{
    setModel(model_);
    setItemDelegate(new CellDelegate(this));
    setFont(gridSheetFont());
    setProperty("keepFont", true);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // One full-width character wide and high; fixed sizes keep huge sheets cheap.
    const int side = fontMetrics().height() + 4;
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(4);
        header->setDefaultSectionSize(side);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid())
            sheet_.setActiveCell(current.column() + 1, current.row() + 1);
    });
    connect(&document, &Document::activeCellChanged, this, &GridSheetView::showActiveCell);
    // A reset forgets the current index; put it back on the active cell.
    connect(model_, &QAbstractItemModel::modelReset, this, &GridSheetView::showActiveCell);
    showActiveCell();
}

void GridSheetView::showActiveCell()
{
    const QModelIndex index = model_->index(sheet_.activeRow() - 1, sheet_.activeColumn() - 1);
    if (index.isValid() && index != currentIndex())
        setCurrentIndex(index);
}
