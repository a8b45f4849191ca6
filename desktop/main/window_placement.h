#pragma once
// Window placement arithmetic of the main window: twips and pixels, the
// window-state codes kept in the settings, and keeping a window on a screen.

#include <QList>
#include <QRect>
#include <Qt>

// Twips per pixel of the primary screen (1440 / logical dots per inch);
// 15 when there is no screen.
double TwipsPerPixelX();
double TwipsPerPixelY();

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
