// The fonts the sheet is drawn in, chosen among the families the machine has.
#pragma once

#include <QFont>

// The grid's own look: the first installed of the proportional Japanese Gothic families.
QFont sheetFont();
// The page's look: the first installed of the page's monospaced families, as a browser
// would pick it, or the machine's monospaced font.
QFont pageFont();
