#pragma once
// The nine data tables: their fixed list, their definitions read from the
// program folder, and the conversions between headings and column names.
#include <QString>
#include <array>

constexpr int kTableCount = 17;
constexpr int kMaxColumns = 64;

enum TableIndex : int {
    AssyList = 0,
    PartList = 1,
    VendList = 2,
    RescList = 3,
    PurcList = 4,
    ReqmList = 5,
    TaskList = 6,
    LabrList = 7,
    AlloList = 8,
    MoveList = 9,
    HoliList = 10,
    RevsList = 11,
    ChngList = 12,
    SrcList = 13,
    BrkList = 14,
    RateList = 15,
    PurcLine = 16,
};

// "ASSYLIST", ... : names the definition file.
QString TableKey(int table);
// "AssyList", ... : the SQL table name.
QString TableSqlName(int table);

struct TableDefinition
{
    QString name;
    int fieldCount = 0;
    std::array<int, kMaxColumns> actionCodes{};
    std::array<QString, kMaxColumns> attributes;
    std::array<QString, kMaxColumns> headings;
    std::array<QString, kMaxColumns> types;
};

// Reads ProgramFolder + key + ".def". Reports a missing file with
// "Missing Table Definition File:" and returns false.
bool LoadTableDefinition(const QString& key, TableDefinition& definition);
// Parses the bytes of a definition file (UTF-16LE after a two-byte mark).
void ParseTableDefinition(const QByteArray& bytes, TableDefinition& definition);
// Loads all nine into App().tables and names them.
void LoadAllTableDefinitions();

QString ToColumnName(const QString& heading);
QString ToHeading(const QString& columnName);
bool IsUpperCaseColumn(const QString& tableKey, const QString& heading);

// Field lookups on a definition: the index of the field whose column name is
// exactly `column`, or -1.
int FieldIndex(const TableDefinition& definition, const QString& column);
