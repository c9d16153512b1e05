#include "db/numbering.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "db/database.h"
#include "db/parameters.h"

#include <algorithm>

namespace {

// The number of "P0005" after its prefix; 0 when the rest is not all digits
// (a number written some other way is no number of this counter); capped
// above the largest, so that a huge one still reads as taken.
long long numberAfter(const QString& text, qsizetype prefix)
{
    if (text.size() <= prefix)
        return 0;
    long long value = 0;
    for (qsizetype i = prefix; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        if (value <= kLargestRecordNumber)
            value = value * 10 + (c - u'0');
    }
    return value;
}

long long counterValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const long long value = trimmed.toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

} // namespace

long long HighestNumberInUse(int counter)
{
    const bool orders = counter == ParamLastPurchaseOrder;
    const QString prefix = orders ? QStringLiteral("P") : QStringLiteral("REQ");
    // One statement for the set; the few hundred numbers are parsed here, the
    // same way on a file and on the server.
    const QueryResult rows = Query(orders ? QStringLiteral("Select PO_nBr from PurcList where PO_nBr like 'P%'")
                                          : QStringLiteral("Select Order_nBr from ReqmList where Order_nBr like 'REQ%'"));
    if (LastResultCode() != 0)
        return -1;
    long long highest = 0;
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString number = rows.cell(r, 0);
        if (number.startsWith(prefix, Qt::CaseInsensitive))
            highest = std::max(highest, numberAfter(number, prefix.size()));
    }
    return highest;
}

long long NumberingBase(int counter)
{
    const QString stored = GetParam(counter);
    if (LastResultCode() != 0)
        return -1;
    const long long highest = HighestNumberInUse(counter);
    if (highest < 0)
        return -1;
    return std::max(counterValue(stored), highest);
}

QString NumbersExhaustedMessage(int counter)
{
    return Translate(counter == ParamLastPurchaseOrder
                         ? QStringLiteral("No purchase order number after 2147483647: nothing was written.")
                         : QStringLiteral("No order number after 2147483647: nothing was written."));
}
