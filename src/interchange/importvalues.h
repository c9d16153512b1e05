#pragma once
// How the import reads single cells as a buyer reads them: designator lists,
// do-not-populate marks, the empty markers of CAD tools, quantities.
#include <QString>
#include <QStringView>

// Most designators one range may stand for; "R1-R1000000" is a typing error,
// not a million resistors.
constexpr int kMaxDesignatorRange = 1000;

struct DesignatorList
{
    int count = 0;           // designators named
    bool understood = false; // every piece is a designator, a range or an abbreviation
    bool rewritten = false;  // text differs from the input, trimmed
    QString text;            // comma-separated, abbreviations written out; the input, trimmed, when not understood
};

// "C1, C2, C25, " or "C1 C3 C5" or "R1-R4" or "C61,81" (C61 and C81):
// pieces separated by commas, semicolons or spaces, trailing separators
// ignored. A piece is letters then digits with at most one letter after
// them (U1A), a range of two such with the same letters (R1-R4, R1-4), or
// digits alone after a designator, which take its letters.
// keepPlainText false: text is left empty where it would only repeat the
// input (not rewritten), for a caller that keeps the input itself.
DesignatorList ParseDesignators(QStringView text, bool keepPlainText = true);

// "DNP", "DNF", "Do not populate", "Do not place", "Do not fit", "Do not
// mount", "Not fitted", "Not populated", "Not mounted", "No pop", "Leave
// empty", in any case, as the whole cell.
bool IsDoNotPopulate(QStringView text);

// A mark in a DNP or "Exclude from BOM" column that says "do not fit": any
// text but the ones that say the opposite (0, no, n, false, fitted, -).
bool IsDoNotPopulateMark(QStringView text);

// Cell text as the import stores it: spaces at the ends trimmed, the empty
// markers of CAD tools and spreadsheets ("~", "-", "n/a") empty, and the
// apostrophe an export puts before text that a spreadsheet would take for a
// formula ("'=A1", "'-5V") taken off again.
QStringView CleanCell(QStringView text);

// A quantity: a plain decimal number (digits with at most one point), after
// trimming. *value receives it.
bool ReadQuantity(QStringView text, double* value);

// Most pieces one bill line may ask for; more is a typing error.
constexpr double kMaxImportQuantity = 1000000;

// A quantity as a spreadsheet of any locale writes it: a plain decimal, or
// with a decimal comma ("0,5" is a half) and thousands separators
// ("1.000,5", "1,000.5", "1 000"). The number written plainly in *plain
// ("0.5"); false for anything else (a word, a sign, a second decimal mark),
// which the import refuses rather than guesses at. Checked here until the
// program has one quantity check for every reader.
bool ReadLocaleQuantity(QStringView text, double* value, QString* plain);

// A word that stands where a part number or value would be but names no
// part: "ANY" (any maker's part of this value), "DNP", "NC", "N/A", "NA",
// "TBD", "-", "~", "?", "--", KiCad's "-- mixed values --", "none", blanks.
bool IsPlaceholder(QStringView text);

// The package a footprint name speaks of, as a buyer says it:
// "Resistor_SMD:R_0402_1005Metric" gives "0402", "Package_TO_SOT_SMD:SOT-23"
// gives "SOT-23". The name without its library when nothing better is found.
QString PackageOfFootprint(QStringView footprint);

// How strongly a cell looks like a component value: "10k", "100nF",
// "4.7µH", "1K8", "0u1", "4R7", "10uF 10V". 0 for anything else.
bool LooksLikeComponentValue(QStringView text);

// The footprint or symbol name without its library ("Resistor_SMD:R_0402"
// gives "R_0402").
QStringView WithoutLibrary(QStringView name);

// A web address: http://, https:// or www. at the start.
bool IsWebAddress(QStringView text);
