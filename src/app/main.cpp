// kolt: the desktop application.
#include "app/quorvelapp.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    RegisterEveryWindow();
    CQuorvelApp app(ExecutableFolder());
    app.run();
    return 0;
}
