#pragma once
// A record as a window loaded it, and the check at its write that it is
// still what is stored: two desks editing one record must not have the
// second silently undo the first.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// Every column of a record (its first row by id), with who stamped it last.
struct RecordSnapshot
{
    bool read = false;  // a snapshot was taken (found or not)
    bool found = false; // the record was on file
    QStringList values; // every column, in the table's order
    QStringList columns; // their names as the result heads them
    QString user;       // the User column, empty when the table has none
    QString time;       // the Time_Stamp column

    // The value of a column by name (any case); empty when there is none.
    QString value(const QString& column) const;
};

using RecordKey = std::vector<std::pair<QString, QString>>; // column = value, all of them

// Reads the record of table whose key columns hold the given values, in one
// statement. Table and columns come from the callers' constants. ok false
// when the read failed.
RecordSnapshot ReadRecordSnapshot(const QString& table, const RecordKey& key, bool* ok = nullptr);

// Whether both snapshots hold the same values (a number column may spell
// one value two ways: "9" and "9.0" are the same).
bool SameRecord(const RecordSnapshot& a, const RecordSnapshot& b);
bool SameStoredText(const QString& stored, const QString& loaded);

// "WHAT was changed by USER at TIME; it is shown again as it is now": who
// stamped the record after it was loaded. When the stamp did not move (a
// change that stamped nothing) the text says only that it changed meanwhile.
QString ChangedByText(const QString& what, const RecordSnapshot& loaded, const RecordSnapshot& now);
QString ChangedByText(const QString& what, const QString& user, const QString& time);

// Under the caller's write lock: empty when the record is as loaded, else
// the refusal to show ("no longer exists", or who changed it and when).
// A read that failed answers with the database's reason.
QString StaleRecordText(const QString& what, const QString& table, const RecordKey& key,
                        const RecordSnapshot& loaded, RecordSnapshot* now = nullptr);

// An assembly's bill as a replace of its lines read it: a digest of its
// revision letter and every line, and the newest line's stamp. Two desks
// replacing one bill compare the digest under the write lock.
struct BillSnapshot
{
    bool read = false;
    QString digest; // empty when the read failed
    int lines = 0;
    QString user; // of the line stamped last
    QString time;
};
BillSnapshot ReadBillSnapshot(const QString& assembly, bool* ok = nullptr);
