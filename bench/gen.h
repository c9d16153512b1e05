#pragma once
// What the reference data generator and its larger sets share: the
// deterministic random numbers, the record writer and the part maker.
#include "core/appstate.h"
#include "core/format.h"
#include "core/tabledefs.h"
#include "db/database.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace benchgen {

constexpr int kLevels = 6;
inline const QString kUser = QStringLiteral("BENCH");

// splitmix64: the same sequence on every platform and library, unlike the
// distributions of <random>.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double real(double lo, double hi) { return lo + (hi - lo) * static_cast<double>(next() >> 11) / 9007199254740992.0; }
    template <typename T> const T& pick(const std::vector<T>& v) { return v[static_cast<size_t>(below(static_cast<int>(v.size())))]; }
    const QString& pick(const QStringList& v) { return v[below(static_cast<int>(v.size()))]; }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::uint64_t m_state;
};


// One record of a table, filled by column name; columns the definition lacks
// are ignored, so the generator follows the shipped definitions.
class Record
{
public:
    explicit Record(int table) : m_table(table), m_values(App().tables[table].fieldCount) {}
    Record& set(const QString& column, const QString& value)
    {
        const int i = FieldIndex(App().tables[m_table], column);
        if (i >= 0)
            m_values[i] = value;
        return *this;
    }
    void insert(int& count)
    {
        set(QStringLiteral("User"), kUser);
        if (m_stamp.isEmpty())
            m_stamp = QStringLiteral("2026-01-15 08:30:00");
        set(QStringLiteral("Time_Stamp"), m_stamp);
        InsertRow(m_values, m_table);
        ++count;
    }
    Record& stamp(const QString& text)
    {
        m_stamp = text;
        return *this;
    }

private:
    int m_table;
    QStringList m_values;
    QString m_stamp;
};

inline QString money(double value)
{
    return Format("%0.2f", {value});
}

struct Part
{
    QString number;
    QString category;
    QString prefix; // reference designator letter, empty for parts without one
    int maxQuantity = 1;
};

struct Vendors
{
    QStringList distributors; // of electronic parts
    QStringList suppliers;    // of hardware and packaging
    std::vector<QStringList> makersByKind; // indexed by PartKind
    QStringList services;
    QStringList all;
};

enum PartKind { Resistor, Capacitor, Ic, Connector, Diode, Transistor, Inductor, Led, Crystal, Cable, Pcb,
                Hardware, Packaging, KindCount };

class PartMaker
{
public:
    PartMaker(Rng& rng, const Vendors& vendors, int& count) : m_rng(rng), m_vendors(vendors), m_count(count) {}

    const std::vector<Part>& parts() const { return m_parts; }
    int size() const { return static_cast<int>(m_parts.size()); }

    // Writes one purchased part; returns false when the number exists already.
    bool buy(PartKind kind, const QString& number, const QString& category, const QString& description,
             double price, const QString& prefix, int maxQuantity)
    {
        if (m_numbers.contains(number))
            return false;
        m_numbers.insert(number);
        const QString maker = m_rng.pick(m_vendors.makersByKind[kind]);
        // Most parts are bought from a distributor; some straight from the maker.
        const bool mechanical = kind == Hardware || kind == Packaging;
        const QString distributor = !m_rng.chance(85)
            ? maker
            : m_rng.pick(mechanical ? m_vendors.suppliers : m_vendors.distributors);
        const int stock = m_rng.chance(30) ? 0 : m_rng.between(1, 40) * (price < 0.5 ? 250 : 5);
        QString mpn = number.section(QLatin1Char('-'), 1);
        Record(PartList)
            .set("Part_nBr", number)
            .set("Internal_nBr", Format("%i-%05i", {10 + kind, m_rng.below(100000)}))
            .set("Description", description)
            .set("Category", category)
            .set("Make", "Buy")
            .set("Manufacturer", maker)
            .set("Mfr_Part_nBr", mpn)
            .set("Distributor", distributor)
            .set("Order_Code", distributor == QLatin1String("DIGIKEY") ? mpn + QStringLiteral("-ND")
                                                                         : Format("%i-%s", {m_rng.between(100, 999), mpn}))
            .set("Price", Format(price < 1 ? "%0.3f" : "%0.2f", {price}))
            .set("Labor", "0.00")
            .set("Currency", "USD")
            .set("Unit", "EA")
            .set("Revision", "A")
            .set("Web_Page", QStringLiteral("www.") + QString(maker).remove(QLatin1Char(' ')).toLower()
                                 + QStringLiteral(".com/product/") + mpn.toLower())
            .set("Datasheet", kind == Ic ? mpn + QStringLiteral(".pdf") : QString())
            .set("Stock", Format("%i", {stock}))
            .set("On_Order", "0")
            .set("Allocated", "0")
            .set("Min_Stock", Format("%i", {price < 0.5 ? 500 : 10}))
            .set("Location", Format("%c%02i-%02i", {static_cast<int>('A' + m_rng.below(8)), m_rng.between(1, 40), m_rng.between(1, 12)}))
            .set("Lead_Time", Format("%i weeks", {m_rng.between(1, 16)}))
            .set("Loss", kind == Resistor || kind == Capacitor ? "2" : "0")
            .insert(m_count);
        m_parts.push_back({number, category, prefix, maxQuantity});
        return true;
    }

    // A part made in-house: no maker, no distributor; the cost roll-up
    // stamps the company as its manufacturer.
    void make(const QString& number, const QString& category, const QString& description, double labour)
    {
        m_numbers.insert(number);
        Record(PartList)
            .set("Part_nBr", number)
            .set("Description", description)
            .set("Category", category)
            .set("Make", "Make")
            .set("Price", "0.00")
            .set("Labor", money(labour))
            .set("Currency", "USD")
            .set("Unit", "EA")
            .set("Revision", QString(QChar(QLatin1Char('A' + m_rng.below(4)))))
            .set("Stock", Format("%i", {m_rng.below(20)}))
            .set("On_Order", "0")
            .set("Allocated", "0")
            .set("Loss", "0")
            .insert(m_count);
        if (category != QLatin1String("ASSEMBLY"))
            m_parts.push_back({number, category, QString(), 2});
    }

    bool exists(const QString& number) const { return m_numbers.contains(number); }

private:
    Rng& m_rng;
    const Vendors& m_vendors;
    int& m_count;
    std::vector<Part> m_parts;
    QSet<QString> m_numbers;
};

inline const QStringList kAssemblyKinds[kLevels] = {
    {"PRODUCT, INDUSTRIAL CONTROLLER", "PRODUCT, DATA LOGGER", "PRODUCT, MOTOR DRIVE", "PRODUCT, SENSOR GATEWAY"},
    {"CHASSIS ASSEMBLY", "FRONT PANEL ASSEMBLY", "ENCLOSURE ASSEMBLY", "RACK MODULE"},
    {"MAIN BOARD ASSEMBLY", "POWER SUPPLY ASSEMBLY", "I/O MODULE ASSEMBLY", "DISPLAY MODULE"},
    {"CONTROLLER BOARD PCBA", "INTERFACE BOARD PCBA", "RELAY BOARD PCBA", "SENSOR BOARD PCBA"},
    {"DAUGHTER CARD PCBA", "COMMUNICATION MODULE", "ANALOG FRONT END", "KEYPAD ASSEMBLY"},
    {"LED BAR ASSEMBLY", "CABLE KIT", "SHIELD ASSEMBLY", "FAN ASSEMBLY"},
};

// Reference designators for quantity q: "R5", "R5,R6" or "R5-R8".
inline QString designators(const QString& prefix, int& next, int q)
{
    if (prefix.isEmpty() || q < 1)
        return {};
    const int first = next;
    next += q;
    if (q == 1)
        return prefix + QString::number(first);
    if (q <= 3) {
        QStringList list;
        for (int k = 0; k < q; ++k)
            list << prefix + QString::number(first + k);
        return list.join(QLatin1Char(','));
    }
    return Format("%s%i-%s%i", {prefix, first, prefix, first + q - 1});
}

struct Assembly
{
    QString name;
    int level = 0;
    std::vector<int> children; // indexes of sub-assemblies used on its lines
    int componentLines = 0;
};

} // namespace benchgen

namespace benchgen {

// What the larger sets add to and write with.
struct ScaleContext
{
    const Vendors& vendors;
    const QStringList& labour;          // resource names
    const std::vector<double>& rates;   // their hourly rates
    int& vendorCount;
    int& partCount;
    int& assemblyCount;
    int& lineCount;
    int& stepCount;
};

// Adds scale - 1 blocks, each the size of the reference set (400 vendors,
// 20,000 parts of which 1,000 assemblies, 30,000 bill lines, 3,000 routing
// steps), after the reference rows, which stay exactly as they are. The first
// block is one product ten levels deep whose bill holds more than 20,000
// distinct purchased parts; the others are built like the reference set.
void ExtendToScale(int scale, ScaleContext& context);

} // namespace benchgen
