#pragma once
// GridColumn: one column of the result grid's column catalogue.

#include <QString>

#include <cstdint>

// Data type codes of a column's values (the grid sorts and shows a column
// by them).
namespace column_type {
inline constexpr std::int32_t Date = 7;
inline constexpr std::int32_t Text = 8;
inline constexpr std::int32_t Boolean = 11;
inline constexpr std::int32_t Decimal = 14;
} // namespace column_type

class GridColumn {
public:
    QString ColumnName;           // header caption
    std::int16_t ColumnIndex = 0; // position of the column in the grid, from 0
    float ColumnWidth = 0;        // width in twips
    QString ColumnKey;            // the key by which the column is found
    std::int32_t ColumnDatatype = 0;
};
