#include "desktop/dialogs/split_naming.h"

#include "platform/runtime/run_time_error.h"

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

bool IsPlainNamePart(const QString& text)
{
    return !text.contains(QLatin1Char('/')) && !text.contains(QChar(u'\0'));
}
