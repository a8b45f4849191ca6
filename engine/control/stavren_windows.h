#pragma once
// The control's windows (the About dialog, the property page and the
// drawing of the control) live in a companion module, libStavrenWindows.so
// beside libStavren.so, so that creating the control never loads widgets.
// They are only ever used inside a running GUI application (or with a
// painter), where the graphics libraries are loaded already.

class QObject;
class QPainter;
class QRect;
class QString;

namespace stavren_windows {

// The companion's entry points (extern "C" in the companion).
using ShowAboutFunction = void (*)();
using CreatePageFunction = QObject* (*)(QObject* parent, const QString& caption);
using DrawFunction = void (*)(QPainter& painter, const QRect& bounds);
inline constexpr char kShowAbout[] = "StavrenShowAboutDialog";
inline constexpr char kCreatePage[] = "StavrenCreatePropertyPage";
inline constexpr char kDraw[] = "StavrenDrawControl";

// Shows "About Stavren Control" modally when a GUI application is running
// and this is its thread; returns at once otherwise (also when the companion
// cannot be loaded).
void ShowAboutDialog();

// A new empty property page (a QWidget) with `caption`, a child of parent
// or, without one, a window of its own; the caller owns it. nullptr without
// a GUI application on this thread, when parent is not a widget, or
// without the companion.
QObject* CreatePropertyPage(QObject* parent, const QString& caption);

// Draws the control into bounds: a white area with an ellipse. Nothing
// when the companion cannot be loaded.
void DrawControl(QPainter& painter, const QRect& bounds);

} // namespace stavren_windows
