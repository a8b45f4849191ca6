// Argument coercion as a dispatch layer performs it: a variant converted to
// the parameter type of the member being called.

#include "platform/com/com.h"

#include <QLocale>

#include <cmath>
#include <limits>
#include <optional>

namespace com {

namespace {

[[noreturn]] void Raise(long number)
{
    throw RunTimeError(number);
}

bool IsSigned(int id)
{
    switch (id) {
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong: return true;
    default: return false;
    }
}

bool IsUnsigned(int id)
{
    switch (id) {
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return true;
    default: return false;
    }
}

bool IsText(int id)
{
    return id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
}

QString TextOf(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

// A numeric string as a number: decimal (sign, fraction, exponent, blanks
// around), or &H / &O for hexadecimal and octal. nullopt when not numeric.
std::optional<double> ParseNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    if (t.size() > 2 && t[0] == u'&' && (t[1] == u'H' || t[1] == u'h' || t[1] == u'O' || t[1] == u'o')) {
        const int base = (t[1] == u'H' || t[1] == u'h') ? 16 : 8;
        const qulonglong u = t.mid(2).toULongLong(&ok, base);
        if (!ok)
            return std::nullopt;
        return static_cast<double>(u);
    }
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || std::isnan(d))
        return std::nullopt;
    return d;
}

// The whole numbers a target type holds: imin..umax.
struct Range {
    long long imin;
    unsigned long long umax;
    // The bounds as doubles: every double in [min, maxExclusive) rounds
    // into range. Both are powers of two or small enough to be exact, so
    // 2^63 and 2^64 (just above the 64-bit ranges) are caught as well.
    double min() const { return static_cast<double>(imin); }
    double maxExclusive() const { return static_cast<double>(umax) + 1.0; }
};

Range RangeOf(int id)
{
    switch (id) {
    case QMetaType::Char:
    case QMetaType::SChar: return {-128, 127};
    case QMetaType::UChar: return {0, 255};
    case QMetaType::Short: return {-32768, 32767};
    case QMetaType::UShort: return {0, 65535};
    case QMetaType::Int: return {std::numeric_limits<int>::min(), 2147483647u};
    case QMetaType::UInt: return {0, 4294967295u};
    case QMetaType::Long:
    case QMetaType::LongLong:
        return {std::numeric_limits<long long>::min(),
                static_cast<unsigned long long>(std::numeric_limits<long long>::max())};
    default: return {0, std::numeric_limits<unsigned long long>::max()};
    }
}

// The whole number a source value stands for, rounded half to even, as a
// signed or unsigned 64-bit value; raises 13 for a non-number and 6 when
// it leaves target's range.
QVariant ToInteger(const QVariant& value, QMetaType target)
{
    const int src = value.metaType().id();
    const int dst = target.id();
    const Range r = RangeOf(dst);
    if (!value.isValid())
        return QVariant(target, nullptr); // Empty converts to 0

    if (src == QMetaType::Bool) {
        const long long v = value.toBool() ? -1 : 0;
        if (v < r.imin)
            Raise(rterr::Overflow);
        QVariant out(v);
        out.convert(target);
        return out;
    }
    if (IsSigned(src)) {
        const long long v = value.toLongLong();
        if (v < r.imin || (v > 0 && static_cast<unsigned long long>(v) > r.umax))
            Raise(rterr::Overflow);
        QVariant out(v);
        out.convert(target);
        return out;
    }
    if (IsUnsigned(src)) {
        const unsigned long long v = value.toULongLong();
        if (v > r.umax)
            Raise(rterr::Overflow);
        QVariant out(v);
        out.convert(target);
        return out;
    }
    double d = 0;
    if (src == QMetaType::Double || src == QMetaType::Float) {
        d = value.toDouble();
        if (std::isnan(d))
            Raise(rterr::Overflow);
    } else if (IsText(src)) {
        const auto n = ParseNumber(TextOf(value));
        if (!n)
            Raise(rterr::TypeMismatch);
        d = *n;
    } else {
        Raise(rterr::TypeMismatch);
    }
    const double rounded = std::nearbyint(d);
    if (!(rounded >= r.min() && rounded < r.maxExclusive()))
        Raise(rterr::Overflow);
    QVariant out =
        rounded < 0 ? QVariant(static_cast<long long>(rounded)) : QVariant(static_cast<unsigned long long>(rounded));
    out.convert(target);
    return out;
}

QVariant ToDouble(const QVariant& value, QMetaType target)
{
    const int src = value.metaType().id();
    double d = 0;
    if (!value.isValid())
        d = 0;
    else if (src == QMetaType::Bool)
        d = value.toBool() ? -1.0 : 0.0;
    else if (IsSigned(src) || IsUnsigned(src) || src == QMetaType::Double || src == QMetaType::Float)
        d = value.toDouble();
    else if (IsText(src)) {
        const auto n = ParseNumber(TextOf(value));
        if (!n)
            Raise(rterr::TypeMismatch);
        d = *n;
    } else
        Raise(rterr::TypeMismatch);
    if (target.id() == QMetaType::Float && std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
        Raise(rterr::Overflow);
    QVariant out(d);
    out.convert(target);
    return out;
}

QVariant ToBool(const QVariant& value)
{
    const int src = value.metaType().id();
    if (!value.isValid())
        return QVariant(false);
    if (src == QMetaType::Bool)
        return QVariant(value.toBool());
    if (IsSigned(src))
        return QVariant(value.toLongLong() != 0);
    if (IsUnsigned(src))
        return QVariant(value.toULongLong() != 0);
    if (src == QMetaType::Double || src == QMetaType::Float)
        return QVariant(value.toDouble() != 0.0);
    if (IsText(src)) {
        const QString t = TextOf(value).trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return QVariant(true);
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return QVariant(false);
        const auto n = ParseNumber(t);
        if (!n)
            Raise(rterr::TypeMismatch);
        return QVariant(*n != 0.0);
    }
    Raise(rterr::TypeMismatch);
}

QVariant ToText(const QVariant& value, QMetaType target)
{
    const int src = value.metaType().id();
    QString text;
    if (!value.isValid())
        text = QString();
    else if (src == QMetaType::Bool)
        text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    else if (IsSigned(src))
        text = QString::number(value.toLongLong());
    else if (IsUnsigned(src))
        text = QString::number(value.toULongLong());
    else if (src == QMetaType::Double || src == QMetaType::Float)
        text = QString::number(value.toDouble(), 'g', 15);
    else if (IsText(src))
        text = TextOf(value);
    else
        Raise(rterr::TypeMismatch);
    if (target.id() == QMetaType::QByteArray)
        return QVariant(text.toUtf8());
    return QVariant(text);
}

} // namespace

QVariant CoerceArgument(const QVariant& value, QMetaType target)
{
    const int dst = target.id();
    if (dst == QMetaType::QVariant)
        return value;
    if (IsSigned(dst) || IsUnsigned(dst))
        return ToInteger(value, target);
    if (dst == QMetaType::Double || dst == QMetaType::Float)
        return ToDouble(value, target);
    if (dst == QMetaType::Bool)
        return ToBool(value);
    if (dst == QMetaType::QString || dst == QMetaType::QByteArray)
        return ToText(value, target);
    if (value.metaType() == target)
        return value;
    Raise(rterr::TypeMismatch);
}

} // namespace com
