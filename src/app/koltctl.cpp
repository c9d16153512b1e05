// koltctl: the engines of KOLT from the command line.
#include "app/startup.h"
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "core/userinterface.h"
#include "core/version.h"
#include "db/database.h"
#include "db/location.h"
#include "db/serveraccess.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Messages go to standard error; questions get Yes/OK with --yes, otherwise
// the safe answer, so nothing destructive happens unasked.
class ConsoleInterface final : public UserInterface
{
public:
    ConsoleInterface(QTextStream& err, bool yes) : m_err(err), m_yes(yes) {}

    int showMessage(const QString& text, const QString& caption, int buttons, int) override
    {
        m_err << (caption.isEmpty() ? QString() : caption + QStringLiteral(": ")) << text << "\n";
        m_err.flush();
        if (buttons == kButtonsOk)
            return kAnswerOk;
        if (!m_yes)
            return SafeAnswer(buttons);
        return buttons == kButtonsOkCancel ? kAnswerOk : kAnswerYes;
    }
    void progressOpen(const QString&, int, int) override {}
    void progressCaption(const QString&) override {}
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void progressClose() override {}

private:
    QTextStream& m_err;
    bool m_yes;
};

// The crash-consistency tests kill koltctl in the middle of its work at a
// moment they choose by the statements done: KOLT_TEST_STATEMENTS=N kills the
// process outright after the N-th statement; =count prints how many there
// were when it ends.
qint64 g_statementsDone = 0;
qint64 g_killAfter = 0;

void countStatement(const QByteArray&, int)
{
    if (++g_statementsDone == g_killAfter)
        std::raise(SIGKILL);
}

bool watchStatements()
{
    const QByteArray setting = qgetenv("KOLT_TEST_STATEMENTS");
    if (setting.isEmpty())
        return false;
    g_killAfter = setting == "count" ? 0 : setting.toLongLong();
    ObserveStatements(countStatement);
    return true;
}

void printUsage(QTextStream& err)
{
    err << "usage: koltctl [--data DIR] [--yes] [--read-only] COMMAND [ARGS], or koltctl --version\ncommands:\n";
    for (const CtlCommand& command : CtlCommands()) {
        if (command.name != QLatin1String("print")) {
            err << "  " << command.usage << "\n";
            continue;
        }
        for (const CtlCommand& printout : PrintCommands())
            err << "  print " << printout.usage << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before anything starts, so that it works wherever the
    // program can run at all.
    if (argc == 2 && qstrcmp(argv[1], "--version") == 0) {
        std::fputs("koltctl " KOLT_VERSION "\n", stdout);
        return kCtlOk;
    }
    // Printouts need fonts, hence a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session (ssh, cron, CI) Qt warns on every run; a private
    // runtime folder keeps standard error for KOLT's own messages.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = QDir::tempPath().toUtf8() + "/koltctl-runtime-" + QByteArray::number(getuid());
        QDir().mkpath(QString::fromUtf8(runtime));
        QFile::setPermissions(QString::fromUtf8(runtime), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                              | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QGuiApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    RegisterDbCommands();
    RegisterBomCommands();
    RegisterGridCommands();
    RegisterOrdersCommands();
    RegisterScheduleCommands();
    RegisterPartinfoCommands();
    RegisterInterchangeCommands();
    RegisterSourcingCommands();

    QStringList args = application.arguments().mid(1);
    QString dataFolder;
    bool yes = false;
    bool readOnly = false;
    while (!args.isEmpty() && args.first().startsWith(QStringLiteral("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--data") && !args.isEmpty()) {
            dataFolder = args.takeFirst();
        } else if (option == QLatin1String("--yes")) {
            yes = true;
        } else if (option == QLatin1String("--read-only")) {
            readOnly = true;
        } else {
            err << "koltctl: unknown option " << option << "\n";
            printUsage(err);
            return kCtlUsage;
        }
    }
    if (args.isEmpty()) {
        printUsage(err);
        return kCtlUsage;
    }
    const QString name = args.takeFirst();
    // Rooms may share a first word ("sources import", "sources refresh"):
    // then the second word, as each one's usage spells it, chooses.
    const CtlCommand* command = nullptr;
    const QString verb = name + QLatin1Char(' ') + args.value(0);
    for (const CtlCommand& c : CtlCommands())
        if (c.name == name
            && (!command || c.usage == verb || c.usage.startsWith(verb + QLatin1Char(' '))))
            command = &c;
    if (!command) {
        err << "koltctl: unknown command " << name << "\n";
        printUsage(err);
        return kCtlUsage;
    }

    ConsoleInterface ui(err, yes);
    SetUserInterface(&ui);
    const bool watched = watchStatements();
    StartCore(ExecutableFolder());
    // Only init makes a shop on a server; every other command refuses a
    // location without one, naming it.
    AllowShopCreation(name == QLatin1String("init"));
    int code = kCtlFailed;
    if (readOnly)
        SetReadOnlyOpen(true);
    if (!command->opensDataLocation || OpenDataFolder(dataFolder, command->createsShop)) {
        CtlContext ctx{args, yes, out, err};
        code = command->run(ctx);
    }
    // Whatever the command made of it, a script must not repeat work that
    // may be stored already, nor take it for done.
    if (AnyCommitOutcomeUnknown())
        code = kCtlCommitUnknown;
    ReleaseDatabase();
    if (watched)
        err << "statements: " << g_statementsDone << "\n";
    if (code == kCtlUsage)
        err << "usage: koltctl " << command->usage << "\n";
    out.flush();
    err.flush();
    SetUserInterface(nullptr);
    return code;
}
