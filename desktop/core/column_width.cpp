#include "desktop/core/column_width.h"

#include "platform/grid/grid.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

bool IsColumnWidth(double twips)
{
    return std::isfinite(twips) && twips >= 0 && twips <= Grid::kMaxColumnWidthTwips;
}

std::optional<double> ColumnWidthFromText(const QString& entry)
{
    const QString text = entry.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        value = QLocale().toDouble(text, &ok);
    if (!ok || !IsColumnWidth(value))
        return std::nullopt;
    return value;
}

std::optional<QList<double>> ColumnWidthsFromList(const QString& list, int columns)
{
    const QStringList entries = list.split(QLatin1Char(','));
    if (columns >= 0 && entries.size() != columns)
        return std::nullopt;
    QList<double> widths;
    widths.reserve(entries.size());
    for (const QString& entry : entries) {
        const std::optional<double> width = ColumnWidthFromText(entry);
        if (!width)
            return std::nullopt;
        widths.append(*width);
    }
    return widths;
}

int WholeTwips(double twips)
{
    return static_cast<int>(std::nearbyint(twips));
}

QString ColumnWidthText(double twips)
{
    return QString::number(twips, 'g', 9);
}
