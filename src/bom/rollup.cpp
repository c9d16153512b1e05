#include "bom/rollup.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/billrows.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/parts.h"
#include "db/sources.h"
#include "sourcing/sourceplanner.h"

#include <QHash>
#include <algorithm>
#include <memory>

namespace {

// Money and quantities are added in double: the sums of a large bill keep
// their cents, where float lost them past a few ten thousands.
double numberOf(const QueryResult& result, int row, int column)
{
    return column < 0 ? 0.0 : TextToDouble(result.cell(row, column));
}

// The rows of each assembly in row order, so that no assembly scans the
// whole result for its own lines.
QHash<QString, std::vector<int>> rowsByAssembly(const QueryResult& result, int assyColumn)
{
    QHash<QString, std::vector<int>> rows;
    if (assyColumn < 0)
        return rows;
    for (int r = 0; r < result.rowCount; ++r)
        rows[result.cell(r, assyColumn)].push_back(r);
    return rows;
}

} // namespace

std::vector<RollupAssembly> ComputeRollup(const QueryResult& billLines, const QueryResult& routingSteps,
                                          const QueryResult& billLinesAgain)
{
    return ComputeRollup(billLines, routingSteps, billLinesAgain, {}, 1);
}

std::vector<RollupAssembly> ComputeRollup(const QueryResult& billLines, const QueryResult& routingSteps,
                                          const QueryResult& billLinesAgain, const RollupLinePrice& linePrice,
                                          double builds)
{
    std::vector<RollupAssembly> assemblies;
    QHash<QString, int> indexOf;
    const int assyColumn = FindColumn(billLines, QStringLiteral("ass"));
    const int partColumn = FindColumn(billLines, QStringLiteral("par"));
    if (assyColumn < 0 || partColumn < 0)
        return assemblies;

    // Distinct assembly names in order of first appearance; no cap, a large
    // catalogue of assemblies is rolled up as a whole.
    QHash<QString, bool> usedAsPart;
    for (int r = 0; r < billLines.rowCount; ++r) {
        const QString& name = billLines.cell(r, assyColumn);
        if (!indexOf.contains(name)) {
            indexOf.insert(name, static_cast<int>(assemblies.size()));
            assemblies.push_back({name});
        }
        usedAsPart.insert(billLines.cell(r, partColumn), true);
    }

    // Levels: the shortest distance from a top assembly (one that no bill
    // uses as a part). Assemblies only reachable through a cycle keep -1.
    const QHash<QString, std::vector<int>> lines = rowsByAssembly(billLines, assyColumn);
    std::vector<int> current;
    for (int i = 0; i < static_cast<int>(assemblies.size()); ++i)
        if (!usedAsPart.contains(assemblies[i].name)) {
            assemblies[i].level = 0;
            current.push_back(i);
        }
    int maxLevel = current.empty() ? -1 : 0;
    for (int level = 0; !current.empty(); ++level) {
        std::vector<int> next;
        for (int i : current)
            for (int r : lines.value(assemblies[i].name)) {
                const auto sub = indexOf.constFind(billLines.cell(r, partColumn));
                if (sub != indexOf.constEnd() && assemblies[*sub].level == -1) {
                    assemblies[*sub].level = level + 1;
                    next.push_back(*sub);
                }
            }
        if (!next.empty())
            maxLevel = level + 1;
        current = std::move(next);
    }

    std::vector<std::vector<int>> byLevel(static_cast<size_t>(maxLevel + 1));
    for (int i = 0; i < static_cast<int>(assemblies.size()); ++i)
        if (assemblies[i].level >= 0)
            byLevel[static_cast<size_t>(assemblies[i].level)].push_back(i);

    // Routing: each step costs the larger of rate x hours and its fixed cost.
    if (routingSteps.rowCount > 0) {
        const int stepAssy = FindColumn(routingSteps, QStringLiteral("ass"));
        const int rate = FindColumn(routingSteps, QStringLiteral("rate"));
        const int hours = FindColumn(routingSteps, QStringLiteral("hour"));
        const int cost = FindColumn(routingSteps, QStringLiteral("cost"));
        const QHash<QString, std::vector<int>> steps = rowsByAssembly(routingSteps, stepAssy);
        for (int level = maxLevel; level >= 0; --level)
            for (int i : byLevel[static_cast<size_t>(level)]) {
                double labour = 0.0;
                for (int r : steps.value(assemblies[i].name)) {
                    const double timed = numberOf(routingSteps, r, rate) * numberOf(routingSteps, r, hours);
                    labour += std::max(timed, numberOf(routingSteps, r, cost));
                }
                assemblies[i].labour = labour;
            }
    }

    // Price bottom-up. A sub-assembly not yet computed (same level, later in
    // the array, or in a cycle) counts with its PartList price and no labour.
    const int assyAgain = FindColumn(billLinesAgain, QStringLiteral("ass"));
    const int partAgain = FindColumn(billLinesAgain, QStringLiteral("par"));
    const int quan = FindColumn(billLinesAgain, QStringLiteral("quan"));
    const int price = FindColumn(billLinesAgain, QStringLiteral("price"));
    const QHash<QString, std::vector<int>> linesAgain = rowsByAssembly(billLinesAgain, assyAgain);
    for (int level = maxLevel; level >= 0; --level)
        for (int i : byLevel[static_cast<size_t>(level)]) {
            double total = 0.0;
            double labour = 0.0;
            for (int r : linesAgain.value(assemblies[i].name)) {
                const double quantity = numberOf(billLinesAgain, r, quan);
                const auto sub = indexOf.constFind(billLinesAgain.cell(r, partAgain));
                if (sub != indexOf.constEnd() && assemblies[*sub].price > 0.0) {
                    total += quantity * assemblies[*sub].price;
                    labour += quantity * assemblies[*sub].labour;
                } else {
                    double unit = numberOf(billLinesAgain, r, price);
                    if (linePrice && sub == indexOf.constEnd()) {
                        if (const std::optional<double> sourced =
                                linePrice(billLinesAgain.cell(r, partAgain), quantity * builds))
                            unit = *sourced;
                    }
                    total += quantity * unit;
                }
            }
            assemblies[i].price = total;
            assemblies[i].labour += labour;
        }
    return assemblies;
}

RollupLinePrice SourcedLinePrice(QStringList* problems)
{
    bool ok = true;
    auto sources = std::make_shared<QHash<QString, std::vector<SourceRecord>>>(LoadSources({}, &ok));
    auto rates = std::make_shared<CurrencyRates>(CurrencyRates::Load());
    return [sources, rates, problems](const QString& part, double quantity) -> std::optional<double> {
        const auto it = sources->constFind(part);
        if (it == sources->constEnd() || it->empty() || !(quantity > 0))
            return std::nullopt;
        const SourceChoice choice = ChooseSource(*it, quantity, *rates);
        if (problems)
            for (const QString& problem : choice.problems)
                if (!problems->contains(part + QStringLiteral(": ") + problem))
                    *problems << part + QStringLiteral(": ") + problem;
        if (!choice.chosen)
            return std::nullopt;
        return choice.best.unitPrice * rates->toShop(choice.best.source.currency).value_or(0);
    };
}

int RunCostRollup()
{
    return RunCostRollup(DefaultRollupQuantity());
}

int RunCostRollup(double builds)
{
    WaitScope wait(Translate(QStringLiteral("Database Access...")), 0, 4);
    wait.setPosition(0);
    Transaction transaction;
    // A read that failed (a damaged file, a lock that did not come) is not an
    // empty bill: it is told, and nothing is written.
    auto failed = [] {
        ShowMessage(Translate(QStringLiteral("The cost roll-up could not be written.")) + QLatin1Char('\n')
                        + LastErrorText(),
                    Translate(QStringLiteral("Database Status")));
        return -1;
    };

    const QueryResult billLines = ReadRollupBillLines();
    if (LastResultCode() != 0)
        return failed();
    if (billLines.rowCount == 0)
        return 0;

    wait.setPosition(1);
    const QueryResult routingSteps = ReadRollupRoutingSteps();
    if (LastResultCode() != 0)
        return failed();

    wait.setPosition(2);
    const QueryResult billLinesAgain = ReadRollupBillLines();
    if (LastResultCode() != 0)
        return failed();

    // Parts with sources are priced as they would be bought for the builds;
    // the others keep their own Price, as the roll-up always priced them.
    QStringList problems;
    const std::vector<RollupAssembly> assemblies =
        builds > 0 ? ComputeRollup(billLines, routingSteps, billLinesAgain, SourcedLinePrice(&problems), builds)
                   : ComputeRollup(billLines, routingSteps, billLinesAgain);

    // The writes are most of the work on a large bill: the bar moves with
    // them, in about a hundred steps.
    // Every assembly's price and labour in one statement per few hundred
    // assemblies, however large the catalogue.
    wait.setPosition(3);
    std::vector<PartCost> costs;
    costs.reserve(assemblies.size());
    for (const RollupAssembly& assembly : assemblies)
        costs.push_back({assembly.name, assembly.price, assembly.labour});
    WritePartCosts(costs);
    SetMadePartsManufacturer(GetParam(ParamCompanyName));
    wait.setPosition(4);

    if (!transaction.commit()) {
        // A half-written roll-up would leave parents priced from stale
        // children; nothing is kept, and the user learns why.
        return failed();
    }
    if (!problems.isEmpty())
        ShowMessage(TranslateLabel(QStringLiteral("Priced at the part's own price, a currency rate missing:"))
                        + QLatin1Char('\n') + problems.join(QLatin1Char('\n')),
                    Translate(QStringLiteral("Currency Rates")));
    return static_cast<int>(assemblies.size());
}
