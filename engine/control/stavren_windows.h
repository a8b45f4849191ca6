#pragma once
// The control's windows (the About dialog, the property page, the control's
// own window and its drawing, and the frame its properties verb shows)
// live in a companion module, libStavrenWindows.so
// beside libStavren.so, so that creating the control never loads widgets.
// They are only ever used inside a running GUI application (or with a
// painter), where the graphics libraries are loaded already.

#include <QList>

class QObject;
class QPainter;
class QRect;
class QString;
class QVariant;

namespace stavren_windows {

// The companion's entry points (extern "C" in the companion).
using ShowAboutFunction = void (*)();
using CreatePageFunction = QObject* (*)(QObject* parent, const QString& caption);
using DrawFunction = void (*)(QPainter& painter, const QRect& bounds);
using CreateWindowFunction = QObject* (*)(QObject* parent);
using ShowFrameFunction = bool (*)(QObject* owner, const QString& caption, const QList<QObject*>& pages);
inline constexpr char kShowAbout[] = "StavrenShowAboutDialog";
inline constexpr char kCreatePage[] = "StavrenCreatePropertyPage";
inline constexpr char kDraw[] = "StavrenDrawControl";
inline constexpr char kCreateWindow[] = "StavrenCreateControlWindow";
inline constexpr char kShowFrame[] = "StavrenShowPropertyFrame";

// The QObject* a dispatch argument carries for a parent or owner widget:
// nullptr for an empty value. False when it carries anything else.
bool ObjectArgument(const QVariant& value, QObject*& object);

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

// The control's window, a new child of parent (a widget, which owns it)
// drawn with DrawControl; the container places and shows it. nullptr
// without a GUI application on this thread, when parent is no widget, or
// without the companion.
QObject* CreateControlWindow(QObject* parent);

// Shows `pages` (widgets, each tabbed by its window title) modally in a
// frame named caption, owned by owner (a widget) or by nobody, with OK,
// Cancel and Apply, and returns when the frame is closed. Takes the pages
// over, also when it fails: false without a GUI application on this
// thread, when owner is no widget, or without the companion.
bool ShowPropertyFrame(QObject* owner, const QString& caption, const QList<QObject*>& pages);

} // namespace stavren_windows
