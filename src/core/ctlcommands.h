#pragma once
// The command table of koltctl: each subsystem registers the commands that
// drive its engines from the command line.
#include <QDate>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

struct CtlContext
{
    QStringList args; // the command's own arguments, options removed
    bool yes = false;
    QTextStream& out;
    QTextStream& err;

    // Removes "--name VALUE" from args; returns VALUE or fallback.
    QString takeOption(const QString& name, const QString& fallback = QString());
    bool takeFlag(const QString& name);
};

struct CtlCommand
{
    QString name;  // first word, e.g. "print"
    QString usage; // shown by the usage text
    std::function<int(CtlContext&)> run;
    // A command that names its own locations (copy FROM TO) must not depend
    // on the default one being reachable.
    bool opensDataLocation = true;
    // Only a command that sets a shop up may find none at its location;
    // every other one refuses such a location rather than make an empty shop.
    bool createsShop = false;
};

void RegisterCtlCommand(CtlCommand command);
const std::vector<CtlCommand>& CtlCommands();

// A date given on the command line, which must be ISO (YYYY-MM-DD); says
// what is wrong on standard error.
bool CtlIsoDate(CtlContext& ctx, const QString& text, QDate* date);

// Exit codes: 0 done, 1 the work failed, 2 the command line was wrong, 3 the
// connection to the server was lost while a change was being committed (it
// may have been stored: check before repeating).
constexpr int kCtlOk = 0;
constexpr int kCtlFailed = 1;
constexpr int kCtlUsage = 2;
constexpr int kCtlCommitUnknown = 3;

// Sub-commands of "print" (print table, print bom, print po, ...): each
// subsystem adds its own; the grid registers the "print" command that runs them.
void RegisterPrintCommand(CtlCommand command);
const std::vector<CtlCommand>& PrintCommands();

// The command groups of each subsystem.
void RegisterDbCommands();
void RegisterBomCommands();
void RegisterGridCommands();
void RegisterOrdersCommands();
void RegisterScheduleCommands();
void RegisterPartinfoCommands();
void RegisterInterchangeCommands();
void RegisterSourcingCommands();
