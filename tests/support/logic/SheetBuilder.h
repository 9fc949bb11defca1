// Builds small sheets for tests from rows of cell texts and colours.
#pragma once

#include "core/GridSheet.h"

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

// "8F 74 0D 0A" style dump, for readable failures of byte-exact comparisons.
QByteArray hexBytes(const QByteArray& bytes);

// Writes bytes into a file under dir and returns its path.
QString writeTestFile(const QString& dir, const QString& name, const QByteArray& bytes);
