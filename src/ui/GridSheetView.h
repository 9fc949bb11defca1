// The grid sheet on screen: narrow headerless cells, in-place editing, the view's current
// index kept equal to the sheet's active cell, and one selected block of cells that a drag
// moves or copies.
#pragma once

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

public slots:
    void selectAll() override;
    // Delete: the texts of the selected cells, one step.
    void clearSelectedTexts();

signals:
    void selectedAreaChanged(QRect area);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex &index, const QEvent *event = nullptr) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void showActiveCell();
    // Where the dragged block would land with the mouse at `position`, clipped to the sheet.
    QRect landingAreaAt(QPoint position) const;
    void endMove();

    Document &document_;
    GridSheet &sheet_;
    GridSheetModel *model_;
    // A press inside the selection, kept until it turns out a click or a move.
    std::unique_ptr<QMouseEvent> movePress_;
    QRect moveSource_;
    QRect moveLanding_; // shown while the block is dragged; empty before it moves
};
