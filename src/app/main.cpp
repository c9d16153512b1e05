// kolt: the desktop application.
#include "app/startup.h"
#include "app/windowhooks.h"

#include <QApplication>
#include <QLabel>

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
    StartCore(ExecutableFolder());
    OpenDataFolder();
    QLabel window(QStringLiteral("KOLT"));
    window.show();
    return application.exec();
}
