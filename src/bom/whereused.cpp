#include "bom/whereused.h"

#include "core/utilities.h"
#include "db/bills.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

// How many of a part one assembly's lines hold, per assembly.
using Parents = QHash<QString, std::vector<std::pair<QString, double>>>;

void walk(const Parents& parents, const QString& part, QStringList& below, double quantity,
          std::vector<PartUse>& uses)
{
    const auto found = parents.constFind(part);
    if (found == parents.constEnd() || found->empty()) {
        if (below.size() > 1) {
            PartUse use;
            use.top = part;
            use.path = below;
            std::reverse(use.path.begin(), use.path.end());
            use.quantity = quantity;
            uses.push_back(use);
        }
        return;
    }
    for (const auto& [assembly, each] : *found) {
        if (below.contains(assembly))
            continue; // round a cycle: the path ends where it began
        below << assembly;
        walk(parents, assembly, below, quantity * each, uses);
        below.removeLast();
    }
}

} // namespace

std::vector<PartUse> WhereUsed(const QString& part, bool* ok)
{
    if (ok)
        *ok = true;
    std::vector<PartUse> uses;
    if (part.isEmpty())
        return uses;
    // One statement per level of the bills, for every part of the level.
    Parents parents;
    QSet<QString> asked{part};
    QStringList level{part};
    while (!level.isEmpty()) {
        bool read = true;
        const std::vector<BillUse> lines = LoadUsesOfParts(level, QString(), &read);
        if (!read) {
            if (ok)
                *ok = false;
            return uses;
        }
        QStringList next;
        for (const BillUse& line : lines) {
            auto& list = parents[line.part];
            const double quantity = TextToDouble(line.quantity);
            auto same = std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.first == line.assembly; });
            if (same == list.end())
                list.emplace_back(line.assembly, quantity);
            else
                same->second += quantity;
            if (!asked.contains(line.assembly)) {
                asked.insert(line.assembly);
                next << line.assembly;
            }
        }
        level = next;
    }
    QStringList below{part};
    walk(parents, part, below, 1.0, uses);
    std::sort(uses.begin(), uses.end(), [](const PartUse& a, const PartUse& b) {
        return a.top != b.top ? a.top < b.top : a.path < b.path;
    });
    return uses;
}

QString UsePathText(const PartUse& use)
{
    return use.path.join(QStringLiteral(" > "));
}
