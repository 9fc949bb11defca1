#include "support/logic/SheetBuilder.h"

#include "gridfile/GridFile.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>

std::unique_ptr<GridSheet> buildSheet(std::initializer_list<std::initializer_list<CellSpec>> rows)
{
    int columns = 0;
    for (const auto &row : rows)
        columns = std::max(columns, int(row.size()));
    auto sheet = std::make_unique<GridSheet>(columns, int(rows.size()));
    int r = 1;
    for (const auto &row : rows) {
        int c = 1;
        for (const CellSpec &cell : row) {
            sheet->setCellText(c, r, cell.text);
            sheet->setCellColors(c, r, cell.back, cell.fore);
            ++c;
        }
        ++r;
    }
    return sheet;
}

QByteArray sheetBytes(const GridSheet &sheet)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeGridFile(buffer, sheet) ? buffer.data() : QByteArray("write failed");
}

QByteArray gridFileHeader(quint32 columns, quint32 rows, quint32 version)
{
    QByteArray bytes(GridFile::kMagic, 8);
    for (const quint32 value : {version, columns, rows}) {
        char little[4];
        qToLittleEndian(value, little);
        bytes += QByteArray(little, 4);
    }
    return bytes;
}
