#include "operations/property_bag.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <cmath>
#include <limits>
#include <utility>

namespace {

const QByteArray kHeader = QByteArrayLiteral("VelmoraPropertyBag 1");
const QByteArray kEnd = QByteArrayLiteral("end");
constexpr int kMaxNameLength = 255;

[[noreturn]] void RaiseInvalidFormat()
{
    throw RunTimeError(PropertyBag::InvalidFormatError, QStringLiteral("Invalid file format"));
}

bool IsValidName(const QString& name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('=') || c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

const char* TypeWord(PropertyBag::Type type)
{
    switch (type) {
    case PropertyBag::Type::String: return "string";
    case PropertyBag::Type::Byte: return "byte";
    case PropertyBag::Type::Integer: return "integer";
    case PropertyBag::Type::Long: return "long";
    }
    return "string";
}

bool TypeFromWord(const QByteArray& word, PropertyBag::Type& type)
{
    if (word == "string")
        type = PropertyBag::Type::String;
    else if (word == "byte")
        type = PropertyBag::Type::Byte;
    else if (word == "integer")
        type = PropertyBag::Type::Integer;
    else if (word == "long")
        type = PropertyBag::Type::Long;
    else
        return false;
    return true;
}

// Backslash escapes for the characters that would break the line format.
QByteArray EscapeValue(const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    static const char hex[] = "0123456789ABCDEF";
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 0x0F];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QString UnescapeValue(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                RaiseInvalidFormat();
            out += c;
            continue;
        }
        if (++i >= text.size())
            RaiseInvalidFormat();
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (i + 2 >= text.size())
                RaiseInvalidFormat();
            const int hi = HexDigit(text[i + 1]);
            const int lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0)
                RaiseInvalidFormat();
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default: RaiseInvalidFormat();
        }
    }
    // Invalid UTF-8 is a damaged record, not text to guess at.
    QString result = QString::fromUtf8(out);
    if (result.toUtf8() != out)
        RaiseInvalidFormat();
    return result;
}

// A decimal number "-?[0-9]+" in the range of its type.
bool ParseNumber(const QByteArray& text, PropertyBag::Type type, std::int32_t& value)
{
    if (text.isEmpty() || text.size() > 11)
        return false;
    qsizetype i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    for (qsizetype k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok)
        return false;
    switch (type) {
    case PropertyBag::Type::Byte:
        if (n < 0 || n > 255)
            return false;
        break;
    case PropertyBag::Type::Integer:
        if (n < std::numeric_limits<std::int16_t>::min() || n > std::numeric_limits<std::int16_t>::max())
            return false;
        break;
    case PropertyBag::Type::Long:
        if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
            return false;
        break;
    case PropertyBag::Type::String: return false;
    }
    value = static_cast<std::int32_t>(n);
    return true;
}

// A stored value converted to a number of the requested range: a number
// that does not fit raises 6, a text that is not a number raises 13.
std::int64_t TextToNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        throw RunTimeError(rterr::TypeMismatch);
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    // "nan" and "inf" read as numbers here but are none: they have no
    // whole-number value to convert to.
    if (!ok || !std::isfinite(d))
        throw RunTimeError(rterr::TypeMismatch);
    if (d > 9.0e15 || d < -9.0e15)
        throw RunTimeError(rterr::Overflow);
    // Round half to even, as a numeric conversion does.
    const double r = std::nearbyint(d);
    return static_cast<std::int64_t>(r);
}

template <class T>
T Narrow(std::int64_t n)
{
    if (n < static_cast<std::int64_t>(std::numeric_limits<T>::min())
        || n > static_cast<std::int64_t>(std::numeric_limits<T>::max()))
        throw RunTimeError(rterr::Overflow);
    return static_cast<T>(n);
}

} // namespace

void PropertyBag::Put(Entry entry)
{
    if (!IsValidName(entry.name))
        throw RunTimeError(rterr::InvalidProcedureCall);
    for (Entry& e : entries_) {
        if (e.name.compare(entry.name, Qt::CaseInsensitive) == 0) {
            entry.name = e.name;
            e = std::move(entry);
            return;
        }
    }
    entries_.append(std::move(entry));
}

const PropertyBag::Entry* PropertyBag::Find(const QString& name) const
{
    for (const Entry& e : entries_)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

void PropertyBag::WriteString(const QString& name, const QString& value)
{
    Put(Entry{name, Type::String, value, 0});
}

void PropertyBag::WriteByte(const QString& name, std::uint8_t value)
{
    Put(Entry{name, Type::Byte, QString(), value});
}

void PropertyBag::WriteInteger(const QString& name, std::int16_t value)
{
    Put(Entry{name, Type::Integer, QString(), value});
}

void PropertyBag::WriteLong(const QString& name, std::int32_t value)
{
    Put(Entry{name, Type::Long, QString(), value});
}

bool PropertyBag::Contains(const QString& name) const
{
    return Find(name) != nullptr;
}

bool PropertyBag::TypeOf(const QString& name, Type& type) const
{
    const Entry* e = Find(name);
    if (!e)
        return false;
    type = e->type;
    return true;
}

QVariant PropertyBag::ReadProperty(const QString& name) const
{
    const Entry* e = Find(name);
    if (!e)
        return {};
    switch (e->type) {
    case Type::String: return QVariant(e->text);
    case Type::Byte: return QVariant::fromValue<quint8>(static_cast<quint8>(e->number));
    case Type::Integer: return QVariant::fromValue<qint16>(static_cast<qint16>(e->number));
    case Type::Long: return QVariant::fromValue<qint32>(e->number);
    }
    return {};
}

std::int64_t PropertyBag::NumberOf(const Entry& e)
{
    if (e.type == Type::String)
        return TextToNumber(e.text);
    return e.number;
}

QString PropertyBag::ReadString(const QString& name) const
{
    const Entry* e = Find(name);
    if (!e)
        return QString();
    if (e->type == Type::String)
        return e->text;
    return QString::number(e->number);
}

std::uint8_t PropertyBag::ReadByte(const QString& name) const
{
    const Entry* e = Find(name);
    return e ? Narrow<std::uint8_t>(NumberOf(*e)) : 0;
}

std::int16_t PropertyBag::ReadInteger(const QString& name) const
{
    const Entry* e = Find(name);
    return e ? Narrow<std::int16_t>(NumberOf(*e)) : 0;
}

std::int32_t PropertyBag::ReadLong(const QString& name) const
{
    const Entry* e = Find(name);
    return e ? Narrow<std::int32_t>(NumberOf(*e)) : 0;
}

QStringList PropertyBag::Names() const
{
    QStringList names;
    names.reserve(entries_.size());
    for (const Entry& e : entries_)
        names.append(e.name);
    return names;
}

QByteArray PropertyBag::Contents() const
{
    QByteArray out = kHeader;
    out += '\n';
    for (const Entry& e : entries_) {
        out += TypeWord(e.type);
        out += ' ';
        out += e.name.toUtf8();
        out += '=';
        if (e.type == Type::String)
            out += EscapeValue(e.text);
        else
            out += QByteArray::number(e.number);
        out += '\n';
    }
    out += kEnd;
    out += '\n';
    return out;
}

void PropertyBag::SetContents(const QByteArray& bytes)
{
    PropertyBag parsed;
    qsizetype pos = 0;
    bool headerSeen = false;
    bool ended = false;
    while (pos < bytes.size()) {
        qsizetype eol = bytes.indexOf('\n', pos);
        if (eol < 0)
            break; // an unterminated last line: the record is incomplete
        QByteArray line = bytes.mid(pos, eol - pos);
        pos = eol + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!headerSeen) {
            if (line != kHeader)
                RaiseInvalidFormat();
            headerSeen = true;
            continue;
        }
        if (line == kEnd) {
            ended = true;
            break;
        }
        if (line.isEmpty())
            continue;
        const qsizetype blank = line.indexOf(' ');
        const qsizetype equals = line.indexOf('=');
        if (blank <= 0 || equals <= blank + 1)
            RaiseInvalidFormat();
        Type type;
        if (!TypeFromWord(line.left(blank), type))
            RaiseInvalidFormat();
        const QByteArray nameBytes = line.mid(blank + 1, equals - blank - 1);
        const QString name = QString::fromUtf8(nameBytes);
        if (!IsValidName(name) || name.toUtf8() != nameBytes)
            RaiseInvalidFormat();
        const QByteArray value = line.mid(equals + 1);
        Entry entry{name, type, QString(), 0};
        if (type == Type::String)
            entry.text = UnescapeValue(value);
        else if (!ParseNumber(value, type, entry.number))
            RaiseInvalidFormat();
        parsed.Put(std::move(entry));
    }
    if (!ended)
        RaiseInvalidFormat();
    *this = std::move(parsed);
}

PropertyBag PropertyBag::FromContents(const QByteArray& bytes)
{
    PropertyBag bag;
    bag.SetContents(bytes);
    return bag;
}

void PropertyBag::SaveToFile(const QString& path) const
{
    const QByteArray bytes = Contents();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw RunTimeError(rterr::PathFileAccessError);
    // The flush is checked here because commit() reports success even when
    // the buffered bytes could not all be written (disk full, size limit),
    // which would put a cut-off record in the old file's place.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        throw RunTimeError(rterr::PathFileAccessError);
    }
    if (!file.commit())
        throw RunTimeError(rterr::PathFileAccessError);
}

PropertyBag PropertyBag::LoadFromFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw RunTimeError(rterr::FileNotFound);
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw RunTimeError(rterr::PathFileAccessError);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RunTimeError(rterr::PathFileAccessError);
    return FromContents(bytes);
}
