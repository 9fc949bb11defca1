// The grid sheet on screen: narrow headerless cells, in-place editing, and the view's
// current index kept equal to the sheet's active cell.
#pragma once

#include <QTableView>

class GridSheet;
class GridSheetModel;

class GridSheetView : public QTableView {
    Q_OBJECT
public:
    GridSheetView(GridSheet &sheet, QWidget *parent = nullptr);

    GridSheet &sheet() const { return sheet_; }

private:
    void showActiveCell();

    GridSheet &sheet_;
    GridSheetModel *model_;
};
