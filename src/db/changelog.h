#pragma once
// The change log: who changed which field of which record, from what to
// what, and when. The writers call RecordChanges inside their own
// transaction, so a change and its log row land together or not at all.
#include <QString>
#include <vector>

struct ChangeEntry
{
    int table = -1;  // TableIndex
    QString record;  // the record's id, or the name that finds it
    QString part;    // the part the row is about (a bill line's part, a part's number)
    QString field;   // the heading as the grid shows it
    QString oldValue;
    QString newValue;
};

// Writes the entries with the current user and time; true when there were
// none. Entries whose old and new values are equal are left out.
bool RecordChanges(const std::vector<ChangeEntry>& entries);

struct ChangeFilter
{
    QString table; // a table's SQL name or key, any case; empty: all
    QString part;  // exact part number; empty: all
    QString since; // "yyyy-MM-dd" or a time stamp; empty: from the start
    int limit = 0; // the newest n rows only (0: all)
};

struct LoggedChange
{
    QString table;
    QString record;
    QString part;
    QString field;
    QString oldValue;
    QString newValue;
    QString user;
    QString stamp;
};

// The rows that pass the filter, oldest first.
std::vector<LoggedChange> LoadChanges(const ChangeFilter& filter, bool* ok = nullptr);
