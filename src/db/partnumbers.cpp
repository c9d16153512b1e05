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
        facts.push_back({rows.cell(r, 0), rows.cell(r, 1).trimmed(), isYes(rows.cell(r, 2))});
}

} // namespace

std::vector<PartNumberFacts> LoadPartNumbers(const QStringList& parts, bool* ok)
{
    std::vector<PartNumberFacts> facts;
    bool read = true;
    const QString select = QStringLiteral("Select Part_nBr, Mfr_Part_nBr, Obsolete from PartList where ");
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
