#pragma once
// Window placement of the main window: twips and pixels, the window-state
// codes kept in the settings, the placement and layout kept in the per-user
// application-settings area, and keeping a window on a screen.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <Qt>

// Twips per pixel of the primary screen (1440 / logical dots per inch);
// 15 when there is no screen.
double TwipsPerPixelX();
double TwipsPerPixelY();

// Twips as whole pixels, rounded to the nearest.
int TwipsToPixels(double twips, double twipsPerPixel);

// The start placement in the per-user application-settings area (company
// name, application title, section "Settings": MainLeft, MainTop,
// MainWidth, MainHeight, in twips), in pixels. A value that is missing or
// not a number takes its default: 1000 twips for left and top,
// `defaultSize` for the size. Nothing in the program writes these values.
QRect StartPlacement(const QSize& defaultSize);

// The docking layout in the same area (section "Layout", value "State");
// empty when there is none. The program reads it and never writes it.
QByteArray StoredLayout();

// Window-state codes of the settings: 0 normal, 1 minimised, 2 maximised.
int WindowStateCode(Qt::WindowStates states);
Qt::WindowStates WindowStatesFromCode(int code);

// A window rectangle moved (and, when larger, shrunk) so that it lies on one
// of the available screen areas. A rectangle that already shows a usable
// part (at least 100 by 40 pixels, or all of it when smaller) on some area,
// with its top edge on that area (a frame's title bar stays within reach),
// is returned unchanged; otherwise it goes onto the first area, keeping its
// size where that fits. With no areas the rectangle is returned unchanged.
QRect FitOntoScreens(const QRect& window, const QList<QRect>& availableAreas);

// The available areas of the screens of this session.
QList<QRect> AvailableScreenAreas();
