// The grid sheet on screen: narrow headerless cells drawn straight from the sheet at any
// zoom, in the cells' own look or the page's, in-place editing, the view's current index
// kept equal to the sheet's active cell, and one selected block of cells that a drag moves
// or copies.
#pragma once

#include "render/SheetPainter.h"

#include <QMouseEvent>
#include <QTableView>

#include <memory>

class Document;
class GridSheet;
class GridSheetModel;

class GridSheetView : public QTableView {
    Q_OBJECT
public:
    GridSheetView(Document &document, QWidget *parent = nullptr);

    GridSheet &sheet() const { return sheet_; }

    // The selected block, columns and rows counted from 1; the active cell alone when
    // nothing larger is selected.
    QRect selectedArea() const;
    // Selects the block (counted from 1), keeping the active cell.
    void selectArea(QRect area);

    int zoomPercent() const { return zoomPercent_; }
    // A cell's side in pixels at 100%: one line of the grid's font and a margin.
    int baseCellSide() const { return baseSide_; }
    int cellSide() const { return painter_.cellSide(); }
    bool isPageLook() const { return painter_.look() == SheetPainter::Look::Page; }
    // The font an edited cell's text is typed in at the current zoom.
    QFont editorFont() const;

public slots:
    // Keeps the sheet's point under anchor (in the viewport) in place; the viewport's
    // centre when none is given.
    void setZoomPercent(int percent, QPoint anchor = QPoint(-1, -1));
    void zoomIn();
    void zoomOut();
    void resetZoom();
    // The whole sheet in the view, as far as the zoom's limits allow.
    void fitToView();
    void setPageLook(bool on);

    void selectAll() override;
    // Delete: the texts of the selected cells, one step.
    void clearSelectedTexts();

signals:
    void selectedAreaChanged(QRect area);
    void zoomChanged(int percent);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex &index, const QEvent *event = nullptr) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void showActiveCell();
    // Where the dragged block would land with the mouse at `position`, clipped to the sheet.
    QRect landingAreaAt(QPoint position) const;
    void endMove();
    // The block's pixels in the viewport, cut to a little beyond it so outlines of edges
    // out of sight stay out of sight.
    QRect pixelArea(QRect area) const;
    void readPageSettings();

    Document &document_;
    GridSheet &sheet_;
    GridSheetModel *model_;
    // A press inside the selection, kept until it turns out a click or a move.
    std::unique_ptr<QMouseEvent> movePress_;
    QRect moveSource_;
    QRect moveLanding_; // shown while the block is dragged; empty before it moves
    SheetPainter painter_;
    int baseSide_ = 16;
    int zoomPercent_ = 100;
    int wheelTurn_ = 0; // a wheel's eighths of a degree not yet turned into zoom steps
};
