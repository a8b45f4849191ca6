#include "operations/mod_itaskbar_list.h"

#include "platform/skin/window_handle.h"

#include <QWidget>

void TaskbarAddTab(std::int32_t hwnd) noexcept
{
    try {
        QWidget* window = WidgetFromWindowHandle(hwnd);
        if (!window || window->isWindow())
            return;
        const bool visible = window->isVisible();
        window->setWindowFlag(Qt::Window, true);
        if (visible)
            window->show();
    } catch (...) {
    }
}

void TaskbarDeleteTab(std::int32_t hwnd) noexcept
{
    try {
        // The window keeps its entry for as long as it is shown; it goes
        // with the window.
        (void)WidgetFromWindowHandle(hwnd);
    } catch (...) {
    }
}
