#include "benchwindows.h"

#include "app/quorvelapp.h"
#include "app/quorveldlg.h"
#include "app/startup.h"
#include "bom/assyview.h"
#include "controls/guiinterface.h"
#include "core/appstate.h"
#include "core/commandids.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "grid/gridview.h"
#include "orders/requirements.h"
#include "schedule/timelinedialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStringList>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

std::unique_ptr<QApplication> g_application;

// The progress window as the program shows it; messages go to standard error
// and count as failures unless they are the operation's expected outcome.
class BenchGui final : public UserInterface
{
public:
    explicit BenchGui(GuiInterface& gui) : m_gui(gui) {}
    int showMessage(const QString& text, const QString& caption, int buttons, int) override
    {
        const bool wanted = std::any_of(expected.begin(), expected.end(),
                                        [&](const QString& words) { return text.contains(words); });
        if (!wanted) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
            ++failures;
        }
        return SafeAnswer(buttons);
    }
    void progressOpen(const QString& caption, int minimum, int maximum) override
    {
        m_gui.progressOpen(caption, minimum, maximum);
    }
    void progressCaption(const QString& caption) override { m_gui.progressCaption(caption); }
    void progressRange(int minimum, int maximum) override { m_gui.progressRange(minimum, maximum); }
    void progressPosition(int position) override { m_gui.progressPosition(position); }
    void progressClose() override { m_gui.progressClose(); }

    QStringList expected; // words of the messages that are part of the operation's result
    int failures = 0;

private:
    GuiInterface& m_gui;
};

// Wall and processor time of the timed part; bench/run reads the line.
class Stopwatch
{
public:
    Stopwatch()
    {
        m_wall.start();
        m_cpu = cpuMicroseconds();
    }
    void report() const
    {
        std::printf("kolt_bench timed: %lld us wall, %lld us cpu\n", static_cast<long long>(m_wall.nsecsElapsed() / 1000),
                    cpuMicroseconds() - m_cpu);
    }

private:
    static long long cpuMicroseconds()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
    }
    QElapsedTimer m_wall;
    long long m_cpu = 0;
};

// Lets the window system deliver what is pending (show, layout, paint).
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

QString dataFolder()
{
    return qEnvironmentVariable("KOLT_BENCH_DATA");
}

// The program's start with the data folder of the run: library, settings,
// dictionary, definitions, and the windows of every subsystem.
struct Program
{
    Program() : app(ExecutableFolder()), ui(app.userInterface())
    {
        SetUserInterface(&ui);
        App().DataFolder = dataFolder();
    }
    ~Program() { SetUserInterface(nullptr); }
    int outcome() const { return ui.failures == 0 ? 0 : 1; }

    CQuorvelApp app;
    BenchGui ui;
};

} // namespace

void StartWindows(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_application = std::make_unique<QApplication>(argc, argv);
    RegisterEveryWindow();
}

void StopWindows()
{
    g_application.reset();
}

// The main window started as the program starts it (on the bill table), then
// the part-table command until the grid's first rows are painted, then a jump to
// the last row, painted too.
int WindowPartList()
{
    Program program;
    StartCore(ExecutableFolder());
    App().DataFolder = dataFolder();
    CQuorvelDlg* window = program.app.createMainWindow(false);
    if (App().DataFolder != dataFolder())
        return 1;
    window->resize(1280, 720);
    window->show();
    settle();
    const Stopwatch watch;
    window->onCommand(kCmdShowPartList);
    window->repaint();
    QTableView* grid = window->findChild<CGridView*>();
    const QAbstractItemModel* rows = grid ? grid->model() : nullptr;
    if (!rows || rows->rowCount() == 0)
        return 1;
    grid->scrollToBottom();
    grid->setCurrentIndex(rows->index(rows->rowCount() - 1, 0));
    grid->viewport()->repaint();
    watch.report();
    std::printf("%i rows\n", rows->rowCount());
    return program.outcome();
}

// The assembly tree window of KOLT_BENCH_ASSY, as "Tree" opens it: the
// chart laid out and painted. A chart of more boxes than the window draws
// ends with "max assemblies exceeded", which is its result, not a failure.
int WindowTree()
{
    Program program;
    StartCore(ExecutableFolder());
    App().DataFolder = dataFolder();
    program.ui.expected = {QStringLiteral("max assemblies exceeded")};
    CAssyView view;
    view.resize(1280, 720);
    const Stopwatch watch;
    view.setSelectedAssembly(qEnvironmentVariable("KOLT_BENCH_ASSY"));
    view.buildTree();
    view.show();
    view.repaint();
    watch.report();
    std::printf("%zu boxes\n", view.layout().nodes.size());
    return view.layout().nodes.empty() ? 1 : program.outcome();
}

// The timeline of requirement KOLT_BENCH_TIMELINE: schedule computed, chart painted.
int WindowTimeline()
{
    Program program;
    StartCore(ExecutableFolder());
    App().DataFolder = dataFolder();
    const Stopwatch watch;
    CTimeline timeline(qEnvironmentVariable("KOLT_BENCH_TIMELINE"));
    timeline.resize(1280, 720);
    timeline.show();
    timeline.repaint();
    watch.report();
    std::printf("%zu items\n", timeline.schedule().items.size());
    return timeline.schedule().items.empty() ? 1 : program.outcome();
}

// The Order dialog of requirement KOLT_BENCH_REQ opened untimed; then its
// "Process" with the progress window, until the dialog is painted again.
int WindowProcess()
{
    Program program;
    StartCore(ExecutableFolder());
    App().DataFolder = dataFolder();
    // The reference data has made parts without a bill of their own, which
    // Process names before its count: part of its result, not a failure.
    program.ui.expected = {QStringLiteral("Purchase Orders Created"), QStringLiteral("Not ordered, or a source left out")};
    CRequirements dialog(qEnvironmentVariable("KOLT_BENCH_REQ"));
    dialog.show();
    settle();
    const Stopwatch watch;
    dialog.process();
    dialog.repaint();
    watch.report();
    return dialog.stage() >= 1 ? program.outcome() : 1;
}
