#include "bom/newassembly.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/billrows.h"
#include "db/database.h"
#include "db/parts.h"

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
    if (AssemblyOnFile(name)) {
        ShowMessage(Translate(QStringLiteral("Error. Assembly already exists")));
        return AddAssemblyResult::Exists;
    }
    const QString user = CurrentUserName();
    const QString stamp = TimestampText();
    const int count = NewAssemblyRowCount(rowsText);

    Transaction transaction;
    // An assembly is built here: Make, or the error check flags it at once.
    EnsurePartRecord(name, true, user, stamp);
    // Its empty lines go in as one statement.
    if (progress)
        progress(0, count);
    AddBlankBillLines(name, count, user, stamp);
    if (progress && count > 0)
        progress(count - 1, count);
    if (!transaction.commit()) {
        ShowMessage(Translate(QStringLiteral("The assembly could not be written")) + QStringLiteral(": ") +
                    LastErrorText());
        return AddAssemblyResult::Failed;
    }
    App().TreeRebuildFlag = true;
    return AddAssemblyResult::Added;
}
