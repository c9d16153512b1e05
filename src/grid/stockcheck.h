#pragma once
// The stock figures in the part table's error check: a part whose Allocated
// or On_Order differs from the ledger (db/stockledger.h) is marked, and the
// repair writes the ledger's figures after asking.
#include <QString>
#include <vector>

struct QueryResult;

// Bit of the error word: the part's stock figures disagree with the ledger.
// Kept apart from the other bits, which the check of several tables shares.
constexpr unsigned kErrStockFigures = 1u << 16;

// Marks the rows of a PartList load whose Allocated or On_Order (as loaded)
// differs from the ledger.
void MarkStockDisagreements(const QueryResult& result, std::vector<unsigned>& words);

// The bit's phrase, translated and ended by a line feed; empty without it.
QString StockFiguresText(unsigned word);

// What the repair command answers.
constexpr int kRepairDeclined = -1;
constexpr int kRepairRefused = -2; // the database refused; reported, nothing written

// Lists the figures that disagree and asks before writing the ledger's
// figures over them (confirmed: the user has said yes already). Returns the
// number of figures written (0 when all agree, which is said),
// kRepairDeclined or kRepairRefused.
int RepairStockFiguresAfterAsking(bool confirmed = false);

// The part table's Error Check follow-up: when figures disagree, offers the
// repair. True when something was written (the table then shows it anew).
bool OfferStockRepair();
