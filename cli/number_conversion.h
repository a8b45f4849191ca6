#pragma once
// Numbers typed on the command line: the locale's numeric conversion, with
// blanks around the number allowed and a decimal rounded to the nearest
// whole number, ties to even. A text that is no number raises run-time
// error 13; a number outside the target range raises 6.

#include <QString>
#include <cstdint>

// Converts to a 32-bit signed number (CLng).
std::int32_t ToLong(const QString& text);
// Narrows a 32-bit number to 16 bits (CInt), raising 6 when it does not fit.
std::int16_t ToInteger(std::int32_t value);
// True when the text reads as a number (whatever its size).
bool IsNumber(const QString& text);
