// The larger data sets of the benchmarks: the reference set followed by
// blocks of the same size under new names, so that every operation on the
// reference set's assemblies can be timed again on ten times the data.
#include "gen.h"

#include <QHash>

#include <algorithm>
#include <cstdio>

namespace benchgen {

namespace {

constexpr int kBlockVendors = 400;
constexpr int kBlockParts = 20000;
constexpr int kBlockAssemblies = 1000;
constexpr int kBlockLines = 30000;
constexpr int kBlockSteps = 3000;

// The deep product: one assembly on top, ten levels, 1,000 assemblies.
constexpr int kDeepLevels = 10;
const int kDeepPerLevel[kDeepLevels] = {1, 3, 8, 20, 50, 100, 170, 230, 240, 178};
// The other blocks keep the reference set's six levels.
const int kWidePerLevel[kLevels] = {40, 100, 170, 230, 250, 210};

const QStringList kFirst = {"ACME", "ALPINE", "ATLAS", "BAYSIDE", "BLUE RIDGE", "CASCADE", "CENTURY", "COASTAL",
                            "CRESCENT", "DELTA", "EAGLE", "EMPIRE", "FRONTIER", "GOLDEN STATE", "GRANITE"};
const QStringList kSecond = {"FASTENERS", "PLASTICS", "WIRE & CABLE", "MACHINING", "PACKAGING", "ELECTRONICS",
                             "LABELS", "METALS", "TOOLING", "COATINGS", "SUPPLY", "COMPONENTS", "FREIGHT"};

struct Kind
{
    PartKind kind;
    const char* prefix;
    const char* category;
    const char* description;
    const char* designator;
    int share; // parts per 19,000 purchased ones
    int maxQuantity;
    double lowPrice, highPrice;
};

// The reference set's mix of purchased parts.
const Kind kKinds[] = {
    {Resistor, "RES", "RESISTOR", "RES SMD %i OHM 1%% 0603", "R", 5200, 8, 0.004, 0.12},
    {Capacitor, "CAP", "CAPACITOR", "CAP CER %iPF 50V X7R 0603", "C", 4800, 12, 0.008, 0.9},
    {Ic, "IC", "IC", "IC %i LOGIC SOIC-8", "U", 2400, 2, 0.15, 14.0},
    {Connector, "CON", "CONNECTOR", "CONN HEADER %i POS 2.54MM", "J", 1500, 1, 0.1, 6.0},
    {Diode, "DIO", "DIODE", "DIODE %i SOD-123", "D", 900, 2, 0.02, 0.6},
    {Transistor, "TRN", "TRANSISTOR", "TRANSISTOR %i SOT-23", "Q", 700, 4, 0.03, 0.5},
    {Inductor, "IND", "INDUCTOR", "INDUCTOR %iUH SHIELDED", "L", 600, 2, 0.05, 1.8},
    {Led, "LED", "LED", "LED %i MCD 0603", "D", 400, 4, 0.02, 0.4},
    {Crystal, "XTL", "CRYSTAL", "CRYSTAL %i KHZ SMD", "Y", 200, 1, 0.15, 0.9},
    {Cable, "CBL", "CABLE ASSEMBLY", "CABLE ASSEMBLY %i MM", "W", 500, 1, 0.8, 35.0},
    {Pcb, "PCB", "PCB", "PCB BARE BOARD %i", "", 300, 1, 1.2, 28.0},
    {Hardware, "HW", "HARDWARE", "SCREW PAN HEAD M3 X %iMM", "", 1310, 8, 0.01, 0.6},
    {Packaging, "PKG", "PACKAGING", "PACKAGING MATERIAL %i", "", 190, 1, 0.05, 2.5},
};

struct Block
{
    std::vector<Part> electronic;
    std::vector<Part> mechanical;
    std::vector<Part> boards;
};

void writeVendors(Rng& rng, int block, QStringList& names, ScaleContext& context)
{
    for (int k = 0; k < kBlockVendors; ++k) {
        const QString name = Format("%s %s %i-%03i", {rng.pick(kFirst), rng.pick(kSecond), block, k + 1});
        names << name;
        Record(VendList)
            .set("Vendor", name)
            .set("Type", "Service")
            .set("Address", Format("%i Commerce Dr", {rng.between(1, 9800)}))
            .set("City", "Portland")
            .set("State", "OR")
            .set("Zip", "97201")
            .set("Country", "USA")
            .set("Phone", Format("+1 %03i-%03i-%04i", {rng.between(201, 989), rng.between(200, 999), rng.below(10000)}))
            .set("Terms", "Net 30")
            .set("Currency", "USD")
            .insert(context.vendorCount);
    }
}

// 19,000 purchased parts, numbered by block so that no number repeats.
void writeParts(Rng& rng, int block, Block& pools, ScaleContext& context)
{
    PartMaker maker(rng, context.vendors, context.partCount);
    int serial = 0;
    for (const Kind& kind : kKinds)
        for (int k = 0; k < kind.share; ++k) {
            const QString number = Format("%s-%02i%06i", {kind.prefix, block, ++serial});
            maker.buy(kind.kind, number, kind.category, Format(kind.description, {rng.between(1, 999)}),
                      rng.real(kind.lowPrice, kind.highPrice), QString::fromLatin1(kind.designator),
                      kind.maxQuantity);
        }
    for (const Part& part : maker.parts()) {
        if (part.category == QLatin1String("PCB"))
            pools.boards.push_back(part);
        else if (part.category == QLatin1String("HARDWARE") || part.category == QLatin1String("PACKAGING")
                 || part.category == QLatin1String("CABLE ASSEMBLY") || part.category == QLatin1String("CONNECTOR"))
            pools.mechanical.push_back(part);
        else
            pools.electronic.push_back(part);
    }
}

// One block of assemblies: names, levels, parents, lines and routing.
void writeAssemblies(Rng& rng, int block, bool deep, const std::vector<Block>& pools, ScaleContext& context)
{
    const int levels = deep ? kDeepLevels : kLevels;
    const int* perLevel = deep ? kDeepPerLevel : kWidePerLevel;
    std::vector<Assembly> assemblies;
    std::vector<std::vector<int>> byLevel(static_cast<size_t>(levels));
    for (int level = 0; level < levels; ++level)
        for (int k = 0; k < perLevel[level]; ++k) {
            Assembly a;
            a.level = level;
            a.name = Format("ASY-%02i-%02i%04i", {block, level + 1, k + 1});
            byLevel[static_cast<size_t>(level)].push_back(static_cast<int>(assemblies.size()));
            assemblies.push_back(a);
        }
    PartMaker maker(rng, context.vendors, context.partCount);
    for (const Assembly& a : assemblies) {
        maker.make(a.name, "ASSEMBLY", rng.pick(kAssemblyKinds[std::min(a.level, kLevels - 1)]), rng.real(0, 25));
        ++context.assemblyCount;
    }

    // Each assembly below the top is used one level up; some by a second
    // parent. The deep product shares less, or its tree would multiply.
    int subLines = 0;
    for (int level = 1; level < levels; ++level)
        for (int child : byLevel[static_cast<size_t>(level)]) {
            const auto& parents = byLevel[static_cast<size_t>(level - 1)];
            const int parent = rng.pick(parents);
            assemblies[static_cast<size_t>(parent)].children.push_back(child);
            ++subLines;
            if (rng.chance(deep ? 10 : 20)) {
                const int other = rng.pick(parents);
                if (other != parent) {
                    assemblies[static_cast<size_t>(other)].children.push_back(child);
                    ++subLines;
                }
            }
        }
    const int remaining = kBlockLines - subLines;
    std::vector<int> weights;
    int weightSum = 0;
    for (size_t i = 0; i < assemblies.size(); ++i) {
        weights.push_back(rng.between(5, 55));
        weightSum += weights.back();
    }
    int assigned = 0;
    for (size_t i = 0; i < assemblies.size(); ++i) {
        assemblies[i].componentLines = std::max(1, weights[i] * remaining / weightSum);
        assigned += assemblies[i].componentLines;
    }
    for (size_t i = 0; assigned < remaining; i = (i + 1) % assemblies.size()) {
        ++assemblies[i].componentLines;
        ++assigned;
    }

    // The deep product takes every component from an unused part, so its
    // flat bill lists them all; the other blocks pick at random.
    std::vector<const Part*> fresh;
    size_t nextFresh = 0;
    if (deep) {
        for (const Block& b : pools)
            for (const std::vector<Part>* pool : {&b.electronic, &b.mechanical})
                for (const Part& part : *pool)
                    fresh.push_back(&part);
        for (size_t i = fresh.size(); i > 1; --i)
            std::swap(fresh[i - 1], fresh[static_cast<size_t>(rng.below(static_cast<int>(i)))]);
    }
    const Block& own = pools[static_cast<size_t>(rng.below(static_cast<int>(pools.size())))];
    for (const Assembly& a : assemblies) {
        QHash<QString, int> nextDesignator;
        QSet<QString> used;
        int item = 0;
        auto line = [&](const QString& part, int quantity, const QString& ref) {
            Record(AssyList)
                .set("Assy", a.name)
                .set("Item", Format("%i", {++item}))
                .set("Part_nBr", part)
                .set("Quan", Format("%i", {quantity}))
                .set("Ref_Des", ref)
                .insert(context.lineCount);
        };
        for (int child : a.children)
            line(assemblies[static_cast<size_t>(child)].name, rng.between(1, 2), QString());
        const bool board = a.level >= 2;
        int k = 0;
        if (board && a.componentLines > 1) {
            line(rng.pick(own.boards).number, 1, QString());
            ++k;
        }
        for (; k < a.componentLines; ++k) {
            const Part* part = nullptr;
            if (deep && nextFresh < fresh.size()) {
                part = fresh[nextFresh++];
            } else {
                const std::vector<Part>& pool = board && !rng.chance(10) ? own.electronic : own.mechanical;
                for (int attempt = 0; attempt < 20 && !part; ++attempt) {
                    const Part& candidate = rng.pick(pool);
                    if (!used.contains(candidate.number))
                        part = &candidate;
                }
                if (!part)
                    part = &rng.pick(pool);
            }
            used.insert(part->number);
            const int quantity = rng.between(1, part->maxQuantity);
            int& next = nextDesignator[part->prefix];
            if (next == 0)
                next = 1;
            line(part->number, quantity, designators(part->prefix, next, quantity));
        }
    }

    // Routing: three steps per assembly on average.
    std::vector<int> steps(assemblies.size(), 1);
    for (int total = static_cast<int>(assemblies.size()); total < kBlockSteps;) {
        int& c = steps[static_cast<size_t>(rng.below(static_cast<int>(assemblies.size())))];
        if (c < 8) {
            ++c;
            ++total;
        }
    }
    const QStringList names = {"Kit parts", "Place SMT parts", "Reflow", "Inspect solder joints", "Test",
                               "Mount in enclosure", "Final inspection", "Pack"};
    for (size_t ai = 0; ai < assemblies.size(); ++ai)
        for (int s = 0; s < steps[ai]; ++s) {
            const int r = rng.below(static_cast<int>(context.labour.size()));
            const double rate = context.rates[static_cast<size_t>(r)];
            const double hours = rng.between(1, 80) / 10.0;
            Record(RescList)
                .set("Assy", assemblies[ai].name)
                .set("Step", Format("%i", {(s + 1) * 10}))
                .set("Description", names[(s * 3 + static_cast<int>(ai)) % names.size()])
                .set("Resource", context.labour[r])
                .set("Rate", money(rate))
                .set("Hours", Format("%0.1f", {hours}))
                .set("Cost", money(rate * hours))
                .insert(context.stepCount);
        }
}

} // namespace

void ExtendToScale(int scale, ScaleContext& context)
{
    Rng rng(20261209);
    std::vector<Block> pools(static_cast<size_t>(std::max(0, scale - 1)));
    QStringList vendorNames;
    for (int block = 1; block < scale; ++block) {
        writeVendors(rng, block, vendorNames, context);
        writeParts(rng, block, pools[static_cast<size_t>(block - 1)], context);
    }
    for (int block = 1; block < scale; ++block)
        writeAssemblies(rng, block, block == 1, pools, context);
}

} // namespace benchgen
