#pragma once
// Numbers typed on the command line: the locale's numeric conversion, with
// blanks around the number allowed and a decimal rounded to the nearest
// whole number, ties to even. A text that is no number raises run-time
// error 13; a number outside the target range raises 6.

#include <QString>
#include <cstdint>

// Converts to a 32-bit signed number (CLng).
std::int32_t ToLong(const QString& text);
// Narrows a number to 16 bits (CInt), raising 6 when it does not fit. It
// takes 64 bits, so a page number and the 1 added to it never overflow first.
std::int16_t ToInteger(std::int64_t value);
// True when the text reads as a number (whatever its size).
bool IsNumber(const QString& text);
