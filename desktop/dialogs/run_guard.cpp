#include "desktop/dialogs/run_guard.h"

#include <QWidget>

RunGuard::RunGuard(QWidget& dialog, std::initializer_list<QWidget*> locked, bool& running)
    : dialog_(dialog), locked_(locked), running_(running)
{
    running_ = true;
    dialog_.setCursor(Qt::WaitCursor);
    for (QWidget* w : locked_)
        w->setEnabled(false);
}

RunGuard::~RunGuard()
{
    dialog_.unsetCursor();
    for (QWidget* w : locked_)
        w->setEnabled(true);
    running_ = false;
}
