#pragma once
// The statuses of requirements, purchase orders and tasks as the engines
// compare them: a code each, read from the word the record stores and
// written back as that word. The words stay English in the tables (the
// definitions' lists hold them and the windows translate them); only these
// two functions per kind know how they are spelled.
#include <QString>

enum class RequirementStatus {
    Created,     // entered, not processed
    PoGenerated, // processed: purchase orders and tasks written ("PO Gen")
    Building,
    Complete,
    Closed,
    Canceled,
};

enum class PurchaseOrderStatus {
    Pending, // written by processing, not yet sent
    Placed,
    BackOrder,
    Closed, // received
};

enum class TaskStatus {
    Other, // a word none of the rules knows (or none): not started, never late
    Pending,
    InProcess,
    Done,
};

// Stored words are read as they have always been matched, letter case
// included: a requirement is finished when its word holds "Close",
// "Complete" or "Can" (so "Cancelled" and "Canceled" both), built when it
// holds "Build", processed when it holds "PO"; anything else is Created.
RequirementStatus RequirementStatusOf(const QString& stored);
// A word holding "Close" is closed, one holding "Pend" pending, "Back" a
// back order; any other word is an order placed.
PurchaseOrderStatus PurchaseOrderStatusOf(const QString& stored);
// "Complete" or "Done" is done, "In" in process, "Pend" pending.
TaskStatus TaskStatusOf(const QString& stored);

// The word stored for a code.
QString StoredWord(RequirementStatus status);
QString StoredWord(PurchaseOrderStatus status);
QString StoredWord(TaskStatus status);

// Complete, closed or cancelled: it holds no stock and is processed no more.
bool IsFinished(RequirementStatus status);
// 0 entered, 1 purchase orders generated, 2 building, 3 finished.
int RequirementStage(RequirementStatus status);
