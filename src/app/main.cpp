// kolt: the desktop application.
#include "app/quorvelapp.h"
#include "app/startup.h"
#include "core/version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Before the application object, which needs a display: these two are
    // asked from terminals and package checks that have none.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("kolt " KOLT_VERSION "\n", stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs("usage: kolt [--version] [--help] [Qt options]\n"
                       "Starts KOLT on the data location of the settings file\n"
                       "($XDG_CONFIG_HOME/KOLT/KOLT.prm), else on ~/.local/share/KOLT.\n"
                       "koltctl drives the same engines from the command line.\n",
                       stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    RegisterEveryWindow();
    CQuorvelApp app(ExecutableFolder());
    app.run();
    return 0;
}
