#pragma once
// The bills as the engineering-change engine reads and writes them: an
// assembly's lines, the lines that use given parts, the kept revisions and
// the part record's revision letter. Every statement takes a whole set.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

struct BillLine
{
    QString id; // AssyList id; empty for a line read from a revision or a file
    QString item;
    QString part;
    QString quantity;
    QString designators;
    QString notes;
};

// The assembly's lines in item order (ties by id); ok false when the read failed.
std::vector<BillLine> LoadBillLines(const QString& assembly, bool* ok = nullptr);

// One line of some bill that holds one of the asked parts.
struct BillUse
{
    QString id;
    QString assembly;
    QString item;
    QString part;
    QString quantity;
};

// The lines whose part is one of parts, in one statement; assembly, when
// given, keeps only that assembly's lines.
std::vector<BillUse> LoadUsesOfParts(const QStringList& parts, const QString& assembly = QString(),
                                     bool* ok = nullptr);

// Whether a part record of that exact number exists (-1: could not say).
int PartRecordCount(const QString& part);
// Those of the part numbers that have no part record (deleted since a bill
// named them), in one statement; ok false when the read failed.
QStringList PartsWithoutRecord(const QStringList& parts, bool* ok = nullptr);
// The part record's Revision, empty when it has none or no record.
QString PartRevision(const QString& part);
// The revision letters of several part records, one statement.
bool SetPartRevisions(const std::vector<std::pair<QString, QString>>& partAndRevision);

struct RevisionRecord
{
    QString assembly;
    QString revision;
    QString note;
    int lineCount = 0;
    QString lines; // the bill as EncodeBillLines writes it
    QString date;
    QString user;
    QString stamp;
};

bool StoreRevisions(const std::vector<RevisionRecord>& revisions);
// The kept revisions of an assembly, oldest first; the lines only when asked.
std::vector<RevisionRecord> LoadRevisions(const QString& assembly, bool withLines, bool* ok = nullptr);

// Puts newPart on those of the given AssyList lines that still hold
// oldPart, stamping them; one statement (LastChangedRows says how many).
bool SetLinesPart(const QStringList& lineIds, const QString& oldPart, const QString& newPart, const QString& user,
                  const QString& stamp);

// Assemblies (AssyList.Assy values) among the names.
QStringList AssembliesAmong(const QStringList& names);

// The lines of several assemblies in one statement, by assembly.
std::vector<std::pair<QString, std::vector<BillLine>>> LoadBillsOf(const QStringList& assemblies, bool* ok = nullptr);
// The Revision of several part records in one statement (a missing record: absent).
std::vector<std::pair<QString, QString>> PartRevisions(const QStringList& parts, bool* ok = nullptr);

// Whether the table has the column (any letter case): a shop set up by
// hand, or a test's own tables, may lack the optional ones.
bool TableHasColumn(const QString& table, const QString& column);

// The parts marked obsolete (Obsolete "Yes", any case), each with its
// replacement (empty when none is known); one statement.
QHash<QString, QString> ObsoletePartReplacements(bool* ok = nullptr);
QSet<QString> ObsoleteParts();

// A part record for a number typed into a bill, as the grid makes one:
// description "<part> Description", revision A, the user's currency.
bool AddPartRecord(const QString& part, const QString& description);
