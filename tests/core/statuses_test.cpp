// Statuses as the engines compare them: every word a shop stores today,
// including the spellings the old substring rules let through.
#include "core/statuses.h"

#include <gtest/gtest.h>

#include <QStringList>

TEST(Statuses, RequirementWordsReadAsTheyAlwaysMatched)
{
    const std::pair<const char*, RequirementStatus> cases[] = {
        {"Created", RequirementStatus::Created},
        {"", RequirementStatus::Created},
        {"PO Gen", RequirementStatus::PoGenerated},
        {"PO Generated", RequirementStatus::PoGenerated},
        {"Build", RequirementStatus::Building},
        {"PO Gen Build", RequirementStatus::Building},
        {"Complete", RequirementStatus::Complete},
        {"Completed", RequirementStatus::Complete},
        {"Closed", RequirementStatus::Closed},
        {"Close", RequirementStatus::Closed},
        {"Canceled", RequirementStatus::Canceled},
        {"Cancelled", RequirementStatus::Canceled},
        {"Cancel", RequirementStatus::Canceled},
        // A finished word wins over the stage words it also holds.
        {"PO Gen Canceled", RequirementStatus::Canceled},
        {"Build Complete", RequirementStatus::Complete},
        // Matched with their letter case, as before: these are no finished words.
        {"closed", RequirementStatus::Created},
        {"complete", RequirementStatus::Created},
    };
    for (const auto& [word, code] : cases)
        EXPECT_EQ(RequirementStatusOf(QString::fromLatin1(word)), code) << word;

    EXPECT_EQ(RequirementStage(RequirementStatusOf("Created")), 0);
    EXPECT_EQ(RequirementStage(RequirementStatusOf("PO Gen")), 1);
    EXPECT_EQ(RequirementStage(RequirementStatusOf("Build")), 2);
    for (const char* finished : {"Complete", "Closed", "Canceled", "Cancelled"}) {
        EXPECT_TRUE(IsFinished(RequirementStatusOf(finished))) << finished;
        EXPECT_EQ(RequirementStage(RequirementStatusOf(finished)), 3) << finished;
    }
    for (const char* open : {"Created", "PO Gen", "Build", ""})
        EXPECT_FALSE(IsFinished(RequirementStatusOf(open))) << open;
}

TEST(Statuses, PurchaseOrderAndTaskWords)
{
    // The words of the purchase-order status list, and what older desks wrote.
    EXPECT_EQ(PurchaseOrderStatusOf("Pending"), PurchaseOrderStatus::Pending);
    EXPECT_EQ(PurchaseOrderStatusOf("Placed"), PurchaseOrderStatus::Placed);
    EXPECT_EQ(PurchaseOrderStatusOf("Back Order"), PurchaseOrderStatus::BackOrder);
    EXPECT_EQ(PurchaseOrderStatusOf("Closed"), PurchaseOrderStatus::Closed);
    EXPECT_EQ(PurchaseOrderStatusOf("Close"), PurchaseOrderStatus::Closed);
    EXPECT_EQ(PurchaseOrderStatusOf("Closed - partial"), PurchaseOrderStatus::Closed);
    EXPECT_EQ(PurchaseOrderStatusOf("Pend"), PurchaseOrderStatus::Pending);
    // Any other word is an order out with the vendor.
    EXPECT_EQ(PurchaseOrderStatusOf(""), PurchaseOrderStatus::Placed);
    EXPECT_EQ(PurchaseOrderStatusOf("Sent"), PurchaseOrderStatus::Placed);

    EXPECT_EQ(TaskStatusOf("Pending"), TaskStatus::Pending);
    EXPECT_EQ(TaskStatusOf("In-Process"), TaskStatus::InProcess);
    EXPECT_EQ(TaskStatusOf("In Process"), TaskStatus::InProcess);
    EXPECT_EQ(TaskStatusOf("Done"), TaskStatus::Done);
    EXPECT_EQ(TaskStatusOf("Complete"), TaskStatus::Done);
    // "Pending" holds "in" only in lower case: it is no task in process.
    EXPECT_NE(TaskStatusOf("Pending"), TaskStatus::InProcess);
    EXPECT_EQ(TaskStatusOf(""), TaskStatus::Other);
    EXPECT_EQ(TaskStatusOf("Waiting"), TaskStatus::Other);
}

TEST(Statuses, EveryCodeIsWrittenAsAWordThatReadsBackAsIt)
{
    for (RequirementStatus code : {RequirementStatus::Created, RequirementStatus::PoGenerated,
                                   RequirementStatus::Building, RequirementStatus::Complete,
                                   RequirementStatus::Closed, RequirementStatus::Canceled})
        EXPECT_EQ(RequirementStatusOf(StoredWord(code)), code) << StoredWord(code).toStdString();
    for (PurchaseOrderStatus code : {PurchaseOrderStatus::Pending, PurchaseOrderStatus::Placed,
                                     PurchaseOrderStatus::BackOrder, PurchaseOrderStatus::Closed})
        EXPECT_EQ(PurchaseOrderStatusOf(StoredWord(code)), code) << StoredWord(code).toStdString();
    for (TaskStatus code : {TaskStatus::Pending, TaskStatus::InProcess, TaskStatus::Done})
        EXPECT_EQ(TaskStatusOf(StoredWord(code)), code) << StoredWord(code).toStdString();
    // The words the definitions list and the engines have always written.
    EXPECT_EQ(StoredWord(RequirementStatus::PoGenerated), "PO Gen");
    EXPECT_EQ(StoredWord(RequirementStatus::Canceled), "Canceled");
    EXPECT_EQ(StoredWord(PurchaseOrderStatus::BackOrder), "Back Order");
    EXPECT_EQ(StoredWord(TaskStatus::InProcess), "In-Process");
}
