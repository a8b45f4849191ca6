#pragma once
// TrimNull, the text helper of modMasterLayout (the name its error tail logs).

#include <QString>

// The text up to, not including, its first NUL character (the whole text
// when it has none).
QString TrimNull(const QString& s);
