#pragma once
// The two parts of a command-line item or argument that may end in "?N":
// the path before its last "?" and the number after its first "?".

#include <QString>

// The text before the last "?", or the whole text when it holds none.
inline QString PathPart(const QString& text)
{
    const qsizetype q = text.lastIndexOf(QLatin1Char('?'));
    return q < 0 ? text : text.left(q);
}

// The text after the first "?"; empty when it holds none.
inline QString NumberPart(const QString& text)
{
    const qsizetype q = text.indexOf(QLatin1Char('?'));
    return q < 0 ? QString() : text.mid(q + 1);
}
