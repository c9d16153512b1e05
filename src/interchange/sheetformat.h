#pragma once
// How a workbook's number formats turn a stored number into the text the
// sheet shows; shared by the readers of each workbook kind.
#include <QString>

namespace sheetformat {

// What a number format says about how its numbers are shown.
struct NumberFormat
{
    enum Kind { General, Fixed, Percent, Date, Time, DateTime } kind = General;
    int decimals = 0;
};

// From a format code such as "0.00", "yyyy-mm-dd" or "General".
NumberFormat formatOfCode(const QString& code);
// The formats a workbook may use by number without writing their code.
NumberFormat builtInFormat(int id);
QString numberText(double value, const NumberFormat& format, bool from1904);

} // namespace sheetformat
