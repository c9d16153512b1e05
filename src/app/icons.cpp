// kolt_icons: the menu icons of the installed program, rendered at build
// time from the window icon into the hicolor theme's layout.
#include "controls/artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // The icon's letter needs fonts, hence a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() < 3) {
        std::fputs("usage: kolt_icons FOLDER NAME SIZE...\n", stderr);
        return 2;
    }
    for (const QString& text : args.mid(2)) {
        bool numeric = false;
        const int side = text.toInt(&numeric);
        if (!numeric || side < 8 || side > 1024) {
            std::fprintf(stderr, "kolt_icons: no icon size: %s\n", qPrintable(text));
            return 2;
        }
        const QString folder = args[0] + QStringLiteral("/%1x%1/apps").arg(side);
        const QString path = folder + QLatin1Char('/') + args[1] + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !ApplicationIcon(side).save(path, "PNG")) {
            std::fprintf(stderr, "kolt_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
