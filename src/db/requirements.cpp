#include "db/requirements.h"

#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"

RequirementFields ReadRequirementFields(const QString& orderNumber, bool* ok)
{
    RequirementFields fields;
    const QueryResult row = QueryBound(QStringLiteral("Select Order_nBr,Description,Status,Quan,Assy,Created from "
                                                            "ReqmList where Order_nBr = ? order by id limit 1"),
                                             {orderNumber});
    if (ok)
        *ok = LastResultCode() == 0;
    if (row.rowCount == 0)
        return fields;
    fields.found = true;
    fields.orderNumber = row.cell(0, 0);
    fields.description = row.cell(0, 1);
    fields.status = row.cell(0, 2);
    fields.quantity = row.cell(0, 3);
    fields.assembly = row.cell(0, 4);
    fields.created = row.cell(0, 5);
    return fields;
}

bool RequirementOnFile(const QString& orderNumber, bool* ok)
{
    if (orderNumber.isEmpty()) {
        if (ok)
            *ok = true;
        return false;
    }
    const QueryResult row =
        QueryBound(QStringLiteral("Select Order_nBr from ReqmList where Order_nBr = ? limit 1"), {orderNumber});
    if (ok)
        *ok = LastResultCode() == 0;
    return row.rowCount > 0 && row.cell(0, 0) == orderNumber;
}

bool MarkRequirementProcessed(const QString& orderNumber, const QString& assembly, const QString& quantity,
                              const QString& status)
{
    // The quantity goes in as a number: the allocations were made for it.
    return ExecuteBound(QStringLiteral("UPDATE ReqmList SET Assy=?,Quan=?,Status=?,User=?,Time_Stamp=? where Order_nBr=?"),
                        {assembly, SqlArg::number(quantity), status, CurrentUserName(), TimestampText(), orderNumber});
}

bool SaveRequirementFields(const QString& orderNumber, const QString& quantity, const QString& assembly,
                           const QString& description, const QString& needDate, const QString& user,
                           const QString& stamp)
{
    return ExecuteBound(QStringLiteral("UPDATE ReqmList Set Quan = ?,User=?,Date=?,Time_Stamp=?,Assy = ?,Description=?,"
                                       "Need_Date=? where Order_nBr=?"),
                        {quantity, user, stamp, stamp, assembly, description, needDate, orderNumber});
}

std::vector<std::pair<QString, QString>> ReadRequirementAssemblies(bool* ok)
{
    const QueryResult rows = Query(QStringLiteral("Select ReqmList.Order_nBr,ReqmList.Assy from ReqmList order by id"));
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<std::pair<QString, QString>> entries;
    for (int r = 0; r < rows.rowCount; ++r)
        entries.emplace_back(rows.cell(r, 0), rows.cell(r, 1));
    return entries;
}

bool DeleteAllocations(const QString& orderNumber)
{
    return ExecuteBound(QStringLiteral("Delete from AlloList where Requirement=?"), {orderNumber});
}
