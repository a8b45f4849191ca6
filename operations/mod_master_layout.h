#pragma once
// modMasterLayout: text helpers of the main layout.

#include <QString>

// The text up to, not including, its first NUL character (the whole text
// when it has none).
QString TrimNull(const QString& s);
