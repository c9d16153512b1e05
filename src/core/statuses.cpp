#include "core/statuses.h"

RequirementStatus RequirementStatusOf(const QString& stored)
{
    // Finished words first: "Complete" holds neither "Close" nor "Can", and a
    // finished requirement is finished whatever else its word holds.
    if (stored.contains(QLatin1String("Close")))
        return RequirementStatus::Closed;
    if (stored.contains(QLatin1String("Complete")))
        return RequirementStatus::Complete;
    if (stored.contains(QLatin1String("Can")))
        return RequirementStatus::Canceled;
    if (stored.contains(QLatin1String("Build")))
        return RequirementStatus::Building;
    if (stored.contains(QLatin1String("PO")))
        return RequirementStatus::PoGenerated;
    return RequirementStatus::Created;
}

PurchaseOrderStatus PurchaseOrderStatusOf(const QString& stored)
{
    if (stored.contains(QLatin1String("Close")))
        return PurchaseOrderStatus::Closed;
    if (stored.contains(QLatin1String("Pend")))
        return PurchaseOrderStatus::Pending;
    if (stored.contains(QLatin1String("Back")))
        return PurchaseOrderStatus::BackOrder;
    return PurchaseOrderStatus::Placed;
}

TaskStatus TaskStatusOf(const QString& stored)
{
    if (stored.contains(QLatin1String("Complete")) || stored.contains(QLatin1String("Done")))
        return TaskStatus::Done;
    if (stored.contains(QLatin1String("In")))
        return TaskStatus::InProcess;
    if (stored.contains(QLatin1String("Pend")))
        return TaskStatus::Pending;
    return TaskStatus::Other;
}

QString StoredWord(RequirementStatus status)
{
    switch (status) {
    case RequirementStatus::Created:
        return QStringLiteral("Created");
    case RequirementStatus::PoGenerated:
        return QStringLiteral("PO Gen");
    case RequirementStatus::Building:
        return QStringLiteral("Build");
    case RequirementStatus::Complete:
        return QStringLiteral("Complete");
    case RequirementStatus::Closed:
        return QStringLiteral("Closed");
    case RequirementStatus::Canceled:
        return QStringLiteral("Canceled");
    }
    return QString();
}

QString StoredWord(PurchaseOrderStatus status)
{
    switch (status) {
    case PurchaseOrderStatus::Pending:
        return QStringLiteral("Pending");
    case PurchaseOrderStatus::Placed:
        return QStringLiteral("Placed");
    case PurchaseOrderStatus::BackOrder:
        return QStringLiteral("Back Order");
    case PurchaseOrderStatus::Closed:
        return QStringLiteral("Closed");
    }
    return QString();
}

QString StoredWord(TaskStatus status)
{
    switch (status) {
    case TaskStatus::Pending:
        return QStringLiteral("Pending");
    case TaskStatus::InProcess:
        return QStringLiteral("In-Process");
    case TaskStatus::Done:
        return QStringLiteral("Done");
    case TaskStatus::Other:
        break;
    }
    return QString();
}

bool IsFinished(RequirementStatus status)
{
    return status == RequirementStatus::Complete || status == RequirementStatus::Closed
           || status == RequirementStatus::Canceled;
}

int RequirementStage(RequirementStatus status)
{
    switch (status) {
    case RequirementStatus::Created:
        return 0;
    case RequirementStatus::PoGenerated:
        return 1;
    case RequirementStatus::Building:
        return 2;
    case RequirementStatus::Complete:
    case RequirementStatus::Closed:
    case RequirementStatus::Canceled:
        return 3;
    }
    return 0;
}
