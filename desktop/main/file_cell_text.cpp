#include "desktop/main/file_cell_text.h"

#include "desktop/main/folder_search.h"

#include <QLocale>

namespace {

// The first separator character of a locale format, or the fallback.
QString SeparatorOf(const QString& format, const QString& fallback)
{
    for (const QChar c : format) {
        if (c.isLetter() || c.isSpace() || c == QLatin1Char('\'') || c == QLatin1Char(','))
            continue;
        return QString(c);
    }
    return fallback;
}

// A whole number with the locale's digit grouping, always grouped ("1,234"
// also where the locale leaves grouping out by default).
QString GroupedNumber(std::int64_t n)
{
    const QLocale locale;
    QString group = locale.groupSeparator();
    if (group.isEmpty())
        group = QStringLiteral(",");
    const QString digits = QString::number(n < 0 ? -n : n);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += group;
        out += digits.at(i);
    }
    return n < 0 ? QStringLiteral("-") + out : out;
}

} // namespace

QString SizeCellText(std::int64_t bytes)
{
    return GroupedNumber(RoundUpSizeKB(bytes)) + QStringLiteral(" KB");
}

QString DateCellText(const QDateTime& when)
{
    if (!when.isValid())
        return QString();
    const QLocale locale;
    const QDateTime local = when.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    const QString dateSep = SeparatorOf(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
    const QString timeSep = SeparatorOf(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
    QString am = locale.amText();
    QString pm = locale.pmText();
    if (am.isEmpty() || pm.isEmpty()) {
        am = QStringLiteral("AM");
        pm = QStringLiteral("PM");
    }
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return two(d.day()) + dateSep + two(d.month()) + dateSep
           + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')) + QLatin1Char(' ') + two(hour12) + timeSep
           + two(t.minute()) + QLatin1Char(' ') + (t.hour() < 12 ? am : pm);
}
