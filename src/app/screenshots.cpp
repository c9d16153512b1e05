// kolt_screenshots: renders the shell's windows on a small sample into PNG
// files for the README (run under xvfb-run; the output folder is argument 1).
// The main window is rendered in every language of the dictionary as well
// (main-deutsch.png); with "--languages" every window is, for a look at the
// translations.
#include "app/quorvelapp.h"
#include "app/quorveldlg.h"
#include "app/setup.h"
#include "app/splash.h"
#include "app/startup.h"
#include "bom/assyview.h"
#include "bom/changewindows.h"
#include "bom/revisions.h"
#include "bom/dbview.h"
#include "bom/report.h"
#include "controls/helpwindow.h"
#include "controls/messagebox.h"
#include "controls/select.h"
#include "controls/wait.h"
#include "core/appstate.h"
#include "core/commandids.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/location.h"
#include "db/parameters.h"
#include "db/recordcheck.h"
#include "db/sampleshop.h"
#include "orders/purchaseorderdialog.h"
#include "orders/requirement.h"
#include "orders/requirements.h"
#include "schedule/tasklist.h"
#include "schedule/timelinedialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

namespace {

void save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    window.grab().save(folder + QLatin1Char('/') + name);
}

// Two assemblies with prices and a routing, three vendors, and a requirement
// entered two months before its orders were placed.
void sample()
{
    SeedSampleShop(QDateTime::currentDateTime().addMonths(-2));
    SetParam(ParamLastRequirement, QStringLiteral("1"));
    ProcessRequirement(QStringLiteral("REQ0001"), 5, QStringLiteral("CASE-1"));
    // A kept revision and a change after it, for the comparison window.
    KeepRevisions({QStringLiteral("AMP-100")}, QStringLiteral("First boards"));
    ChangeSampleBill();
}

void selectInTree(CQuorvelDlg* window, const QString& text)
{
    CDBView* view = window->findChild<CDBView*>();
    if (!view)
        return;
    // The tree is filled as it is opened: the search opens the path.
    view->findInTree(text);
}

// "-deutsch" for Deutsch: a file-name suffix in plain letters.
QString languageSuffix(const QString& name)
{
    QString plain;
    for (const QChar c : name.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber() && c.unicode() < 128)
            plain += c.toLower();
    return QLatin1Char('-') + plain;
}

void renderMain(CQuorvelDlg* window, const QString& out, const QString& suffix)
{
    window->resize(1280, 720);
    save(*window, out, QStringLiteral("main%1.png").arg(suffix));
    window->resize(900, 720);
    save(*window, out, QStringLiteral("main-900%1.png").arg(suffix));
    // A small screen: the bar of icons, the grid with its twenty rows and more.
    window->resize(800, 600);
    save(*window, out, QStringLiteral("main-800%1.png").arg(suffix));
    window->resize(1280, 720);
}

// The dialogs that change with the language; suffix "" for the README's set.
void renderWindows(CQuorvelDlg* window, const QString& out, const QString& suffix)
{

    {
        CReport report(window);
        report.selectAssembly(QStringLiteral("CASE-1"));
        report.produceReport(kFlatBom);
        report.resize(1100, 560);
        save(report, out, QStringLiteral("bom-report%1.png").arg(suffix));
    }
    {
        CAssyView tree(window);
        tree.setSelectedAssembly(QStringLiteral("CASE-1"));
        tree.resize(1000, 520);
        tree.show();
        tree.buildTree();
        save(tree, out, QStringLiteral("bom-tree-window%1.png").arg(suffix));
    }
    {
        CTimeline timeline(QStringLiteral("REQ0001"), window);
        save(timeline, out, QStringLiteral("timeline%1.png").arg(suffix));
    }
    {
        // The buttons take their translated labels whole.
        Setup setup(window);
        save(setup, out, QStringLiteral("setup%1.png").arg(suffix));
    }
    {
        CTimeline timeline(QStringLiteral("REQ0001"), window);
        timeline.showTab(1);
        save(timeline, out, QStringLiteral("resource-load%1.png").arg(suffix));
    }
    {
        CTimelineSetup timelineSetup(window);
        const int year = QDate::currentDate().year();
        timelineSetup.addHoliday(QDate(year, 12, 25));
        timelineSetup.addHoliday(QDate(year, 12, 26));
        save(timelineSetup, out, QStringLiteral("timeline-setup%1.png").arg(suffix));
    }
    {
        CTaskList tasks(window);
        tasks.resize(1000, 420);
        save(tasks, out, QStringLiteral("task-list%1.png").arg(suffix));
    }
    {
        CRequirements order(QStringLiteral("REQ0001"), window);
        save(order, out, QStringLiteral("order%1.png").arg(suffix));
    }
    {
        CPurchaseOrder po(QStringLiteral("P0001"), window);
        save(po, out, QStringLiteral("purchase-order%1.png").arg(suffix));
    }
    {
        CWhereUsed used(QStringLiteral("R-10K"), window);
        used.find();
        save(used, out, QStringLiteral("where-used%1.png").arg(suffix));
    }
    {
        CReplacePart replace(QStringLiteral("C-100N"), window);
        replace.newEdit()->setText(QStringLiteral("GRM188R71H104KA93D"));
        replace.preview();
        save(replace, out, QStringLiteral("replace-part%1.png").arg(suffix));
    }
    {
        CCompareBills compare(QStringLiteral("AMP-100"), window);
        compare.compare();
        save(compare, out, QStringLiteral("compare-bills%1.png").arg(suffix));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    const bool languages = args.contains(QStringLiteral("--languages"));
    QString out = QStringLiteral("docs/screenshots");
    for (int i = 1; i < args.size(); ++i)
        if (!args[i].startsWith(QLatin1String("--")))
            out = args[i];
    QDir().mkpath(out);
    QTemporaryDir dir;
    // A program folder of its own keeps the settings file out of the build.
    const QString program = dir.path() + QStringLiteral("/program/");
    QDir().mkpath(program);
    const QDir built(ExecutableFolder());
    for (const QString& name : built.entryList({QStringLiteral("*.def"), QStringLiteral("Dictionary.txt")}))
        QFile::copy(built.filePath(name), program + name);
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/data")).toUtf8());

    {
        CSplash splash;
        splash.timer()->stop();
        save(splash, out, QStringLiteral("splash.png"));
    }

    CQuorvelApp app(program);
    // The first start's "Database Initialization" notice and the sample's
    // own messages are not wanted here.
    class Quiet final : public UserInterface
    {
    public:
        int showMessage(const QString&, const QString&, int b, int) override { return SafeAnswer(b); }
        void progressOpen(const QString&, int, int) override {}
        void progressCaption(const QString&) override {}
        void progressRange(int, int) override {}
        void progressPosition(int) override {}
        void progressClose() override {}
    } quiet;
    SetUserInterface(&quiet);
    CQuorvelDlg* window = app.createMainWindow(false);
    SetParam(ParamCompanyName, QStringLiteral("ACME ELECTRONICS"));
    SetParam(ParamCurrency, QStringLiteral("USD"));
    App().CurrentUser = QStringLiteral("ann");
    sample();
    window->onCommand(kCmdShowPartList);
    window->onCommand(kCmdShowAssyList);
    window->rollUpCosts(1);
    SetUserInterface(&app.userInterface());
    window->show();
    selectInTree(window, QStringLiteral("CASE-1"));
    selectInTree(window, QStringLiteral("AMP-100"));
    renderMain(window, out, QString());
    renderWindows(window, out, QString());
    const QStringList names = App().dictionary.languageNames;
    for (int language = 1; language < names.size(); ++language) {
        window->setLanguage(language);
        selectInTree(window, QStringLiteral("AMP-100"));
        renderMain(window, out, languageSuffix(names[language]));
        if (languages)
            renderWindows(window, out, languageSuffix(names[language]));
    }
    window->setLanguage(0);

    {
        CHelpWindow help(QDir(ExecutableFolder()).filePath(QStringLiteral("help/KOLT.html")), window);
        help.resize(1000, 640);
        help.ShowSection(QStringLiteral("Working in the grid"));
        save(help, out, QStringLiteral("help.png"));
    }

    std::unique_ptr<QDialog> copyTarget(Setup::NewCopyTargetDialog(window, App().DataFolder));
    save(*copyTarget, out, QStringLiteral("copy-data.png"));

    CMessageBox box(QStringLiteral("Delete the 3 selected rows of PartList?"), QStringLiteral("Delete"),
                    kButtonsYesNo, kAlignCentre, window);
    save(box, out, QStringLiteral("messagebox.png"));

    CAboutDlg about(window);
    save(about, out, QStringLiteral("about.png"));

    CWait wait(window, QStringLiteral("Update Database..."));
    wait.setRange(0, 4);
    wait.setPosition(3);
    save(wait, out, QStringLiteral("wait.png"));

    // A window's save refused for another desk's change.
    CMessageBox stale(ChangedByText(QStringLiteral("REQ0001"), QStringLiteral("anna"), QStringLiteral("2026-12-09 10:31:02"))
                          + QLatin1Char('\n') + Translate(QStringLiteral("Nothing was written.")),
                      Translate(QStringLiteral("Order")), kButtonsOk, kAlignCentre, window);
    save(stale, out, QStringLiteral("stale-write.png"));

    // The same shop on a desk that may only read it.
    SetReadOnlyOpen(true);
    InitializeDatabase(false);
    window->translateWindow();
    window->showLocationState();
    window->onCommand(kCmdShowPartList);
    save(*window, out, QStringLiteral("main-read-only.png"));
    {
        CRequirements order(QStringLiteral("REQ0001"), window);
        save(order, out, QStringLiteral("order-read-only.png"));
    }
    SetReadOnlyOpen(false);
    return 0;
}
