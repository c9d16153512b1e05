#pragma once
// The sources a bill's supplier columns name (LCSC, Digi-Key, Mouser, or a
// "Supplier" with its "Supplier PN"), gathered line by line and stored with
// the bill for the parts they belong to.
#include "db/sources.h"
#include "interchange/importlines.h"

#include <QSet>
#include <vector>

class ImportSourceCollector
{
public:
    void add(const ImportLine& line);
    // The sources no part has yet, stored with a vendor record for each new
    // vendor. A source becomes the preferred one only where it is the part's
    // one source. False when the database refused (LastErrorText says why).
    bool store(int* added = nullptr);
    size_t size() const { return m_sources.size(); }

private:
    std::vector<SourceRecord> m_sources;
    QSet<QString> m_keys;
};
