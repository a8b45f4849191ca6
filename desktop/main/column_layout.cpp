#include "desktop/main/column_layout.h"

#include "desktop/main/desktop_startup.h"
#include "desktop/main/grid_columns.h"
#include "desktop/main/settings.h"
#include "operations/error_trap.h"
#include "platform/runtime/run_time_error.h"

#include <QSet>

#include <cmath>

QStringList ColumnOrderArray;
QStringList ColumnWidthArray;
QStringList ColumnVisibleArray;

namespace {

const QString kModuleName = QStringLiteral("modGeneral");
constexpr long kMaxWidthTwips = 1'440'000;
const QString kSelectionColumn = QStringLiteral("Selection");
constexpr float kSelectionWidth = 250;

bool IsWidth(const QString& entry)
{
    bool ok = false;
    const long value = entry.trimmed().toLong(&ok);
    return ok && value >= 0 && value <= kMaxWidthTwips;
}

} // namespace

ColumnLists DefaultColumnLists()
{
    return {Settings::Default(Settings::ColumnReOrderId).text, Settings::Default(Settings::LastGridColWidthId).text,
            Settings::Default(Settings::ColumnVisibilityId).text};
}

bool ColumnListsAreValid(const ColumnLists& lists, const GridColumns& catalogue)
{
    const int columns = catalogue.Count();
    const QStringList order = lists.order.split(QLatin1Char(','));
    const QStringList widths = lists.widths.split(QLatin1Char(','));
    const QStringList flags = lists.visibility.split(QLatin1Char(','));
    if (columns == 0 || order.size() != columns || widths.size() != columns || flags.size() != columns)
        return false;
    QSet<QString> catalogueKeys;
    for (const GridColumns::ColumnPtr& column : catalogue)
        catalogueKeys.insert(column->ColumnKey);
    QSet<QString> seen;
    for (const QString& entry : order) {
        const QString key = entry.trimmed();
        if (!catalogueKeys.contains(key) || seen.contains(key))
            return false;
        seen.insert(key);
    }
    for (const QString& w : widths)
        if (!IsWidth(w))
            return false;
    for (const QString& f : flags)
        if (f != QLatin1String("0") && f != QLatin1String("1"))
            return false;
    return true;
}

bool EnsureValidColumnLists(Settings& settings, const GridColumns& catalogue)
{
    const ColumnLists stored{settings.ColumnReOrder(), settings.LastGridColWidth(), settings.ColumnVisibility()};
    if (ColumnListsAreValid(stored, catalogue))
        return true;
    // One list cannot be repaired on its own: its entries belong to the
    // positions the other two describe. Start again from the built-in set.
    const ColumnLists defaults = DefaultColumnLists();
    if (stored.order != defaults.order)
        settings.SetColumnReOrder(defaults.order);
    if (stored.widths != defaults.widths)
        settings.SetLastGridColWidth(defaults.widths);
    if (stored.visibility != defaults.visibility)
        settings.SetColumnVisibility(defaults.visibility);
    ColumnWidthArray = defaults.widths.split(QLatin1Char(','));
    ColumnVisibleArray = defaults.visibility.split(QLatin1Char(','));
    return false;
}

void LoadGridColumns(Settings& settings, GridColumns& catalogue)
{
    ErrorTrap trap(QStringLiteral("LoadGridColumns"), ObjectKind::Module, kModuleName);
    try {
        trap.Line(10);
        EnsureValidColumnLists(settings, catalogue);
        ColumnOrderArray = settings.ColumnReOrder().split(QLatin1Char(','));
        const QStringList widths = settings.LastGridColWidth().split(QLatin1Char(','));

        trap.Line(20);
        const int last = static_cast<int>(ColumnOrderArray.size()) - 1;
        for (int i = 0; i <= last; ++i) {
            trap.Line(30);
            const QString key = ColumnOrderArray.at(i).trimmed();
            const GridColumns::ColumnPtr column = catalogue.Item(key);
            if (!column)
                continue;
            if (column->ColumnIndex == i)
                continue;
            trap.Line(40);
            catalogue.Remove(key);
            float width = column->ColumnWidth;
            if (column->ColumnName == kSelectionColumn) {
                width = kSelectionWidth;
            } else {
                bool ok = false;
                const double value = widths.value(i).trimmed().toDouble(&ok);
                if (!ok) {
                    // Put the column back where it was before failing, so
                    // that it is not lost.
                    catalogue.Add(key, column->ColumnWidth, column->ColumnIndex, column->ColumnName,
                                  column->ColumnDatatype, key);
                    throw RunTimeError(rterr::TypeMismatch);
                }
                if (value >= 0)
                    width = static_cast<float>(std::nearbyint(value));
            }
            trap.Line(50);
            if (i == last)
                catalogue.Add(key, width, static_cast<std::int16_t>(i), column->ColumnName, column->ColumnDatatype,
                              key);
            else
                catalogue.Add(key, width, static_cast<std::int16_t>(i), column->ColumnName, column->ColumnDatatype,
                              key, GridColumns::IndexKey(i + 1));
        }

        // Skipping a column whose ColumnIndex already reads i relies on the
        // indices of the columns not yet visited; should a history of moves
        // leave one of them stale, put the catalogue in screen order here.
        trap.Line(60);
        bool inOrder = catalogue.Count() == ColumnOrderArray.size();
        for (int i = 0; inOrder && i <= last; ++i) {
            const GridColumns::ColumnPtr at = catalogue.Item(i + 1);
            inOrder = at && at->ColumnKey == ColumnOrderArray.at(i).trimmed() && at->ColumnIndex == i;
        }
        if (!inOrder) {
            for (int i = 0; i <= last; ++i) {
                const QString key = ColumnOrderArray.at(i).trimmed();
                const GridColumns::ColumnPtr column = catalogue.Item(key);
                if (!column)
                    continue;
                catalogue.Remove(key);
                catalogue.Add(key, column->ColumnWidth, static_cast<std::int16_t>(i), column->ColumnName,
                              column->ColumnDatatype, key);
            }
        }
    } catch (...) {
        trap.Log();
    }
}

int GetColumnIndexByKey(const QString& key)
{
    ErrorTrap trap(QStringLiteral("GetColumnIndexByKey"), ObjectKind::Module, kModuleName);
    try {
        trap.Line(10);
        if (!objGridColumns)
            throw RunTimeError(rterr::ObjectNotSet);
        for (const GridColumns::ColumnPtr& column : *objGridColumns) {
            trap.Line(20);
            if (column->ColumnKey == key)
                return column->ColumnIndex;
        }
        return 0;
    } catch (...) {
        trap.Log();
        return 0;
    }
}

QStringList MoveListEntry(QStringList list, int from, int to)
{
    if (from < 0 || to < 0 || from >= list.size() || to >= list.size() || from == to)
        return list;
    const QString entry = list.takeAt(from);
    list.insert(to, entry);
    return list;
}
