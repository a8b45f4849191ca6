#pragma once
// Delimited text as the grid saves and loads it: one record per row, fields
// separated by the column separator, records ended by the row separator.
// A field holding a separator, a quote or a line break is written in double
// quotes with its quotes doubled, so that every cell reads back unchanged.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

namespace delimited_text {

struct Separators {
    QChar column = QLatin1Char(',');
    QString row = QStringLiteral("\n");
};

// The separators named by a clip-separator text: its first character
// separates columns, its second ends rows; what is missing takes the
// default (comma, line feed).
Separators FromClipSeparators(const QString& clip);

// Appends one record (fields and row separator) to out.
void AppendRecord(QString& out, const QStringList& fields, const Separators& sep);

// Splits a whole text into records. When the row separator is a line break
// (CR, LF or CR LF), any of the three ends a record. A final record needs no
// row separator. Stops with false when more than maxRecords records or a
// record with more than maxFields fields would be produced.
bool Parse(const QString& text, const Separators& sep, std::size_t maxRecords, std::size_t maxFields,
           std::vector<QStringList>& records);

} // namespace delimited_text
