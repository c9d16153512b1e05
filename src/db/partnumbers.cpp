#include "db/partnumbers.h"

#include "db/database.h"
#include "db/statement.h"

namespace {

constexpr int kBatch = 500;

bool isYes(const QString& text)
{
    return text.trimmed().compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0;
}

void take(const QueryResult& rows, std::vector<PartNumberFacts>& facts)
{
    for (int r = 0; r < rows.rowCount; ++r)
        facts.push_back({rows.cell(r, 0), rows.cell(r, 1).trimmed(), isYes(rows.cell(r, 2)), rows.cell(r, 3),
                         rows.cell(r, 4)});
}

} // namespace

std::vector<PartNumberFacts> LoadPartNumbers(const QStringList& parts, bool* ok)
{
    std::vector<PartNumberFacts> facts;
    bool read = true;
    const QString select = QStringLiteral("Select Part_nBr, Mfr_Part_nBr, Obsolete, Datasheet, Web_Page from PartList where ");
    if (parts.isEmpty()) {
        take(Query(select
                   + QStringLiteral("coalesce(Mfr_Part_nBr, '') <> '' or Part_nBr in "
                                    "(Select Part_nBr from SrcList where coalesce(Mfr_Part_nBr, '') <> '') order by id")),
             facts);
        read = LastResultCode() == 0;
    } else {
        for (qsizetype first = 0; first < parts.size(); first += kBatch) {
            const QStringList batch = parts.mid(first, kBatch);
            SqlArgs args;
            AppendArgs(args, batch);
            take(QueryBound(select + QStringLiteral("Part_nBr in (") + Placeholders(static_cast<int>(batch.size()))
                                + QStringLiteral(") order by id"),
                            args),
                 facts);
            read = read && LastResultCode() == 0;
        }
    }
    if (ok)
        *ok = read;
    return facts;
}

bool MarkPartsObsolete(const QStringList& parts)
{
    if (parts.isEmpty())
        return true;
    Transaction transaction;
    for (qsizetype first = 0; first < parts.size(); first += kBatch) {
        const QStringList batch = parts.mid(first, kBatch);
        SqlArgs args;
        AppendArgs(args, batch);
        if (!ExecuteBound(QStringLiteral("Update PartList set Obsolete = 'Yes' where Part_nBr in (")
                              + Placeholders(static_cast<int>(batch.size()))
                              + QStringLiteral(") and upper(coalesce(Obsolete, '')) <> 'YES'"),
                          args))
            transaction.fail();
    }
    return transaction.commit();
}

bool WritePartAddresses(const QHash<QString, PartAddresses>& addresses)
{
    if (addresses.isEmpty())
        return true;
    const QStringList parts = addresses.keys();
    Transaction transaction;
    // The records joined to a list of values through the index on the part
    // number: a bill's addresses are one round trip per slice.
    const qsizetype slice = RowsPerStatement(3, kBatch);
    for (qsizetype first = 0; first < parts.size(); first += slice) {
        QString rows;
        SqlArgs args;
        for (const QString& part : parts.mid(first, slice)) {
            const PartAddresses& a = addresses[part];
            rows += rows.isEmpty() ? QStringLiteral("(?,?,?)") : QStringLiteral(",(?,?,?)");
            args.insert(args.end(), {part, a.datasheet, a.webPage});
        }
        if (!ExecuteBound(QStringLiteral("Update PartList Set Datasheet = v.column2, Web_Page = v.column3 from (values ")
                              + rows + QStringLiteral(") as v where PartList.Part_nBr = v.column1"),
                          args))
            transaction.fail();
    }
    return transaction.commit();
}
