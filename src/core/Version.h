// The program's name and version as the windows and the page show them.
#pragma once

#include <QString>

QString VersionText();      // "0.005b"
QString ApplicationTitle(); // "Glyphscape"
