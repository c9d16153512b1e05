#include "partinfo/sourcerefresh.h"

#include "bom/explosion.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "core/appstate.h"
#include "core/utilities.h"
#include "db/partnumbers.h"
#include "db/vendors.h"
#include "partinfo/providers.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <memory>

namespace {

// As many part numbers as Nexar matches in one request and two of Mouser's:
// the providers batch within it, and the progress moves between them.
constexpr int kPartsPerStep = 20;

QString numberKey(const QString& text)
{
    return text.trimmed().toUpper();
}

// Names written for people differ in case, spaces and dashes.
QString nameKey(const QString& text)
{
    QString key;
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            key += c.toLower();
    return key;
}

bool sameVendor(const QString& a, const QString& b)
{
    const QString x = nameKey(a);
    const QString y = nameKey(b);
    if (x.isEmpty() || y.isEmpty())
        return false;
    // A shop's vendor code is often the start of the distributor's name
    // ("MOUS", "DIGI"); the order code beside it keeps the match narrow.
    const QString& shorter = x.size() <= y.size() ? x : y;
    const QString& longer = x.size() <= y.size() ? y : x;
    return shorter.size() >= 3 && longer.startsWith(shorter);
}

struct PartWork
{
    QString part;
    QStringList mpns;
    QString datasheet; // as the record holds them
    QString webPage;
    bool markedObsolete = false;
    bool answered = false;
    bool obsolete = false;
    std::vector<Offer> offers;
};

// The parts the request names, each with every manufacturer part number
// it is known by (its own and its sources').
std::vector<PartWork> partsToRefresh(const std::vector<PartNumberFacts>& facts,
                                     const QHash<QString, std::vector<SourceRecord>>& sources)
{
    std::vector<PartWork> work;
    for (const PartNumberFacts& f : facts) {
        PartWork w;
        w.part = f.part;
        w.markedObsolete = f.obsolete;
        w.datasheet = f.datasheet;
        w.webPage = f.webPage;
        if (!f.mpn.isEmpty())
            w.mpns << f.mpn;
        for (const SourceRecord& s : sources.value(f.part))
            if (!s.mpn.trimmed().isEmpty() && !w.mpns.contains(s.mpn.trimmed(), Qt::CaseInsensitive))
                w.mpns << s.mpn.trimmed();
        if (!w.mpns.isEmpty())
            work.push_back(w);
    }
    return work;
}

bool isWebAddress(const QString& text)
{
    const QString t = text.trimmed();
    return t.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
           || t.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// The shop's own spelling of a distributor it has a vendor record for
// ("MOUSER" for "Mouser"), so that a new source joins that vendor's orders;
// the offer's name where the shop has none.
QString shopVendorName(const QString& distributor, const QStringList& vendors)
{
    for (const QString& v : vendors)
        if (nameKey(v) == nameKey(distributor))
            return v;
    for (const QString& v : vendors)
        if (sameVendor(v, distributor))
            return v;
    return distributor.trimmed();
}

// Every vendor the sources name gets its record, through the one function
// that makes vendor records.
bool ensureVendors(const std::vector<SourceRecord>& sources, const QStringList& known)
{
    QSet<QString> done;
    for (const QString& v : known)
        done.insert(v);
    const QString user = App().CurrentUser;
    const QString stamp = TimestampText();
    for (const SourceRecord& s : sources) {
        const QString vendor = s.vendor.trimmed();
        if (vendor.isEmpty() || done.contains(vendor))
            continue;
        done.insert(vendor);
        if (!EnsureVendorRecord(vendor, user, stamp))
            return false;
    }
    return true;
}

} // namespace

PartAddresses MergedPartAddresses(const PartAddresses& record, const std::vector<Offer>& offers,
                                  const SourceRecord* preferred)
{
    // The preferred source's offer speaks first: its product page is the one
    // the buyer opens.
    std::vector<const Offer*> order;
    for (const Offer& o : offers)
        if (preferred && numberKey(o.orderCode) == numberKey(preferred->orderCode)
            && sameVendor(o.distributor, preferred->vendor))
            order.push_back(&o);
    for (const Offer& o : offers)
        if (std::find(order.begin(), order.end(), &o) == order.end())
            order.push_back(&o);
    QString datasheet;
    QString page;
    for (const Offer* o : order) {
        if (datasheet.isEmpty())
            datasheet = o->datasheetUrl.trimmed();
        if (page.isEmpty())
            page = o->productUrl.trimmed();
    }
    PartAddresses merged = record;
    // An offer without an address never empties what the record holds, and
    // a document the shop keeps in its own folder is not swapped for a link.
    if (!datasheet.isEmpty() && (record.datasheet.trimmed().isEmpty() || isWebAddress(record.datasheet)))
        merged.datasheet = datasheet;
    if (!page.isEmpty())
        merged.webPage = page;
    return merged;
}

bool LifecycleIsObsolete(const QString& lifecycle)
{
    const QString word = nameKey(lifecycle);
    return word.contains(QLatin1String("obsolete")) || word.contains(QLatin1String("endoflife"))
           || word == QLatin1String("eol") || word.contains(QLatin1String("discontinued"));
}

const SourceRecord* MatchingSource(const std::vector<SourceRecord>& sources, const Offer& offer)
{
    const QString code = numberKey(offer.orderCode);
    if (code.isEmpty())
        return nullptr;
    for (const SourceRecord& s : sources)
        if (numberKey(s.orderCode) == code && sameVendor(s.vendor, offer.distributor))
            return &s;
    return nullptr;
}

SourceRecord SourceFromOffer(const QString& part, const Offer& offer, const SourceRecord* existing)
{
    SourceRecord s;
    if (existing)
        s = *existing;
    else {
        s.part = part;
        s.vendor = offer.distributor.trimmed();
        s.orderCode = offer.orderCode.trimmed();
        s.preferred = false;
    }
    // What the shop typed itself stays; what it left empty is filled in.
    if (s.manufacturer.trimmed().isEmpty())
        s.manufacturer = offer.manufacturer.trimmed();
    if (s.mpn.trimmed().isEmpty())
        s.mpn = offer.mpn.trimmed();
    if (offer.pack > 0)
        s.pack = offer.pack;
    if (!(s.pack > 0))
        s.pack = 1;
    if (offer.minimumOrder > 0)
        s.minimum = offer.minimumOrder;
    if (offer.multiple > 0)
        s.multiple = offer.multiple;
    if (offer.leadDays >= 0)
        s.leadDays = offer.leadDays;
    // The breaks are in the offer's currency; an offer without prices
    // leaves the last known ones rather than none.
    if (!offer.breaks.empty()) {
        s.breaks.clear();
        for (const OfferBreak& b : offer.breaks)
            s.breaks.push_back({b.quantity, b.unitPrice});
        s.currency = offer.currency.trimmed().toUpper();
    }
    s.vendorStock = offer.stock >= 0 ? double(offer.stock) : -1;
    s.stockDate = QDate::currentDate().toString(Qt::ISODate);
    return s;
}

SourceRefreshSummary RefreshSources(const SourceRefreshRequest& request)
{
    SourceRefreshSummary summary;
    auto fail = [&summary](const QString& problem) {
        summary.problems << problem;
        summary.failed = true;
        return summary;
    };

    QStringList providers;
    if (!request.provider.isEmpty()) {
        if (!ProviderNames().contains(request.provider))
            return fail(TranslateLabel(QStringLiteral("No such provider:")) + QLatin1Char(' ') + request.provider);
        providers << request.provider;
    } else {
        for (const QString& name : ProviderNames())
            if (name != QLatin1String("generic") && ProviderConfigured(name))
                providers << name;
        if (providers.isEmpty())
            return fail(Translate(QStringLiteral("No provider is configured: koltctl provider set NAME KEY=VALUE...")));
    }

    // The parts asked for.
    QStringList named = request.parts;
    if (!request.assembly.isEmpty()) {
        const QueryResult bom = LoadBomRows(request.assembly);
        if (LastResultCode() != 0)
            return fail(LastErrorText());
        if (bom.rowCount == 0)
            return fail(TranslateLabel(QStringLiteral("No such assembly:")) + QLatin1Char(' ') + request.assembly);
        const BomIndex index(bom);
        const int partColumn = FindHeading(bom, QStringLiteral("Part"));
        for (int r = 0; partColumn >= 0 && r < bom.rowCount; ++r) {
            const QString part = bom.cell(r, partColumn);
            if (!part.isEmpty() && !index.isAssembly(part) && !named.contains(part))
                named << part;
        }
    }
    bool ok = true;
    const bool everything = request.parts.isEmpty() && request.assembly.isEmpty();
    // An empty list reads every part: a bill of assemblies alone names none.
    const std::vector<PartNumberFacts> facts =
        everything ? LoadPartNumbers({}, &ok) : named.isEmpty() ? std::vector<PartNumberFacts>() : LoadPartNumbers(named, &ok);
    if (!ok)
        return fail(LastErrorText());
    if (!everything && !request.parts.isEmpty()) {
        QSet<QString> found;
        for (const PartNumberFacts& f : facts)
            found.insert(f.part);
        for (const QString& part : request.parts)
            if (!found.contains(part))
                summary.problems << TranslateLabel(QStringLiteral("No such part:")) + QLatin1Char(' ') + part;
    }
    QStringList partNames;
    for (const PartNumberFacts& f : facts)
        partNames << f.part;
    QHash<QString, std::vector<SourceRecord>> sources = LoadSources(partNames, &ok);
    if (!ok)
        return fail(LastErrorText());
    std::vector<PartWork> work = partsToRefresh(facts, sources);
    if (work.empty()) {
        if (summary.problems.isEmpty())
            summary.problems << Translate(QStringLiteral("No part to refresh has a manufacturer part number."));
        summary.failed = true;
        return summary;
    }

    // Which parts each part number belongs to (several parts may share one).
    QHash<QString, QVector<int>> byNumber;
    QStringList numbers;
    for (int i = 0; i < int(work.size()); ++i)
        for (const QString& mpn : work[size_t(i)].mpns) {
            const QString key = numberKey(mpn);
            if (!byNumber.contains(key))
                numbers << mpn;
            if (!byNumber[key].contains(i))
                byNumber[key].append(i);
        }

    const int steps = int(providers.size()) * int((numbers.size() + kPartsPerStep - 1) / kPartsPerStep);
    WaitScope wait(Translate(QStringLiteral("Refreshing sources...")), 0, std::max(1, steps));
    int step = 0;
    for (const QString& name : providers) {
        std::unique_ptr<PartProvider> provider = MakeProvider(name);
        QSet<QString> reported; // one line per provider and problem
        for (qsizetype first = 0; first < numbers.size(); first += kPartsPerStep) {
            const QStringList group = numbers.mid(first, kPartsPerStep);
            wait.setCaption(ProviderTitle(name) + QStringLiteral(": ")
                            + Translate(QStringLiteral("%1 of %2 part numbers"))
                                  .arg(std::min<qsizetype>(first + group.size(), numbers.size()))
                                  .arg(numbers.size()));
            const ProviderResult result = FindOffers(*provider, group, request.useCache);
            wait.setPosition(++step);
            if (!result.error.isEmpty() && !reported.contains(result.error)) {
                reported.insert(result.error);
                summary.problems << result.error;
            }
            QSet<QString> answered;
            for (const QString& mpn : result.notFound)
                answered.insert(numberKey(mpn));
            for (const Offer& offer : result.offers) {
                QString key = numberKey(offer.mpn);
                if (!byNumber.contains(key))
                    key = numberKey(offer.orderCode); // asked by the distributor's own number
                if (!byNumber.contains(key))
                    continue;
                answered.insert(key);
                for (int i : byNumber.value(key)) {
                    work[size_t(i)].offers.push_back(offer);
                    if (LifecycleIsObsolete(offer.lifecycle))
                        work[size_t(i)].obsolete = true;
                }
            }
            for (const QString& key : std::as_const(answered))
                for (int i : byNumber.value(key))
                    work[size_t(i)].answered = true;
            // A provider whose limit is reached answers nothing more today.
            if (result.limitReached)
                break;
        }
    }

    bool vendorsRead = false;
    const QStringList vendors = ReadVendorNames(&vendorsRead);
    if (!vendorsRead)
        return fail(LastErrorText());
    std::vector<SourceRecord> toStore;
    QStringList toMark;
    QHash<QString, PartAddresses> addresses;
    for (PartWork& w : work) {
        if (!w.answered) {
            ++summary.notRefreshed;
            continue;
        }
        ++summary.parts;
        if (w.obsolete) {
            ++summary.obsolete;
            if (!w.markedObsolete)
                toMark << w.part;
        }
        const std::vector<SourceRecord>& existing = sources.value(w.part);
        std::vector<SourceRecord> mine;
        for (const Offer& offer : w.offers) {
            if (offer.orderCode.trimmed().isEmpty() || offer.distributor.trimmed().isEmpty())
                continue; // nothing to buy it by
            const SourceRecord* match = MatchingSource(existing, offer);
            SourceRecord s = SourceFromOffer(w.part, offer, match);
            if (!match)
                s.vendor = shopVendorName(s.vendor, vendors);
            // The same vendor's same order code from a second provider: the
            // first answer stands.
            const bool twice = std::any_of(mine.begin(), mine.end(), [&s](const SourceRecord& m) {
                return numberKey(m.orderCode) == numberKey(s.orderCode) && sameVendor(m.vendor, s.vendor);
            });
            if (twice)
                continue;
            mine.push_back(s);
            ++(match ? summary.updated : summary.added);
        }
        if (mine.empty())
            ++summary.notFound;
        const auto preferred = std::find_if(existing.begin(), existing.end(), [](const SourceRecord& e) { return e.preferred; });
        const PartAddresses before{w.datasheet, w.webPage};
        const PartAddresses after =
            MergedPartAddresses(before, w.offers, preferred == existing.end() ? nullptr : &*preferred);
        if (after.datasheet != before.datasheet || after.webPage != before.webPage)
            addresses.insert(w.part, after);
        summary.offers += int(mine.size());
        toStore.insert(toStore.end(), mine.begin(), mine.end());
    }
    if (summary.notRefreshed > 0)
        summary.problems << Translate(QStringLiteral("%1 parts not refreshed")).arg(summary.notRefreshed);
    if (summary.parts == 0) {
        summary.failed = true;
        summary.offers = summary.added = summary.updated = 0;
        return summary;
    }

    wait.setCaption(Translate(QStringLiteral("Database Access...")));
    Transaction transaction;
    if (!ensureVendors(toStore, vendors) || !SaveSources(toStore) || !MarkPartsObsolete(toMark)
        || !WritePartAddresses(addresses))
        transaction.fail();
    if (!transaction.commit()) {
        summary.problems << WriteRefusedText(LastErrorText());
        summary.failed = true;
        summary.offers = summary.added = summary.updated = 0;
    }
    return summary;
}

QString SourceRefreshSummaryText(const SourceRefreshSummary& summary)
{
    return Translate(QStringLiteral("%1 parts, %2 offers, %3 not found, %4 obsolete"))
        .arg(summary.parts)
        .arg(summary.offers)
        .arg(summary.notFound)
        .arg(summary.obsolete);
}

bool TransferOffer(const QString& part, const Offer& offer, QString* error)
{
    auto refuse = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (offer.orderCode.trimmed().isEmpty() || offer.distributor.trimmed().isEmpty())
        return refuse(Translate(QStringLiteral("The offer names no distributor and order code.")));
    bool ok = false;
    const std::vector<PartNumberFacts> facts = LoadPartNumbers({part}, &ok);
    if (!ok)
        return refuse(LastErrorText());
    if (part.isEmpty() || facts.empty())
        return refuse(TranslateLabel(QStringLiteral("No such part:")) + QLatin1Char(' ') + part);
    const QHash<QString, std::vector<SourceRecord>> sources = LoadSources({part}, &ok);
    if (!ok)
        return refuse(LastErrorText());
    const QStringList vendors = ReadVendorNames(&ok);
    if (!ok)
        return refuse(LastErrorText());
    const std::vector<SourceRecord> existing = sources.value(part);
    const SourceRecord* match = MatchingSource(existing, offer);
    SourceRecord source = SourceFromOffer(part, offer, match);
    if (!match)
        source.vendor = shopVendorName(source.vendor, vendors);
    const auto preferred = std::find_if(existing.begin(), existing.end(), [](const SourceRecord& e) { return e.preferred; });
    const PartAddresses before{facts.front().datasheet, facts.front().webPage};
    const PartAddresses after = MergedPartAddresses(before, {offer}, preferred == existing.end() ? nullptr : &*preferred);
    QHash<QString, PartAddresses> addresses;
    if (after.datasheet != before.datasheet || after.webPage != before.webPage)
        addresses.insert(part, after);
    Transaction transaction;
    if (!ensureVendors({source}, vendors) || !SaveSource(source) || !WritePartAddresses(addresses))
        transaction.fail();
    if (!transaction.commit())
        return refuse(WriteRefusedText(LastErrorText()));
    return true;
}
