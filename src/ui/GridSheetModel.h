// Adapts the grid sheet to Qt's model/view: one index per cell, no item objects.
#pragma once

#include <QAbstractTableModel>

class Document;
class GridSheet;

class GridSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A cell shows a character or two; the view is handed at most this many UTF-16 units
    // of a text, since laying out millions of characters to draw one cell would stall or
    // crash it. Editing still gets the whole text.
    static constexpr int kMaxShownLength = 256;

    // Shows the document's sheet; an edit in place is one step of its history.
    explicit GridSheetModel(Document &document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    GridSheet &sheet() const { return sheet_; }

private:
    Document &document_;
    GridSheet &sheet_;
};
