#pragma once
// Column widths as the settings store them: one way of reading them for
// every place that reads or uses a stored width.
//
// A width is a number of twips, finite, from 0 to the grid's widest column.
// An entry may be written in the plain notation ("1800.5") or in the
// user's ("1800,5" where the decimal separator is a comma); the plain one
// is tried first, since the program itself writes whole numbers.

#include <QList>
#include <QString>

#include <optional>

// The width an entry of a width list gives; nothing when it is not one.
std::optional<double> ColumnWidthFromText(const QString& entry);

// True when `twips` can be a column's width.
bool IsColumnWidth(double twips);

// The widths of a comma-separated list; nothing when any entry is not a
// width, or when `columns` is 0 or more and the list has another number
// of entries.
std::optional<QList<double>> ColumnWidthsFromList(const QString& list, int columns = -1);

// A valid width as the grid takes it: whole twips, halves to even.
int WholeTwips(double twips);

// A width as a list entry: the plain notation, without a needless fraction.
QString ColumnWidthText(double twips);
