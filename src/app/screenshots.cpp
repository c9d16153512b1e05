// kolt_screenshots: renders the shell's windows on a small sample into PNG
// files for the README (run under xvfb-run; the output folder is argument 1).
#include "app/quorvelapp.h"
#include "app/quorveldlg.h"
#include "app/setup.h"
#include "app/splash.h"
#include "app/startup.h"
#include "controls/messagebox.h"
#include "controls/select.h"
#include "controls/wait.h"
#include "core/appstate.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/parameters.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

namespace {

void save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    window.grab().save(folder + QLatin1Char('/') + name);
}

void sample()
{
    const char* rows[] = {
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('AMP-100','1','R-10K','4')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('AMP-100','2','C-100N','6')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('AMP-100','3','PCB-AMP','1')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('CASE-1','1','AMP-100','1')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('CASE-1','2','SCREW-M3','8')",
    };
    for (const char* sql : rows)
        Execute(QString::fromLatin1(sql));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
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
    // The first start's "Database Initialization" notice is not wanted here.
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
    SetUserInterface(&app.userInterface());
    sample();
    window->onCommand(1107);
    window->onCommand(1106);
    window->resize(1280, 720);
    save(*window, out, QStringLiteral("main.png"));

    SetParam(ParamCompanyName, QStringLiteral("ACME ELECTRONICS"));
    SetParam(ParamCurrency, QStringLiteral("USD"));
    App().CurrentUser = QStringLiteral("ann");
    Setup setup(window);
    save(setup, out, QStringLiteral("setup.png"));

    CMessageBox box(QStringLiteral("Delete the 3 selected rows of PartList?"), QStringLiteral("Delete"),
                    kButtonsYesNoCancel, kAlignCentre, window);
    save(box, out, QStringLiteral("messagebox.png"));

    CAboutDlg about(window);
    save(about, out, QStringLiteral("about.png"));

    CWait wait(window, QStringLiteral("Update Database..."));
    wait.setRange(0, 4);
    wait.setPosition(3);
    save(wait, out, QStringLiteral("wait.png"));
    return 0;
}
