// kolt: the desktop application.
#include "app/quorvelapp.h"
#include "app/startup.h"
#include "core/windowhooks.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    RegisterControlsWindows();
    RegisterGridWindows();
    RegisterBomWindows();
    RegisterOrdersWindows();
    RegisterScheduleWindows();
    RegisterInterchangeWindows();
    RegisterPartinfoWindows();
    CQuorvelApp app(ExecutableFolder());
    app.run();
    return 0;
}
