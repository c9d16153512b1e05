#pragma once
// The cost roll-up behind the Update command: every assembly's material price
// and labour cost, computed bottom-up through the bills and written to PartList.
#include <QString>
#include <vector>

struct QueryResult;

// One assembly as the roll-up sees it. Level -1: only reachable through a
// cycle, never computed.
struct RollupAssembly
{
    QString name;
    int level = -1;
    float price = 0.0f;
    float labour = 0.0f;
};

// The computation alone, on the results of the two reads (the bill lines are
// read twice; both reads are passed so that a caller can hand in the same
// snapshot). No statement runs.
std::vector<RollupAssembly> ComputeRollup(const QueryResult& billLines, const QueryResult& routingSteps,
                                          const QueryResult& billLinesAgain);

// Reads, computes and writes in one transaction with the progress window
// shown. Returns the number of assemblies written, 0 when AssyList is empty,
// -1 when the writes failed and were rolled back (the user was told).
int RunCostRollup();
