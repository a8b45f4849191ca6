#pragma once
// The texts the main window's result grid shows for a file's size and its
// dates, in the user's locale.

#include <QDateTime>
#include <QString>

#include <cstdint>

// The size in whole KB, rounded up (RoundUpSizeKB), with digit grouping
// always on (the locale's group separator, "," where it has none), then
// " KB": "1,234 KB".
QString SizeCellText(std::int64_t bytes);

// "dd/mm/yyyy hh:mm AM" in local time, with the separators of the locale's
// short date and time formats ("/" and ":" where they have none) and its
// AM/PM texts ("AM" and "PM" where it has none); empty for no time.
QString DateCellText(const QDateTime& when);
