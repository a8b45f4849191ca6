#include "platform/grid/grid_sort.h"

#include <QLocale>

#include <charconv>
#include <vector>

namespace grid_sort {

namespace {

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QChar FirstChar(const QString& s, QChar fallback)
{
    return s.isEmpty() ? fallback : s.at(0);
}

enum class Field { Day, Month, Year2, Year4, Hour, Minute, Second, Meridiem, Name };

// The numeric fields of a display format, in order. Names (ddd, mmm) make
// the format unreadable for sorting; they are reported as Name.
std::vector<Field> ParseFormat(const QString& format)
{
    std::vector<Field> fields;
    const QString f = format.toLower();
    const int n = f.size();
    int i = 0;
    auto run = [&](QChar c) {
        int k = i;
        while (k < n && f.at(k) == c)
            ++k;
        return k - i;
    };
    while (i < n) {
        if (f.mid(i, 4) == QLatin1String("ampm")) {
            fields.push_back(Field::Meridiem);
            i += 4;
            continue;
        }
        if (f.mid(i, 5) == QLatin1String("am/pm")) {
            fields.push_back(Field::Meridiem);
            i += 5;
            continue;
        }
        if (f.mid(i, 3) == QLatin1String("a/p")) {
            fields.push_back(Field::Meridiem);
            i += 3;
            continue;
        }
        const QChar c = f.at(i);
        const int len = run(c);
        if (c == QLatin1Char('d')) {
            fields.push_back(len <= 2 ? Field::Day : Field::Name);
        } else if (c == QLatin1Char('m')) {
            if (len > 2) {
                fields.push_back(Field::Name);
            } else {
                // "mm" right after the hour, or right before the seconds, is minutes.
                bool afterHour = false;
                for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
                    if (*it == Field::Meridiem)
                        continue;
                    afterHour = (*it == Field::Hour);
                    break;
                }
                bool beforeSecond = false;
                for (int k = i + len; k < n; ++k) {
                    const QChar d = f.at(k);
                    if (d.isLetter()) {
                        beforeSecond = (d == QLatin1Char('s'));
                        break;
                    }
                }
                fields.push_back(afterHour || beforeSecond ? Field::Minute : Field::Month);
            }
        } else if (c == QLatin1Char('y')) {
            fields.push_back(len <= 2 ? Field::Year2 : Field::Year4);
        } else if (c == QLatin1Char('h')) {
            fields.push_back(Field::Hour);
        } else if (c == QLatin1Char('n')) {
            fields.push_back(Field::Minute);
        } else if (c == QLatin1Char('s')) {
            fields.push_back(Field::Second);
        }
        i += len;
    }
    return fields;
}

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

} // namespace

std::optional<double> LeadingNumber(const QString& text)
{
    const QLocale locale;
    const QChar decimal = FirstChar(locale.decimalPoint(), QLatin1Char('.'));
    QChar group = FirstChar(locale.groupSeparator(), QLatin1Char(','));
    if (group == decimal)
        group = QChar();

    const int n = text.size();
    int i = 0;
    while (i < n && text.at(i).isSpace())
        ++i;
    std::string digits;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        if (text.at(i) == QLatin1Char('-'))
            digits.push_back('-');
        ++i;
    }
    bool sawDigit = false;
    bool sawDecimal = false;
    for (; i < n && digits.size() < 400; ++i) {
        const QChar c = text.at(i);
        if (IsDigit(c)) {
            digits.push_back(static_cast<char>(c.unicode()));
            sawDigit = true;
        } else if (!sawDecimal && sawDigit && (c == group || (decimal == QLatin1Char('.') && c == QLatin1Char(',')))
                   && i + 1 < n && IsDigit(text.at(i + 1))) {
            continue; // digit grouping
        } else if (!sawDecimal && c == decimal && i + 1 < n && IsDigit(text.at(i + 1))) {
            digits.push_back('.');
            sawDecimal = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return std::nullopt;
    double value = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (res.ec != std::errc())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> DateValue(const QString& text, const QString& format)
{
    std::vector<Field> fields = ParseFormat(format);
    bool hasDatePart = false;
    for (Field f : fields) {
        if (f == Field::Name)
            return std::nullopt;
        if (f == Field::Day || f == Field::Month || f == Field::Year2 || f == Field::Year4)
            hasDatePart = true;
    }

    // The digit runs of the text, and whether an afternoon designator follows.
    std::vector<std::pair<int, int>> runs; // value, digit count
    const int n = text.size();
    for (int i = 0; i < n && runs.size() < 16;) {
        if (IsDigit(text.at(i))) {
            int k = i;
            std::int64_t v = 0;
            while (k < n && IsDigit(text.at(k))) {
                if (v < 100000)
                    v = v * 10 + (text.at(k).unicode() - '0');
                ++k;
            }
            runs.emplace_back(static_cast<int>(v), k - i);
            i = k;
        } else {
            ++i;
        }
    }
    if (runs.empty())
        return std::nullopt;

    if (fields.empty() || !hasDatePart) {
        const bool yearFirst = runs.front().second == 4;
        std::vector<Field> dflt = yearFirst ? std::vector<Field>{Field::Year4, Field::Month, Field::Day}
                                            : std::vector<Field>{Field::Day, Field::Month, Field::Year4};
        if (fields.empty()) {
            dflt.insert(dflt.end(), {Field::Hour, Field::Minute, Field::Second, Field::Meridiem});
        } else {
            dflt.insert(dflt.end(), fields.begin(), fields.end());
        }
        fields = std::move(dflt);
    }

    bool pm = false;
    bool am = false;
    {
        const QLocale locale;
        const QString lower = text.toLower();
        const QString pmText = locale.pmText().toLower();
        const QString amText = locale.amText().toLower();
        // Only letters after the first digit count (a weekday or month name
        // before the date must not read as a designator).
        QString letters;
        bool seenDigit = false;
        for (QChar c : lower) {
            if (IsDigit(c))
                seenDigit = true;
            else if (seenDigit && c.isLetter())
                letters.append(c);
            else if (seenDigit && !letters.isEmpty())
                break;
        }
        if (!letters.isEmpty()) {
            if ((!pmText.isEmpty() && letters == pmText) || letters == QLatin1String("pm")
                || letters == QLatin1String("p"))
                pm = true;
            else if ((!amText.isEmpty() && letters == amText) || letters == QLatin1String("am")
                     || letters == QLatin1String("a"))
                am = true;
        }
    }

    int day = -1, month = -1, year = -1, hour = 0, minute = 0, second = 0;
    bool hasMeridiem = false;
    std::size_t r = 0;
    for (Field f : fields) {
        if (f == Field::Meridiem) {
            hasMeridiem = true;
            continue;
        }
        if (r >= runs.size())
            break;
        const int v = runs[r].first;
        const int digits = runs[r].second;
        ++r;
        switch (f) {
        case Field::Day: day = v; break;
        case Field::Month: month = v; break;
        case Field::Year2: year = digits <= 2 ? (v < 30 ? 2000 + v : 1900 + v) : v; break;
        case Field::Year4: year = digits <= 2 ? (v < 30 ? 2000 + v : 1900 + v) : v; break;
        case Field::Hour: hour = v; break;
        case Field::Minute: minute = v; break;
        case Field::Second: second = v; break;
        default: break;
        }
    }
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 0 || year > 9999)
        return std::nullopt;
    if (hasMeridiem && (pm || am)) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        if (hour == 12)
            hour = 0;
        if (pm)
            hour += 12;
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

int NaturalCompare(const QString& a, const QString& b)
{
    const int na = a.size();
    const int nb = b.size();
    int i = 0;
    int j = 0;
    while (i < na && j < nb) {
        const QChar ca = a.at(i);
        const QChar cb = b.at(j);
        if (IsDigit(ca) && IsDigit(cb)) {
            int si = i;
            while (si < na && a.at(si) == QLatin1Char('0'))
                ++si;
            int sj = j;
            while (sj < nb && b.at(sj) == QLatin1Char('0'))
                ++sj;
            int ei = si;
            while (ei < na && IsDigit(a.at(ei)))
                ++ei;
            int ej = sj;
            while (ej < nb && IsDigit(b.at(ej)))
                ++ej;
            const int lenA = ei - si;
            const int lenB = ej - sj;
            if (lenA != lenB)
                return lenA < lenB ? -1 : 1;
            for (int k = 0; k < lenA; ++k) {
                const ushort da = a.at(si + k).unicode();
                const ushort db = b.at(sj + k).unicode();
                if (da != db)
                    return da < db ? -1 : 1;
            }
            // Same value: fewer leading zeros first.
            if ((ei - i) != (ej - j))
                return (ei - i) < (ej - j) ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        if (ca != cb)
            return ca.unicode() < cb.unicode() ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < na)
        return 1;
    if (j < nb)
        return -1;
    return 0;
}

} // namespace grid_sort
