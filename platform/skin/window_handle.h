#pragma once
// Window handles: a small positive 32-bit number standing for a live
// QWidget, handed out on request and valid for the widget's lifetime.
// A handle never refers to another widget later; a handle whose widget is
// gone (or was never handed out) looks up as nullptr.

#include <cstdint>

class QWidget;

std::int32_t WindowHandleOf(QWidget* widget);
QWidget* WidgetFromWindowHandle(std::int32_t handle);
