#include "desktop/main/window_placement.h"

#include "operations/storage_folder.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
double TwipsPerPixel(bool horizontal)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 15.0;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

// The program's per-user application-settings area, opened at `section`.
std::unique_ptr<QSettings> SettingsArea(const QString& section)
{
    auto area = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromUtf16(kCompanyName), QString::fromUtf16(kApplicationTitle));
    area->beginGroup(section);
    return area;
}

// A placement value of the area as a number, or the default when it is
// missing or not a number.
float PlacementValue(QSettings& area, const char* key, float fallback)
{
    const QVariant v = area.value(QString::fromLatin1(key));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const float f = v.toFloat(&ok);
    return ok && std::isfinite(f) ? f : fallback;
}
} // namespace

int TwipsToPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

QRect StartPlacement(const QSize& defaultSize)
{
    const std::unique_ptr<QSettings> area = SettingsArea(QStringLiteral("Settings"));
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    const float left = PlacementValue(*area, "MainLeft", 1000);
    const float top = PlacementValue(*area, "MainTop", 1000);
    const float width = PlacementValue(*area, "MainWidth", static_cast<float>(defaultSize.width() * tx));
    const float height = PlacementValue(*area, "MainHeight", static_cast<float>(defaultSize.height() * ty));
    return QRect(TwipsToPixels(left, tx), TwipsToPixels(top, ty), TwipsToPixels(width, tx), TwipsToPixels(height, ty));
}

QByteArray StoredLayout()
{
    return SettingsArea(QStringLiteral("Layout"))->value(QStringLiteral("State")).toByteArray();
}

double TwipsPerPixelX()
{
    return TwipsPerPixel(true);
}

double TwipsPerPixelY()
{
    return TwipsPerPixel(false);
}

int WindowStateCode(Qt::WindowStates states)
{
    if (states & Qt::WindowMinimized)
        return 1;
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

Qt::WindowStates WindowStatesFromCode(int code)
{
    switch (code) {
    case 1: return Qt::WindowMinimized;
    case 2: return Qt::WindowMaximized;
    default: return Qt::WindowNoState;
    }
}

QRect FitOntoScreens(const QRect& window, const QList<QRect>& availableAreas)
{
    if (availableAreas.isEmpty())
        return window;
    const int needWidth = std::min(100, std::max(1, window.width()));
    const int needHeight = std::min(40, std::max(1, window.height()));
    for (const QRect& area : availableAreas) {
        const QRect shown = area.intersected(window);
        // The top edge, where the title bar is, must be on the area too.
        const bool topShown = window.top() >= area.top() && window.top() + needHeight - 1 <= area.bottom();
        if (shown.width() >= needWidth && shown.height() >= needHeight && topShown)
            return window;
    }
    const QRect& area = availableAreas.first();
    QRect fitted(window.topLeft(), window.size().boundedTo(area.size()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() - fitted.width() + 1));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() - fitted.height() + 1));
    return fitted;
}

QList<QRect> AvailableScreenAreas()
{
    QList<QRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.append(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            areas.append(screen->availableGeometry());
    return areas;
}
