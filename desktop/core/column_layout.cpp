#include "desktop/core/column_layout.h"

#include "desktop/core/column_width.h"
#include "desktop/core/grid_columns.h"
#include "desktop/core/program_objects.h"
#include "desktop/core/settings.h"
#include "operations/error_trap.h"
#include "platform/runtime/run_time_error.h"

#include <QSet>

#include <optional>

QStringList ColumnOrderArray;
QStringList ColumnWidthArray;
QStringList ColumnVisibleArray;

namespace {

const QString kModuleName = QStringLiteral("modGeneral");
const ProcedureTraps Trap(ObjectKind::Module, kModuleName);
const QString kSelectionColumn = QStringLiteral("Selection");
constexpr float kSelectionWidth = 250;

// True when the order list names every catalogue column exactly once.
bool IsOrderList(const QString& text, const GridColumns& catalogue)
{
    const QStringList order = text.split(QLatin1Char(','));
    if (catalogue.Count() == 0 || order.size() != catalogue.Count())
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
    return true;
}

bool IsVisibilityList(const QString& text, int columns)
{
    const QStringList flags = text.split(QLatin1Char(','));
    if (flags.size() != columns)
        return false;
    for (const QString& f : flags)
        if (f != QLatin1String("0") && f != QLatin1String("1"))
            return false;
    return true;
}

// The built-in widths of the columns in the order the list names them.
QString BuiltInWidthsInOrder(const QString& order)
{
    QStringList widths;
    for (const QString& entry : order.split(QLatin1Char(',')))
        widths.append(ColumnWidthText(BuiltInColumnWidth(entry.trimmed())));
    return widths.join(QLatin1Char(','));
}

// One line in the error log for a stored list that was replaced.
void LogReplacedList(const QString& setting, const QString& stored, const QString& instead)
{
    ErrorTrap trap = Trap("EnsureValidColumnLists");
    trap.Log(RunTimeError(rterr::InvalidPropertyValue,
                          QStringLiteral("Invalid property value: ") + setting + QStringLiteral(" \"") + stored
                              + QStringLiteral("\" replaced by \"") + instead + QStringLiteral("\"")));
}

} // namespace

float BuiltInColumnWidth(const QString& key)
{
    for (const GridColumns::BuiltInColumn& c : GridColumns::Catalogue())
        if (key == QLatin1String(c.caption))
            return c.width;
    return 0;
}

int GridWidthOf(GridColumn& column)
{
    if (!IsColumnWidth(column.ColumnWidth)) {
        const float builtIn = BuiltInColumnWidth(column.ColumnKey);
        ErrorTrap trap = Trap("GridWidthOf");
        trap.Log(RunTimeError(rterr::InvalidPropertyValue,
                              QStringLiteral("Invalid property value: width ")
                                  + QString::number(static_cast<double>(column.ColumnWidth))
                                  + QStringLiteral(" of column ") + column.ColumnKey + QStringLiteral(" replaced by ")
                                  + ColumnWidthText(builtIn)));
        column.ColumnWidth = builtIn;
    }
    return WholeTwips(column.ColumnWidth);
}

void TakeColumnWidths(GridColumns& catalogue, const QStringList& widths)
{
    for (int i = 1; i <= catalogue.Count(); ++i) {
        if (i - 1 >= widths.size())
            throw RunTimeError(rterr::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        const std::optional<double> width = ColumnWidthFromText(widths.at(i - 1));
        if (!width)
            throw RunTimeError(rterr::TypeMismatch);
        catalogue.Item(i)->ColumnWidth = static_cast<float>(*width);
    }
}

ColumnLists DefaultColumnLists()
{
    return {Settings::Default(Settings::ColumnReOrderId).text, Settings::Default(Settings::LastGridColWidthId).text,
            Settings::Default(Settings::ColumnVisibilityId).text};
}

bool ColumnListsAreValid(const ColumnLists& lists, const GridColumns& catalogue)
{
    return IsOrderList(lists.order, catalogue) && ColumnWidthsFromList(lists.widths, catalogue.Count()).has_value()
           && IsVisibilityList(lists.visibility, catalogue.Count());
}

bool EnsureValidColumnLists(Settings& settings, const GridColumns& catalogue)
{
    const ColumnLists stored{settings.ColumnReOrder(), settings.LastGridColWidth(), settings.ColumnVisibility()};
    if (!IsOrderList(stored.order, catalogue)) {
        // The width and visibility entries belong to the positions the
        // order describes: without an order they mean nothing either, and
        // the built-in set replaces all three.
        const ColumnLists defaults = DefaultColumnLists();
        LogReplacedList(Settings::Name(Settings::ColumnReOrderId), stored.order, defaults.order);
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
    bool kept = true;
    if (!ColumnWidthsFromList(stored.widths, catalogue.Count())) {
        // Each column gets its built-in width where the order puts it.
        const QString widths = BuiltInWidthsInOrder(stored.order);
        LogReplacedList(Settings::Name(Settings::LastGridColWidthId), stored.widths, widths);
        settings.SetLastGridColWidth(widths);
        ColumnWidthArray = widths.split(QLatin1Char(','));
        kept = false;
    }
    if (!IsVisibilityList(stored.visibility, catalogue.Count())) {
        const QString flags = Settings::Default(Settings::ColumnVisibilityId).text;
        LogReplacedList(Settings::Name(Settings::ColumnVisibilityId), stored.visibility, flags);
        settings.SetColumnVisibility(flags);
        ColumnVisibleArray = flags.split(QLatin1Char(','));
        kept = false;
    }
    return kept;
}

void LoadGridColumns(Settings& settings, GridColumns& catalogue)
{
    ErrorTrap trap = Trap("LoadGridColumns");
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
                const std::optional<double> value = ColumnWidthFromText(widths.value(i));
                if (!value) {
                    // Put the column back where it was before failing, so
                    // that it is not lost.
                    catalogue.Add(key, column->ColumnWidth, column->ColumnIndex, column->ColumnName,
                                  column->ColumnDatatype, key);
                    throw RunTimeError(rterr::TypeMismatch);
                }
                width = static_cast<float>(WholeTwips(*value));
            }
            trap.Line(50);
            if (i == last)
                catalogue.Add(key, width, static_cast<std::int16_t>(i), column->ColumnName, column->ColumnDatatype,
                              key);
            else
                catalogue.Add(key, width, static_cast<std::int16_t>(i), column->ColumnName, column->ColumnDatatype, key,
                              GridColumns::IndexKey(i + 1));
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

void LoadGridColumns()
{
    ErrorTrap trap = Trap("LoadGridColumns");
    try {
        LoadGridColumns(TheSettings(), TheGridColumns());
    } catch (...) {
        trap.Log();
    }
}

int GetColumnIndexByKey(const QString& key)
{
    ErrorTrap trap = Trap("GetColumnIndexByKey");
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
