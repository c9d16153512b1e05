#pragma once
// Widget tests need one QApplication for the whole executable.
#include <QApplication>

inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "grid_widget_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}
