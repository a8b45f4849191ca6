#pragma once
// modItaskBarList: taskbar buttons of windows.
//
// A top-level window without a parent already has a taskbar entry on the
// desktops we run on; adding makes sure the window (found by its handle, see
// platform/skin/window_handle.h) is a top-level window. Removing leaves the
// window as it is. Unknown handles are ignored.

#include <cstdint>

void TaskbarAddTab(std::int32_t hwnd) noexcept;
void TaskbarDeleteTab(std::int32_t hwnd) noexcept;
