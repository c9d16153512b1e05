#pragma once
// The repair that follows the part table's error check: the check marks a
// part whose Allocated or On_Order differs from the ledger (db/stockledger.h)
// with kErrStockFigures; this writes the ledger's figures after asking.
#include <QString>

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
