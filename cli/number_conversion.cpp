#include "cli/number_conversion.h"

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

} // namespace

std::int32_t ToLong(const QString& text)
{
    const std::optional<double> v = ParseNumber(text);
    if (!v)
        throw RunTimeError(rterr::TypeMismatch);
    // rint rounds ties to the even neighbour in the default rounding mode.
    const double r = std::rint(*v);
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min())
        || r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw RunTimeError(rterr::Overflow);
    return static_cast<std::int32_t>(r);
}

std::int16_t ToInteger(std::int64_t value)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throw RunTimeError(rterr::Overflow);
    return static_cast<std::int16_t>(value);
}

bool IsNumber(const QString& text)
{
    return ParseNumber(text).has_value();
}
