#include "ui/GridSheetView.h"

#include "core/GridSheet.h"
#include "document/Document.h"
#include "document/commands/ClearTexts.h"
#include "document/commands/MoveCells.h"
#include "ui/Fonts.h"
#include "ui/GridSheetModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Paints cells in their own colours even when selected: a selected cell is tinted, and
// the active cell gets a frame.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(QAbstractItemView *view)
        : QStyledItemDelegate(view)
        , view_(view)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
        const QColor highlight = option.palette.color(QPalette::Highlight);
        if (index == view_->currentIndex()) {
            painter->save();
            painter->setPen(QPen(highlight, 2));
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
            painter->restore();
        } else if (option.state & QStyle::State_Selected) {
            QColor tint = highlight;
            tint.setAlpha(48);
            painter->fillRect(option.rect, tint);
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        // A line edit holds at most 32,767 characters: a longer text left untouched stays whole.
        if (const auto *line = qobject_cast<QLineEdit *>(editor); line && !line->isModified())
            return;
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    QAbstractItemView *view_;
};

QRect cellArea(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    return QRect(
        QPoint(topLeft.column() + 1, topLeft.row() + 1), QPoint(bottomRight.column() + 1, bottomRight.row() + 1));
}

} // namespace

GridSheetView::GridSheetView(Document &document, QWidget *parent)
    : QTableView(parent)
    , document_(document)
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
    // One block: the selection model keeps it as a single range however many cells it holds.
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid())
            sheet_.setActiveCell(current.column() + 1, current.row() + 1);
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        // The outline moves with the whole block, beyond the cells whose state changed.
        viewport()->update();
        emit selectedAreaChanged(selectedArea());
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

QRect GridSheetView::selectedArea() const
{
    QRect area;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange &range : selection)
        area |= cellArea(range.topLeft(), range.bottomRight());
    if (qint64(area.width()) * area.height() > 1)
        return area;
    return QRect(sheet_.activeColumn(), sheet_.activeRow(), 1, 1);
}

void GridSheetView::selectArea(QRect area)
{
    area &= QRect(1, 1, sheet_.columnCount(), sheet_.rowCount());
    if (area.isEmpty())
        return;
    const QModelIndex topLeft = model_->index(area.top() - 1, area.left() - 1);
    const QModelIndex bottomRight = model_->index(area.bottom() - 1, area.right() - 1);
    selectionModel()->select(QItemSelection(topLeft, bottomRight), QItemSelectionModel::ClearAndSelect);
}

void GridSheetView::selectAll()
{
    selectArea(QRect(1, 1, sheet_.columnCount(), sheet_.rowCount()));
}

void GridSheetView::clearSelectedTexts()
{
    document_.perform(std::make_unique<ClearTexts>(sheet_, selectedArea()));
}

// A move of the current index not made by the user's keys or mouse (the sheet's active
// cell moving, a test) selects that cell alone, whatever modifier happens to be held.
QItemSelectionModel::SelectionFlags GridSheetView::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    if (!event)
        return QItemSelectionModel::ClearAndSelect;
    return QTableView::selectionCommand(index, event);
}

void GridSheetView::keyPressEvent(QKeyEvent *event)
{
    // Editing has the editor's own Backspace; here it clears the active cell.
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier && state() != EditingState) {
        document_.perform(std::make_unique<ClearTexts>(sheet_, QRect(sheet_.activeColumn(), sheet_.activeRow(), 1, 1)));
        return;
    }
    QTableView::keyPressEvent(event);
}

// A drag that starts inside a selection of several cells moves it; any other selects.
void GridSheetView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const QRect selected = selectedArea();
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier) && index.isValid()
        && selected.width() * selected.height() > 1 && selected.contains(index.column() + 1, index.row() + 1)) {
        movePress_.reset(event->clone());
        moveSource_ = selected;
        moveLanding_ = {};
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTableView::mousePressEvent(event);
}

void GridSheetView::mouseMoveEvent(QMouseEvent *event)
{
    if (!movePress_) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    const QPoint position = event->position().toPoint();
    if (moveLanding_.isEmpty()
        && (position - movePress_->position().toPoint()).manhattanLength() < QApplication::startDragDistance())
        return;
    const QRect landing = landingAreaAt(position);
    viewport()->setCursor((event->modifiers() & Qt::ControlModifier) ? Qt::DragCopyCursor : Qt::DragMoveCursor);
    if (landing != moveLanding_) {
        moveLanding_ = landing;
        viewport()->update();
    }
}

void GridSheetView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!movePress_) {
        QTableView::mouseReleaseEvent(event);
        return;
    }
    if (moveLanding_.isEmpty()) {
        // A click after all: it selects the cell as any click does.
        const std::unique_ptr<QMouseEvent> press = std::move(movePress_);
        endMove();
        QTableView::mousePressEvent(press.get());
        QTableView::mouseReleaseEvent(event);
        return;
    }
    const QModelIndex from = indexAt(movePress_->position().toPoint());
    const QModelIndex to = indexAt(event->position().toPoint());
    const QRect source = moveSource_;
    endMove();
    if (!from.isValid() || !to.isValid() || from == to)
        return;
    const QPoint target = source.topLeft() + QPoint(to.column() - from.column(), to.row() - from.row());
    const QRect landing = MoveCells::landingArea(sheet_, source, target);
    const auto kind = (event->modifiers() & Qt::ControlModifier) ? MoveCells::Kind::Copy : MoveCells::Kind::Move;
    if (document_.perform(std::make_unique<MoveCells>(sheet_, source, target, kind)))
        selectArea(landing);
}

QRect GridSheetView::landingAreaAt(QPoint position) const
{
    const QModelIndex from = indexAt(movePress_->position().toPoint());
    const QModelIndex to = indexAt(position);
    if (!from.isValid() || !to.isValid())
        return moveLanding_;
    const QPoint offset(to.column() - from.column(), to.row() - from.row());
    return MoveCells::landingArea(sheet_, moveSource_, moveSource_.topLeft() + offset);
}

void GridSheetView::endMove()
{
    movePress_.reset();
    moveSource_ = moveLanding_ = {};
    viewport()->unsetCursor();
    viewport()->update();
}

// The selected block gets an outline, so that a light tint is enough to tell its cells and
// their own colours still show; a dragged block's landing place gets a dashed one.
void GridSheetView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    const QRect selected = selectedArea();
    const bool block = qint64(selected.width()) * selected.height() > 1;
    if (!block && moveLanding_.isEmpty())
        return;
    QPainter painter(viewport());
    const QColor highlight = palette().color(QPalette::Highlight);
    auto outline = [this, &painter](QRect area) {
        const QRect pixels = visualRect(model_->index(area.top() - 1, area.left() - 1))
                                 .united(visualRect(model_->index(area.bottom() - 1, area.right() - 1)));
        painter.drawRect(pixels.adjusted(1, 1, -1, -1));
    };
    if (block) {
        painter.setPen(QPen(highlight, 2));
        outline(selected);
    }
    if (!moveLanding_.isEmpty()) {
        painter.setPen(QPen(highlight, 2, Qt::DashLine));
        outline(moveLanding_);
    }
}
