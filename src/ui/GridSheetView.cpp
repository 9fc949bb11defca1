#include "ui/GridSheetView.h"

#include "core/GridSheet.h"
#include "core/NumberField.h"
#include "document/Document.h"
#include "document/commands/ClearTexts.h"
#include "document/commands/MoveCells.h"
#include "render/Zoom.h"
#include "ui/Fonts.h"
#include "ui/GridSheetModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Edits a cell in the grid's font at the view's zoom; the view paints the cells itself.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(GridSheetView *view)
        : QStyledItemDelegate(view)
        , view_(view)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->setFont(view_->editorFont());
        return editor;
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        // A line edit holds at most 32,767 characters: a longer text left untouched stays whole.
        if (const auto *line = qobject_cast<QLineEdit *>(editor); line && !line->isModified())
            return;
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    GridSheetView *view_;
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
    baseSide_ = fontMetrics().height() + 4;
    painter_.setCellSide(baseSide_);
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(1);
        header->setDefaultSectionSize(baseSide_);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    // Cells of a few pixels or of hundreds both scroll smoothly.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
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
    connect(&document, &Document::pageSettingsChanged, this, &GridSheetView::readPageSettings);
    readPageSettings();
    showActiveCell();
}

QFont GridSheetView::editorFont() const
{
    QFont editorFont = font();
    editorFont.setPixelSize(SheetPainter::cellTextPixels(cellSide()));
    return editorFont;
}

void GridSheetView::setZoomPercent(int percent, QPoint anchor)
{
    percent = Zoom::clamped(percent);
    if (percent == zoomPercent_)
        return;
    if (anchor.x() < 0 || anchor.y() < 0)
        anchor = viewport()->rect().center();
    const int oldSide = cellSide();
    const double column = (horizontalHeader()->offset() + anchor.x()) / double(oldSide);
    const double row = (verticalHeader()->offset() + anchor.y()) / double(oldSide);
    zoomPercent_ = percent;
    const int side = Zoom::cellSide(baseSide_, percent);
    painter_.setCellSide(side);
    horizontalHeader()->setDefaultSectionSize(side);
    verticalHeader()->setDefaultSectionSize(side);
    updateGeometries();
    horizontalScrollBar()->setValue(qRound(column * side - anchor.x()));
    verticalScrollBar()->setValue(qRound(row * side - anchor.y()));
    viewport()->update();
    emit zoomChanged(percent);
}

void GridSheetView::zoomIn()
{
    setZoomPercent(Zoom::zoomedIn(zoomPercent_));
}

void GridSheetView::zoomOut()
{
    setZoomPercent(Zoom::zoomedOut(zoomPercent_));
}

void GridSheetView::resetZoom()
{
    setZoomPercent(100);
}

void GridSheetView::fitToView()
{
    // The room without scroll bars: the whole sheet fitted needs none.
    setZoomPercent(Zoom::fitPercent(maximumViewportSize(), sheet_.columnCount(), sheet_.rowCount(), baseSide_));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void GridSheetView::setPageLook(bool on)
{
    painter_.setLook(on ? SheetPainter::Look::Page : SheetPainter::Look::Cells);
    viewport()->update();
}

void GridSheetView::readPageSettings()
{
    painter_.setPageColors(
        readPageColorSettings(document_.nearColorText(), document_.backgroundText(), document_.isAsIs()));
    if (isPageLook())
        viewport()->update();
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

QRect GridSheetView::pixelArea(QRect area) const
{
    const qint64 side = cellSide();
    const qint64 left = -qint64(horizontalHeader()->offset()) + (area.left() - 1) * side;
    const qint64 top = -qint64(verticalHeader()->offset()) + (area.top() - 1) * side;
    const QRect room = viewport()->rect().adjusted(-4, -4, 4, 4);
    const qint64 right = std::min<qint64>(left + area.width() * side, room.right() + 1);
    const qint64 bottom = std::min<qint64>(top + area.height() * side, room.bottom() + 1);
    const qint64 cutLeft = std::max<qint64>(left, room.left());
    const qint64 cutTop = std::max<qint64>(top, room.top());
    if (cutLeft >= right || cutTop >= bottom)
        return {};
    return QRect(int(cutLeft), int(cutTop), int(right - cutLeft), int(bottom - cutTop));
}

// The cells come from the sheet painter. A selected block gets a light tint and an outline,
// so that its cells' own colours still show; the active cell a frame; a dragged block's
// landing place a dashed outline.
void GridSheetView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    QColor gridColor;
    if (showGrid()) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        gridColor = QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    }
    painter_.setGridLineColor(gridColor);
    painter_.paint(painter, sheet_, QPoint(-horizontalHeader()->offset(), -verticalHeader()->offset()), event->rect());

    const QColor highlight = palette().color(QPalette::Highlight);
    const QRect selected = selectedArea();
    const bool block = qint64(selected.width()) * selected.height() > 1;
    if (block) {
        QColor tint = highlight;
        tint.setAlpha(48);
        painter.fillRect(pixelArea(selected), tint);
        painter.setPen(QPen(highlight, 2));
        painter.drawRect(pixelArea(selected).adjusted(1, 1, -1, -1));
    }
    if (currentIndex().isValid()) {
        const QRect cell = pixelArea(QRect(currentIndex().column() + 1, currentIndex().row() + 1, 1, 1));
        if (!cell.isEmpty()) {
            painter.setPen(QPen(highlight, 2));
            painter.drawRect(cell.adjusted(1, 1, gridColor.isValid() ? -2 : -1, gridColor.isValid() ? -2 : -1));
        }
    }
    if (!moveLanding_.isEmpty()) {
        painter.setPen(QPen(highlight, 2, Qt::DashLine));
        painter.drawRect(pixelArea(moveLanding_).adjusted(1, 1, -1, -1));
    }
}

// Ctrl and the wheel zoom about the pointer, a step a notch; the wheel alone scrolls.
void GridSheetView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    wheelTurn_ += event->angleDelta().y();
    const QPoint anchor = event->position().toPoint();
    for (; wheelTurn_ >= 120; wheelTurn_ -= 120)
        setZoomPercent(Zoom::zoomedIn(zoomPercent_), anchor);
    for (; wheelTurn_ <= -120; wheelTurn_ += 120)
        setZoomPercent(Zoom::zoomedOut(zoomPercent_), anchor);
}
