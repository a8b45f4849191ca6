#include "desktop/core/grid_columns.h"

#include "operations/error_trap.h"

namespace {

// Errors of the collection, as a keyed collection reports them.
constexpr long kInvalidProcedureCall = 5;
constexpr long kSubscriptOutOfRange = 9;
constexpr long kDuplicateKey = 457;

const ProcedureTraps Trap(ObjectKind::ClassModule, QStringLiteral("GridColumns"));

bool SameKey(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

const std::vector<GridColumns::BuiltInColumn>& GridColumns::Catalogue()
{
    static const std::vector<BuiltInColumn> catalogue = {
        {"Name", 1800, 0, column_type::Text},
        {"Selection", 250, 1, column_type::Boolean},
        {"Pages", 700, 2, column_type::Decimal},
        {"Location", 1800, 3, column_type::Text},
        {"Size (In KB)", 1000, 4, column_type::Decimal},
        {"Type", 1400, 5, column_type::Text},
        {"Created Date", 1400, 6, column_type::Date},
        {"Modified Date", 1400, 7, column_type::Date},
    };
    return catalogue;
}

void GridColumns::AddBuiltInColumns()
{
    for (const BuiltInColumn& c : Catalogue()) {
        const QString caption = QString::fromLatin1(c.caption);
        Add(caption, c.width, c.index, caption, c.datatype, caption);
    }
}

int GridColumns::Find(const IndexKey& indexKey) const
{
    if (indexKey.IsMissing())
        return -1;
    if (indexKey.IsPosition()) {
        const int position = indexKey.Position();
        return position >= 1 && position <= Count() ? position - 1 : -1;
    }
    const QString& key = indexKey.Key();
    if (key.isEmpty())
        return -1;
    for (int i = 0; i < Count(); ++i) {
        if (!items_[i].key.isEmpty() && SameKey(items_[i].key, key))
            return i;
    }
    return -1;
}

GridColumns::ColumnPtr GridColumns::Add(const QString& ColumnKey, float ColumnWidth, std::int16_t ColumnIndex,
                                        const QString& ColumnName, std::int32_t ColumnDatatype, const QString& sKey,
                                        const IndexKey& Before, const IndexKey& After)
{
    ErrorTrap trap = Trap("Add");
    try {
        trap.Line(10);
        auto column = std::make_shared<GridColumn>();
        trap.Line(20);
        column->ColumnKey = ColumnKey;
        trap.Line(30);
        column->ColumnWidth = ColumnWidth;
        trap.Line(40);
        column->ColumnIndex = ColumnIndex;
        trap.Line(50);
        column->ColumnName = ColumnName;
        trap.Line(60);
        column->ColumnDatatype = ColumnDatatype;
        trap.Line(70);
        if (!sKey.isEmpty() && Find(IndexKey(sKey)) >= 0)
            throw RunTimeError(kDuplicateKey,
                               QStringLiteral("This key is already associated with an element of this collection"));
        // Where the column goes: before Before, else after After, else at the end.
        int at = Count();
        const IndexKey& anchor = !Before.IsMissing() ? Before : After;
        if (!anchor.IsMissing()) {
            const int found = Find(anchor);
            if (found < 0)
                throw RunTimeError(anchor.IsPosition() ? kSubscriptOutOfRange : kInvalidProcedureCall);
            at = !Before.IsMissing() ? found : found + 1;
        }
        items_.insert(items_.begin() + at, Entry{sKey, column});
        trap.Line(80);
        return column;
    } catch (...) {
        trap.Log();
        return nullptr;
    }
}

GridColumns::ColumnPtr GridColumns::Item(const IndexKey& vntIndexKey) const
{
    const int i = Find(vntIndexKey);
    return i >= 0 ? items_[i].column : nullptr;
}

void GridColumns::Remove(const IndexKey& vntIndexKey)
{
    const int i = Find(vntIndexKey);
    if (i >= 0)
        items_.erase(items_.begin() + i);
}
