// kolt: the desktop application.
#include "app/startup.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    StartCore(ExecutableFolder());
    OpenDataFolder();
    QLabel window(QStringLiteral("KOLT"));
    window.show();
    return application.exec();
}
