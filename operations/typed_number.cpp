#include "operations/typed_number.h"

#include "platform/runtime/run_time_error.h"

#include <QLocale>

#include <cmath>
#include <limits>
#include <optional>

namespace {

std::optional<double> ParseNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = QLocale::system().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

template <typename Int, typename Wide>
Int Narrowed(Wide value)
{
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
        throw RunTimeError(rterr::Overflow);
    return static_cast<Int>(value);
}

} // namespace

std::int32_t ToLongRounding(const QString& text)
{
    const std::optional<double> v = ParseNumber(text);
    if (!v)
        throw RunTimeError(rterr::TypeMismatch);
    // rint rounds ties to the even neighbour in the default rounding mode.
    return Narrowed<std::int32_t>(std::rint(*v));
}

bool IsNumber(const QString& text)
{
    return ParseNumber(text).has_value();
}

std::int32_t ToLongWholeOnly(const QString& text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    const qlonglong value = trimmed.toLongLong(&ok);
    if (!ok) {
        // Digits that are too many for any number are still a number.
        bool digits = !trimmed.isEmpty();
        for (qsizetype i = 0; i < trimmed.size() && digits; ++i) {
            const char16_t c = trimmed.at(i).unicode();
            digits = (c >= u'0' && c <= u'9') || (i == 0 && (c == u'-' || c == u'+'));
        }
        throw RunTimeError(digits && trimmed.size() > 1 ? rterr::Overflow : rterr::TypeMismatch);
    }
    return Narrowed<std::int32_t>(value);
}

std::int16_t ToIntegerWholeOnly(const QString& text)
{
    return Narrowed<std::int16_t>(ToLongWholeOnly(text));
}

std::int16_t ToInteger(std::int64_t value)
{
    return Narrowed<std::int16_t>(value);
}
