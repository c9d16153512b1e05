// The part service's answers: the match rows of a search and the addresses
// of a detail.
#include "fuzztarget.h"
#include "partinfo/partreader.h"

KOLT_FUZZ_TARGET(FuzzPartAnswer)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<PartMatch> rows = ReadPartMatches(text);
    KOLT_FUZZ_CHECK(rows.size() <= static_cast<std::size_t>(kMaxPartMatches));
    for (const PartMatch& row : rows)
        for (const QChar c : row.uid)
            KOLT_FUZZ_CHECK(c >= QLatin1Char('0') && c <= QLatin1Char('9'));
    ReadSingleUrl(text, QStringLiteral("image"));
    ReadSingleUrl(text, QStringLiteral("datasheets"));
    return 0;
}
