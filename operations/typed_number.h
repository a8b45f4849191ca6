#pragma once
// Numbers typed as text, read by one of two rules.
//
// Rounding (the command line's): the locale's numeric conversion, blanks
// around the number allowed, a decimal rounded to the nearest whole number
// with ties to even ("2.5" is 2, "3.5" is 4).
//
// Whole only (the split dialog's): blanks around the number allowed, then
// an optional sign and digits; "2.5" is no number.
//
// A text that is no number raises run-time error 13; a number outside the
// target range raises 6.

#include <QString>

#include <cstdint>

// A 32-bit number by the rounding rule.
std::int32_t ToLongRounding(const QString& text);
// True when the text reads as a number by the rounding rule (whatever its
// size).
bool IsNumber(const QString& text);

// A 32-bit number by the whole-only rule; digits too many for any number
// raise 6.
std::int32_t ToLongWholeOnly(const QString& text);
// The same for a 16-bit number.
std::int16_t ToIntegerWholeOnly(const QString& text);

// Narrows a number to 16 bits, raising 6 when it does not fit. It takes 64
// bits, so a page number and the 1 added to it never overflow first.
std::int16_t ToInteger(std::int64_t value);
