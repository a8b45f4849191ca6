#pragma once
// The QApplication the grid tests need, made once per test program.

#include <QApplication>

inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "grid_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)app;
}
