#pragma once
// Sort keys of the grid: how a cell's text is read as a number, a date or
// text for ordering, and the comparison of file-name-like text with its
// digit runs taken by value.

#include <QString>

#include <cstdint>
#include <optional>

namespace grid_sort {

// The number a cell begins with: leading blanks, an optional sign, digits
// with digit grouping ("1,234" or the locale's grouping) and an optional
// fraction; anything after it ("12 KB") is ignored. No number for text that
// does not begin with one ("Error", an empty cell).
std::optional<double> LeadingNumber(const QString& text);

// A date and time written in the column's display format ("dd/mm/yyyy
// hh:mm ampm" and the like: d, dd, m, mm, yy, yyyy, h, hh, n, nn, s, ss,
// ampm, am/pm, a/p). Without a format, a text starting with a four-digit
// year is read year first, otherwise day first. The result orders like the
// moment it names; no value when the text holds no valid date.
std::optional<std::int64_t> DateValue(const QString& text, const QString& format);

// Orders two texts as people order file names: without regard to case,
// runs of digits compared by their value ("scan9" before "scan10").
// Both texts must already be case-folded. Returns <0, 0 or >0.
int NaturalCompare(const QString& a, const QString& b);

} // namespace grid_sort
