// The program's name and version as the windows and the page show them.
#pragma once

#include <QString>

QString versionText(); // "0.005b"
QString applicationTitle(); // "Glyphscape"
