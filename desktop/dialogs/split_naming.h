#pragma once
// The pieces the split dialog builds its page file names from. A final
// page name is the prefix, the padding, the 1-based counter and ".tif":
// "scan_" + "0" + "3" + ".tif" for page 3 of a 12-page scan.tif.

#include <QString>

// The name prefix under base-name naming: fileName up to, not including,
// its first "." followed by the separator ("scan.2024.tif", "_" -> "scan_").
// A name without "." raises run-time error 5.
QString BaseNamePrefix(const QString& fileName, const QString& separator);

// As many "0" as the text total is longer than the text page; "" when it
// is not longer.
QString CounterPadding(const QString& total, const QString& page);

// True when a name typed into the dialog can be part of a file name in the
// output folder: no folder separator and no NUL (a "/" would send the pages
// into another folder).
bool IsPlainNamePart(const QString& text);
