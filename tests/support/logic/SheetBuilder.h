// Builds small sheets for tests from rows of cell texts and colours, compares sheets whole,
// and builds grid file headers that claim any size.
#pragma once

#include "core/GridSheet.h"
#include "gridfile/GridFile.h"
#include "support/logic/TestFiles.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <memory>

struct CellSpec {
    QString text;
    Color back = kWhite;
    Color fore = kBlack;
};

std::unique_ptr<GridSheet> buildSheet(std::initializer_list<std::initializer_list<CellSpec>> rows);

// The sheet's size, texts and colours as grid file bytes: equal bytes, equal sheets.
QByteArray sheetBytes(const GridSheet &sheet);

// A grid file's header: magic, version, columns and rows.
QByteArray gridFileHeader(quint32 columns, quint32 rows, quint32 version = GridFile::kVersion);
