#pragma once
// For window tests that run beside engine tests in one executable: a
// QApplication made on first use, and a look at a window kept on request.
#include <QApplication>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

inline void EnsureWidgetApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kolt_window_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Saves a look at a window when KOLT_KEEP_PRINTS names a folder.
inline void KeepShot(QWidget& widget, const QString& name)
{
    widget.resize(widget.sizeHint().expandedTo(widget.size()));
    const QImage shot = widget.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (qEnvironmentVariableIsSet("KOLT_KEEP_PRINTS"))
        shot.save(qEnvironmentVariable("KOLT_KEEP_PRINTS") + "/" + name + ".png");
}
