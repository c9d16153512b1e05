#include "db/partnumbers.h"

#include "db/database.h"
#include "db/sqllist.h"

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
            take(Query(select + QStringLiteral("Part_nBr in (") + SqlQuotedList(parts.mid(first, kBatch))
                       + QStringLiteral(") order by id")),
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
    for (qsizetype first = 0; first < parts.size(); first += kBatch)
        if (!Execute(QStringLiteral("Update PartList set Obsolete = 'Yes' where Part_nBr in (")
                     + SqlQuotedList(parts.mid(first, kBatch))
                     + QStringLiteral(") and upper(coalesce(Obsolete, '')) <> 'YES'")))
            transaction.fail();
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
    for (qsizetype first = 0; first < parts.size(); first += kBatch) {
        QString rows;
        for (const QString& part : parts.mid(first, kBatch)) {
            const PartAddresses& a = addresses[part];
            if (!rows.isEmpty())
                rows += QLatin1Char(',');
            rows += QLatin1Char('(') + SqlQuotedList({part, a.datasheet, a.webPage}) + QLatin1Char(')');
        }
        if (!Execute(QStringLiteral("Update PartList Set Datasheet = v.column2, Web_Page = v.column3 from (values ") + rows
                     + QStringLiteral(") as v where PartList.Part_nBr = v.column1")))
            transaction.fail();
    }
    return transaction.commit();
}
