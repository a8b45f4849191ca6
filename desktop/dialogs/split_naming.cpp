#include "desktop/dialogs/split_naming.h"

#include "platform/runtime/run_time_error.h"

#include <limits>

QString BaseNamePrefix(const QString& fileName, const QString& separator)
{
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    if (dot < 0)
        throw RunTimeError(rterr::InvalidProcedureCall);
    return fileName.left(dot) + separator;
}

QString CounterPadding(const QString& total, const QString& page)
{
    const qsizetype missing = total.size() - page.size();
    return missing > 0 ? QString(missing, QLatin1Char('0')) : QString();
}

std::int32_t ToLong(const QString& text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    const qlonglong value = trimmed.toLongLong(&ok);
    if (!ok) {
        // Digits that are too many for any number are still a number.
        bool digits = !trimmed.isEmpty();
        for (qsizetype i = 0; i < trimmed.size() && digits; ++i)
            digits = trimmed.at(i).isDigit() || (i == 0 && (trimmed.at(i) == u'-' || trimmed.at(i) == u'+'));
        throw RunTimeError(digits && trimmed.size() > 1 ? rterr::Overflow : rterr::TypeMismatch);
    }
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        throw RunTimeError(rterr::Overflow);
    return static_cast<std::int32_t>(value);
}

std::int16_t ToInteger(const QString& text)
{
    const std::int32_t value = ToLong(text);
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        throw RunTimeError(rterr::Overflow);
    return static_cast<std::int16_t>(value);
}

bool IsPlainNamePart(const QString& text)
{
    return !text.contains(QLatin1Char('/')) && !text.contains(QChar(u'\0'));
}
