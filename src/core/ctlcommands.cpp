#include "core/ctlcommands.h"

#include "core/dates.h"

namespace {

std::vector<CtlCommand>& table()
{
    static std::vector<CtlCommand> commands;
    return commands;
}

std::vector<CtlCommand>& printTable()
{
    static std::vector<CtlCommand> commands;
    return commands;
}

} // namespace

QString CtlContext::takeOption(const QString& name, const QString& fallback)
{
    const qsizetype i = args.indexOf(name);
    if (i < 0 || i + 1 >= args.size())
        return fallback;
    const QString value = args[i + 1];
    args.remove(i, 2);
    return value;
}

bool CtlContext::takeFlag(const QString& name)
{
    return args.removeAll(name) > 0;
}

void RegisterCtlCommand(CtlCommand command)
{
    table().push_back(std::move(command));
}

const std::vector<CtlCommand>& CtlCommands()
{
    return table();
}

void RegisterPrintCommand(CtlCommand command)
{
    printTable().push_back(std::move(command));
}

const std::vector<CtlCommand>& PrintCommands()
{
    return printTable();
}

bool CtlIsoDate(CtlContext& ctx, const QString& text, QDate* date)
{
    *date = ParseUserDate(text, QLocale::c());
    if (date->isValid() && IsoDate(*date) == text.trimmed())
        return true;
    ctx.err << "not a date (YYYY-MM-DD): " << text << "\n";
    *date = QDate();
    return false;
}
