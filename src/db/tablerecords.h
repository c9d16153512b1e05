#pragma once
// Any table's records by id, as the table grid, its error check and the
// koltctl table commands read and write them. The table and column names
// come from the definitions (never from user text); values are escaped.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "db/database.h"
#include "db/statement.h"

// id and the named (quoted) columns of the table's records, only those the
// condition keeps when one is given; fresh headings.
QueryResult ReadTableColumns(const QString& table, const QStringList& quotedColumns, const QString& condition,
                             const SqlArgs& args = {});

// Sets Err of the records to their words: one statement per distinct word
// (and per few hundred ids), however many rows changed.
bool WriteErrorWords(const QString& table, const QHash<unsigned, QStringList>& idsOfWord);

// The Assy of the record with that id in the table, empty when none.
QString AssemblyOfRecord(const QString& table, const QString& id);

// Parses "1|2|3|" as QueryText answers a one-column statement in separated mode.
std::vector<long long> ParseIdList(const QString& answer);

// The ids of the table's records the condition keeps, in the order given
// (both as SQL the grid builds from the definitions and its filter; the
// condition's values bound, as args).
std::vector<long long> ReadTableIds(const QString& table, const QString& condition, const QString& orderBy,
                                    bool* ok = nullptr);
std::vector<long long> ReadTableIds(const QString& table, const QString& condition, const SqlArgs& args,
                                    const QString& orderBy, bool* ok = nullptr);
// Every column of the records with those ids; fresh headings. As many ids
// as one statement takes (a window of the grid's rows is far fewer).
QueryResult ReadTableRecords(const QString& table, const std::vector<long long>& ids);
