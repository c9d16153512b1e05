#include "db/billrows.h"

#include "core/format.h"
#include "core/utilities.h"
#include "db/statement.h"

#include <algorithm>

namespace {

const char* const kBomColumns =
    "Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr,PartList.Description,AssyList.Quan,"
    "PartList.Manufacturer,PartList.Make,PartList.Stock,PartList.Allocated,PartList.On_Order,"
    "PartList.Distributor,PartList.Price,PartList.Currency,PartList.Loss,PartList.Web_Page from ";

#define KOLT_REPORT_COLUMNS                                                                                     \
    "Select AssyList.ID,AssyList.Item,AssyList.Assy,AssyList.Part_nBr,AssyList.Quan,AssyList.Ref_Des,"         \
    "PartList.Description,PartList.Manufacturer,PartList.Distributor,PartList.Make,PartList.Distributor,"     \
    "PartList.Price,PartList.Picture from "

#define KOLT_TREE_COLUMNS                                                                                       \
    "Select AssyList.ID,AssyList.Assy,AssyList.Item,AssyList.Part_nBr,PartList.Description,AssyList.Ref_Des,"  \
    "AssyList.Quan,PartList.Category,PartList.Price,PartList.Labor from "

const char* const kRollupBillLines =
    "Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr,AssyList.Quan,PartList.Price,PartList.Labor from "
    "AssyList LEFT JOIN PartList on AssyList.Part_nBr = PartList.Part_nBr";

// Readers whose callers find their columns by heading want fresh headings.
QueryResult headed(const QString& sql, const SqlArgs& args = {})
{
    return QueryBound(sql, args);
}

} // namespace

const char* const kReportQuery =
    KOLT_REPORT_COLUMNS "AssyList LEFT JOIN PartList on AssyList.Part_nBr = PartList.Part_nBr "
    "order by AssyList.Assy,AssyList.Item";

const char* const kAssemblyViewQuery =
    "Select AssyList.ID,AssyList.Assy,AssyList.Item,AssyList.Part_nBr,PartList.Description,AssyList.Ref_Des,"
    "AssyList.Quan,PartList.Category,PartList.Price,PartList.Labor from AssyList LEFT JOIN PartList on "
    "AssyList.Part_nBr = PartList.Part_nBr Order by AssyList.Item";

const char* const kAssemblyIndexQuery =
    "Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr from AssyList order by AssyList.Item,AssyList.ID";

const char* const kAssemblyTreeQuery =
    KOLT_TREE_COLUMNS "AssyList LEFT JOIN PartList on AssyList.Part_nBr = PartList.Part_nBr order by AssyList.Assy";

QString BillOfAssemblyClause()
{
    // Only parts that head a bill of their own go on to the next level: the
    // purchased parts would find no lines there anyway. The assembly itself
    // is taken from its lines, not written as a literal, so that both terms
    // have the column's type on every database.
    return QStringLiteral("with recursive Bill(Assy) as (select distinct Assy from AssyList where Assy = ? "
                          "union select AssyList.Part_nBr from Bill "
                          "cross join AssyList on AssyList.Assy = Bill.Assy where exists (select 1 from AssyList "
                          "Sub where Sub.Assy = AssyList.Part_nBr)) ");
}

QueryResult ReadBomRows()
{
    return Query(QString::fromLatin1(kBomColumns)
                 + QStringLiteral("AssyList LEFT JOIN PartList on AssyList.Part_nBr = PartList.Part_nBr order by AssyList.ID"));
}

QueryResult ReadBomRows(const QString& assembly)
{
    // The cross join keeps Bill the outer loop, so every assembly's lines are
    // read through the index; sorted by ID they come in the order of the
    // whole table, whatever plan the library picks.
    return QueryBound(BillOfAssemblyClause() + QString::fromLatin1(kBomColumns)
                 + QStringLiteral("Bill cross join AssyList on AssyList.Assy = Bill.Assy LEFT JOIN PartList on "
                                  "AssyList.Part_nBr = PartList.Part_nBr order by AssyList.ID"), {assembly});
}

QueryResult ReadReportRows(const QString& assembly)
{
    return headed(BillOfAssemblyClause()
                  + QStringLiteral(KOLT_REPORT_COLUMNS "Bill cross join AssyList on AssyList.Assy = Bill.Assy LEFT JOIN "
                                                       "PartList on AssyList.Part_nBr = PartList.Part_nBr "
                                                       "order by AssyList.Assy,AssyList.Item,AssyList.ID"), {assembly});
}

QueryResult ReadAssemblyIndexRows()
{
    return Query(QString::fromUtf8(kAssemblyIndexQuery));
}

QueryResult ReadAssemblyTreeRows(const QString& assembly)
{
    if (assembly.isEmpty())
        return headed(QString::fromUtf8(kAssemblyTreeQuery));
    return headed(BillOfAssemblyClause()
                  + QStringLiteral(KOLT_TREE_COLUMNS "Bill cross join AssyList on AssyList.Assy = Bill.Assy LEFT JOIN "
                                                     "PartList on AssyList.Part_nBr = PartList.Part_nBr order by "
                                                     "AssyList.Assy,AssyList.ID"), {assembly});
}

#undef KOLT_REPORT_COLUMNS
#undef KOLT_TREE_COLUMNS

QueryResult ReadAssemblyLinks()
{
    return Query(QStringLiteral("Select AssyList.id,AssyList.Assy,AssyList.Part_nBr from AssyList"));
}

QueryResult ReadAllBillLines()
{
    return headed(QStringLiteral("Select * from AssyList order by Assy, Item"));
}

QueryResult ReadBillLinks(const QString& assembly)
{
    return QueryBound(BillOfAssemblyClause()
                 + QStringLiteral("Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr,AssyList.Quan from Bill cross "
                                  "join AssyList on AssyList.Assy = Bill.Assy order by AssyList.ID"), {assembly});
}

QueryResult ReadBillRoutingSteps(const QString& assembly)
{
    return QueryBound(BillOfAssemblyClause()
                 + QStringLiteral("Select RescList.* from Bill cross join RescList on RescList.Assy = Bill.Assy order "
                                  "by RescList.ID"), {assembly});
}

QueryResult ReadRoutingBomRows(const QString& assembly)
{
    return QueryBound(BillOfAssemblyClause()
                 + QStringLiteral("Select AssyList.id,AssyList.Assy,AssyList.Part_nBr,PartList.Description,AssyList."
                                  "Quan,PartList.Manufacturer from Bill cross join AssyList on AssyList.Assy = "
                                  "Bill.Assy LEFT JOIN PartList on AssyList.Part_nBr = PartList.Part_nBr order by "
                                  "AssyList.ID"), {assembly});
}

QueryResult ReadRollupBillLines()
{
    return headed(QString::fromLatin1(kRollupBillLines));
}

QueryResult ReadRollupRoutingSteps()
{
    return headed(
        QStringLiteral("Select RescList.ID,RescList.Assy,RescList.Rate,RescList.Hours,RescList.Cost from RescList"));
}

std::vector<SubstituteLine> ReadSubstituteLines(const QString& assembly)
{
    const QueryResult lines = QueryBound(BillOfAssemblyClause()
                                    + QStringLiteral("Select AssyList.Assy,AssyList.Part_nBr,AssyList.Quan,"
                                                     "AssyList.Substitutes from Bill "
                                                     "cross join AssyList on AssyList.Assy = Bill.Assy order by AssyList.id"), {assembly});
    std::vector<SubstituteLine> found;
    found.reserve(static_cast<size_t>(lines.rowCount));
    for (int r = 0; r < lines.rowCount; ++r)
        found.push_back({lines.cell(r, 0), lines.cell(r, 1), TextToDouble(lines.cell(r, 2)), lines.cell(r, 3)});
    return found;
}

std::vector<BranchLine> ReadBranchLines(const QStringList& assemblies)
{
    // The category of the part's first record: a part number entered twice
    // must not list its line twice, as a join would.
    SqlArgs args;
    AppendArgs(args, assemblies);
    const QueryResult rows = QueryBound(
        QStringLiteral("Select AssyList.Assy,AssyList.Part_nBr,(Select PartList.Category from PartList where "
                       "PartList.Part_nBr = AssyList.Part_nBr order by PartList.ID limit 1) as Category from "
                       "AssyList where AssyList.Assy in (")
            + Placeholders(static_cast<int>(assemblies.size())) + QStringLiteral(") order by AssyList.Item,AssyList.ID"),
        args);
    std::vector<BranchLine> lines;
    lines.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        lines.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), QString()});
    return lines;
}

std::vector<BranchLine> ReadBranchSteps(const QStringList& assemblies)
{
    SqlArgs args;
    AppendArgs(args, assemblies);
    const QueryResult rows =
        QueryBound(QStringLiteral("Select RescList.Assy,RescList.Step,RescList.Description from RescList where "
                                  "RescList.Assy in (")
                       + Placeholders(static_cast<int>(assemblies.size())) + QStringLiteral(") order by RescList.ID"),
                   args);
    std::vector<BranchLine> steps;
    steps.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        steps.push_back({rows.cell(r, 0), QString(), rows.cell(r, 2), rows.cell(r, 1)});
    return steps;
}

QStringList AssembliesHoldingPart(const QString& part)
{
    const QueryResult holders = QueryBound(QStringLiteral("Select distinct AssyList.Assy from AssyList where ")
                                               + SameTextIgnoringCaseBound(QStringLiteral("AssyList.Part_nBr"))
                                               + QStringLiteral(" order by AssyList.Assy limit 50"),
                                           {part});
    QStringList names;
    for (int r = 0; r < holders.rowCount; ++r)
        names << holders.cell(r, 0);
    return names;
}

bool AssemblyOnFile(const QString& assembly, bool* ok)
{
    const QueryResult row = QueryBound(QStringLiteral("Select Assy from AssyList where Assy = ? limit 1"), {assembly});
    if (ok)
        *ok = LastResultCode() == 0;
    return row.rowCount > 0;
}

int BillLineCount(const QString& assembly)
{
    return TextToInt(QueryTextBound(QStringLiteral("Select count(*) from AssyList where Assy=?"), {assembly}));
}

int HighestBillItem(const QString& assembly)
{
    return TextToInt(QueryTextBound(QStringLiteral("Select max(Item) from AssyList where Assy=?"), {assembly}));
}

QString NewestBillAssembly()
{
    const QueryResult row = Query(QStringLiteral("Select Assy from AssyList order by id desc limit 1"));
    return row.rowCount > 0 ? row.cell(0, 0) : QString();
}

bool AddBlankBillLines(const QString& assembly, int count, const QString& user, const QString& stamp)
{
    if (count <= 0)
        return true;
    // Four values a line: a long run of blank lines goes in slices.
    const int slice = RowsPerStatement(4, count);
    bool done = true;
    for (int from = 0; from < count && done; from += slice) {
        QString rows;
        SqlArgs args;
        for (int i = from; i < std::min(count, from + slice); ++i) {
            if (i > from)
                rows += QLatin1Char(',');
            rows += QStringLiteral("(?,?,1,'',?,?)");
            args.insert(args.end(), {assembly, i + 1, user, stamp});
        }
        done = ExecuteBound(QStringLiteral("Insert into AssyList (Assy,Item,Quan,Part_nBr,User,Time_Stamp) values ")
                                + rows,
                            args);
    }
    return done;
}

bool DeleteBillLines(const QString& assembly)
{
    return ExecuteBound(QStringLiteral("Delete from AssyList where Assy=?"), {assembly});
}
