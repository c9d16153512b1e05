#pragma once
// The cost roll-up behind the Update command: every assembly's material price
// and labour cost, computed bottom-up through the bills and written to PartList.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

struct QueryResult;

// One assembly as the roll-up sees it. Level -1: only reachable through a
// cycle, never computed.
struct RollupAssembly
{
    QString name;
    int level = -1;
    double price = 0.0;
    double labour = 0.0;
};

// The computation alone, on the results of the two reads (the bill lines are
// read twice; both reads are passed so that a caller can hand in the same
// snapshot). No statement runs.
std::vector<RollupAssembly> ComputeRollup(const QueryResult& billLines, const QueryResult& routingSteps,
                                          const QueryResult& billLinesAgain);

// The unit price of a purchased part when `quantity` pieces of it are bought,
// in the shop's currency; nothing keeps the part's own Price.
using RollupLinePrice = std::function<std::optional<double>(const QString& part, double quantity)>;

// The same, each purchased line priced by linePrice at the line's quantity
// times `builds` (the roll-up at a quantity).
std::vector<RollupAssembly> ComputeRollup(const QueryResult& billLines, const QueryResult& routingSteps,
                                          const QueryResult& billLinesAgain, const RollupLinePrice& linePrice,
                                          double builds);

// Prices from the parts' sources as the buyer's planner chooses them; a
// part whose sources all lack a currency rate keeps its Price and is named
// in *problems ("R1: DIGI: no rate for EUR").
RollupLinePrice SourcedLinePrice(QStringList* problems);

// Reads, computes and writes in one transaction with the progress window
// shown. Returns the number of assemblies written, 0 when AssyList is empty,
// -1 when the writes failed and were rolled back (the user was told).
// Runs at DefaultRollupQuantity().
int RunCostRollup();
// The roll-up for `builds` builds: each purchased part at the unit price it
// would be bought at from its sources; a missing currency rate is reported.
int RunCostRollup(double builds);
