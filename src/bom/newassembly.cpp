#include "bom/newassembly.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"

int NewAssemblyRowCount(const QString& rowsText)
{
    const int rows = TextToInt(rowsText);
    if (rows < 0)
        return 1;
    return std::min(rows, kMaxNewAssemblyRows);
}

AddAssemblyResult AddAssembly(const QString& typedName, const QString& rowsText,
                              const std::function<void(int, int)>& progress)
{
    const QString name = UpperCaseAscii(typedName.trimmed());
    if (name.isEmpty()) {
        ShowMessage(Translate(QStringLiteral("Error. Enter Assembly Name")));
        return AddAssemblyResult::EmptyName;
    }
    if (!QueryText(SqlFormat("Select Assy from AssyList where Assy = '%s'", {name}), false).isEmpty()) {
        ShowMessage(Translate(QStringLiteral("Error. Assembly already exists")));
        return AddAssemblyResult::Exists;
    }
    const QString user = CurrentUserName();
    const QString stamp = TimestampText();
    const int count = NewAssemblyRowCount(rowsText);

    Transaction transaction;
    if (QueryText(SqlFormat("Select Part_nBr from PartList where Part_nBr = '%s'", {name}), false).isEmpty()) {
        // An assembly is built here: Make, or the error check flags it at once.
        QueryText(SqlFormat("Insert into PartList (Part_nBr,Description,User,Revision,Time_Stamp,Currency,Make) values "
                            "('%s','%s %s','%s','%s','%s','%s','%s')",
                            {name, name, Translate(QStringLiteral("Description")), user, QStringLiteral("A"), stamp,
                             App().CurrentCurrency, QStringLiteral("Make")}),
                  false);
    }
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(i, count);
        QueryText(SqlFormat("Insert into AssyList (Assy,Item,Quan,Part_nBr,User,Time_Stamp) values "
                            "('%s',%i,1,'','%s','%s')",
                            {name, i + 1, user, stamp}),
                  false);
    }
    if (!transaction.commit()) {
        ShowMessage(Translate(QStringLiteral("The assembly could not be written")) + QStringLiteral(": ") +
                    LastErrorText());
        return AddAssemblyResult::Failed;
    }
    App().TreeRebuildFlag = true;
    return AddAssemblyResult::Added;
}
