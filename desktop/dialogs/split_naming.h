#pragma once
// The pieces the split dialog builds its page file names and page numbers
// from. A final page name is the prefix, the padding, the 1-based counter
// and ".tif": "scan_" + "0" + "3" + ".tif" for page 3 of a 12-page scan.tif.

#include <QString>

#include <cstdint>

// The name prefix under base-name naming: fileName up to, not including,
// its first "." followed by the separator ("scan.2024.tif", "_" -> "scan_").
// A name without "." raises run-time error 5.
QString BaseNamePrefix(const QString& fileName, const QString& separator);

// As many "0" as the text total is longer than the text page; "" when it
// is not longer.
QString CounterPadding(const QString& total, const QString& page);

// A text taken as a 32-bit number (blanks around it allowed). Raises
// run-time error 13 when it is no whole number and 6 when it does not fit.
std::int32_t ToLong(const QString& text);

// The same for a 16-bit number.
std::int16_t ToInteger(const QString& text);

// True when a name typed into the dialog can be part of a file name in the
// output folder: no folder separator and no NUL (a "/" would send the pages
// into another folder).
bool IsPlainNamePart(const QString& text);
