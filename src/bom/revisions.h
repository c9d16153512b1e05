#pragma once
// Revisions of a bill: before an assembly's lines are replaced (an import
// with Replace, a replace of a part everywhere, a revise), the lines as they
// were are kept under the assembly's revision letter and the part record
// moves on to the next letter; the kept lines can be read back and compared.
#include "db/bills.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// A → B, Z → AA, AZ → BA; an empty revision counts as A; a revision that is
// not letters ("3", "1.2") is followed by A.
QString NextRevisionLetter(const QString& current);

// The lines of a bill as one text for the revision table, and back.
QString EncodeBillLines(const std::vector<BillLine>& lines);
std::vector<BillLine> DecodeBillLines(const QString& text);

struct KeptRevision
{
    QString assembly;
    QString kept; // the letter the kept lines are stored under
    QString next; // the assembly's letter from now on
    int lines = 0;
};

// Keeps the present lines of each assembly and moves its letter on, all in
// the caller's transaction (a scope of its own when there is none), with a
// line in the change log per letter moved. False when a statement failed.
bool KeepRevisions(const QStringList& assemblies, const QString& note, std::vector<KeptRevision>* kept = nullptr);

// koltctl bom revise: the same for one assembly, in a transaction of its own.
// The assembly must have a bill or a part record.
bool ReviseAssembly(const QString& assembly, const QString& note, KeptRevision* kept, QString* error);

// The assembly's letter as it is now ("A" when its record names none).
QString CurrentRevision(const QString& assembly);

// The lines of ASSY (now) or of ASSY@REV (kept, or now when REV is the
// current letter). False with the reason when there is no such bill.
bool LoadBillRevision(const QString& assembly, const QString& revision, std::vector<BillLine>& lines,
                      QString* error);

// The item numbers a replaced bill gives its lines: a line of a part the old
// bill had keeps that line's number (the one on the same designators first),
// a new part on an old line's designators keeps that line's, every other
// line takes the next number after the old bill's highest.
class ItemNumbering
{
public:
    explicit ItemNumbering(const std::vector<BillLine>& before);
    QString take(const QString& part, const QString& designators);

private:
    struct Old
    {
        QString designators;
        QString item;
        bool taken = false;
    };
    std::vector<Old> m_old;
    QHash<QString, std::vector<size_t>> m_byPart;
    QHash<QString, std::vector<size_t>> m_byDesignator;
    int m_next = 1;
};
