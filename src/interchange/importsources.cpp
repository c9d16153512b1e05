#include "interchange/importsources.h"

#include "db/vendorrows.h"

#include <QHash>

void ImportSourceCollector::add(const ImportLine& line)
{
    if (line.partNumber.isEmpty() || line.dnp)
        return;
    for (const auto& [vendor, code] : line.supplierCodes) {
        const QString key = line.partNumber + QChar(0x1f) + vendor + QChar(0x1f) + code;
        if (m_keys.contains(key))
            continue;
        m_keys.insert(key);
        SourceRecord source;
        source.part = line.partNumber;
        source.vendor = vendor;
        source.orderCode = code;
        source.manufacturer = line.manufacturer;
        source.mpn = line.mfrPart;
        m_sources.push_back(std::move(source));
    }
}

bool ImportSourceCollector::store(int* added)
{
    if (added)
        *added = 0;
    if (m_sources.empty())
        return true;
    QStringList parts;
    for (const SourceRecord& s : m_sources)
        if (parts.isEmpty() || parts.back() != s.part)
            parts << s.part;
    parts.removeDuplicates();
    bool ok = false;
    const auto existing = LoadSources(parts, &ok);
    if (!ok)
        return false;
    std::vector<SourceRecord> fresh;
    QHash<QString, int> perPart;
    for (const SourceRecord& s : m_sources) {
        bool known = false;
        for (const SourceRecord& e : existing.value(s.part))
            known = known || (e.vendor.compare(s.vendor, Qt::CaseInsensitive) == 0 && e.orderCode == s.orderCode);
        if (known)
            continue;
        fresh.push_back(s);
        ++perPart[s.part];
    }
    // A part with one way to buy it is bought that way; among several the
    // planner compares prices, and a preferred mark would stop it.
    for (SourceRecord& s : fresh)
        s.preferred = existing.value(s.part).empty() && perPart.value(s.part) == 1;
    QStringList vendors;
    for (const SourceRecord& s : fresh)
        vendors << s.vendor;
    if (!AddMissingVendors(vendors, QStringLiteral("Distributor")) || !SaveSources(fresh))
        return false;
    if (added)
        *added = static_cast<int>(fresh.size());
    return true;
}
