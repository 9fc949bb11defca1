// The grid sheet on screen: narrow headerless cells, in-place editing, and the view's
// current index kept equal to the sheet's active cell.
#pragma once

#include <QTableView>

class Document;
class GridSheet;
class GridSheetModel;

class GridSheetView : public QTableView {
    Q_OBJECT
public:
    GridSheetView(Document &document, QWidget *parent = nullptr);

    GridSheet &sheet() const { return sheet_; }

private:
    void showActiveCell();

    GridSheet &sheet_;
    GridSheetModel *model_;
};
