#pragma once
// The distributors' current offers written into the sources of parts: each
// offer updates the source with its vendor and order code (price breaks
// replaced, the vendor's stock and the day stored) or is added as a source
// that is not preferred. Which source is preferred is the buyer's choice and
// never changes here.
#include "db/partnumbers.h"
#include "db/sources.h"
#include "partinfo/offers.h"

#include <QString>
#include <QStringList>

struct SourceRefreshRequest
{
    QStringList parts; // these parts; with no assembly either, every part with a manufacturer part number
    QString assembly;  // the purchased parts of this assembly's bill, every level down
    QString provider;  // only this provider; empty: every configured distributor
    bool useCache = true;
};

struct SourceRefreshSummary
{
    int parts = 0;        // parts a provider answered for
    int offers = 0;       // offers written into sources
    int notFound = 0;     // parts answered for with no offer
    int obsolete = 0;     // parts a provider reports obsolete
    int added = 0;        // sources new to the shop
    int updated = 0;      // sources that were there already
    int notRefreshed = 0; // parts no provider answered for
    QStringList problems; // what went wrong, one line each
    bool failed = false;  // nothing could be refreshed, or the shop refused the write
};

// Asks the providers in as few requests as they allow (answers young enough
// taken from the cache) and stores what they say in one transaction; a part
// no provider answered for keeps its sources as they were. Progress goes to
// the user interface in force.
SourceRefreshSummary RefreshSources(const SourceRefreshRequest& request);

// "42 parts, 118 offers, 3 not found, 1 obsolete"
QString SourceRefreshSummaryText(const SourceRefreshSummary& summary);

// A lifecycle word of a provider's that means the part is no longer made.
bool LifecycleIsObsolete(const QString& lifecycle);

// The source an offer makes of a part: the existing one (vendor, preferred
// flag and notes kept) brought up to the offer, or a new one, not preferred.
SourceRecord SourceFromOffer(const QString& part, const Offer& offer, const SourceRecord* existing);
// The existing source of the part the offer updates: same order code, and
// the same vendor by name ("Mouser" and "MOUS", "Digi-Key" and "DIGIKEY").
const SourceRecord* MatchingSource(const std::vector<SourceRecord>& sources, const Offer& offer);

// What a part record's Datasheet and Web Page become from the offers: the
// preferred source's offer first, then the others in turn. An offer without
// an address keeps the record's; a datasheet kept as a document of the shop's
// (not a web address) stays.
PartAddresses MergedPartAddresses(const PartAddresses& record, const std::vector<Offer>& offers,
                                  const SourceRecord* preferred);

// "Transfer" of one offer: a source of the part, its vendor's record where the
// shop has none, and the offer's addresses in the part record. False with *error when the
// offer has no order code, the part does not exist or the shop refused.
bool TransferOffer(const QString& part, const Offer& offer, QString* error);
