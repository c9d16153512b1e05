#pragma once
// The upper case of names read from outside (an imported bill's part
// numbers, vendors and assembly): every letter in upper case the Unicode way,
// one character for one ("Würth" gives "WÜRTH", never "WüRTH"; ß stays ß),
// except the micro sign: "10µF" is a value, and its capital would be a Greek
// letter. The grid's own upper case (UpperCaseAscii) changes a-z only.
#include <QString>

QString UpperCaseName(const QString& text);
