#include "desktop/core/settings.h"

#include "desktop/core/column_width.h"

#include "operations/error_trap.h"
#include "operations/property_bag.h"
#include "operations/storage_folder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>
#include <limits>

namespace {

const ProcedureTraps Trap(ObjectKind::ClassModule, QStringLiteral("Settings"));

Settings::Value TextValue(const QString& text)
{
    return Settings::Value{text, 0};
}

Settings::Value NumberValue(std::int32_t number)
{
    return Settings::Value{QString(), number};
}

Settings::FailureNotifier& Notifier()
{
    static Settings::FailureNotifier notifier;
    return notifier;
}

bool& FailureNoticeShown()
{
    static bool shown = false;
    return shown;
}

void ShowFailure(const QString& text)
{
    if (Notifier()) {
        Notifier()(text);
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::Information, QString::fromUtf16(kApplicationTitle), text, QMessageBox::Ok);
        box.exec();
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

constexpr qint64 kMaxSettingsFileBytes = 16 * 1024 * 1024;

QByteArray ReadSettingsFile(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxSettingsFileBytes)
        throw RunTimeError(rterr::PathFileAccessError);
    QByteArray bytes = file.read(kMaxSettingsFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxSettingsFileBytes)
        throw RunTimeError(rterr::PathFileAccessError);
    return bytes;
}

// Reads what can be read of a complete record that holds damaged entries
// (a byte above 255, a number that is not one, broken text): every entry
// line is read on its own; the names of the settings whose lines could not
// be read go to *damaged. False when the bytes are not a complete record
// at all (no start line or no end line).
bool Salvage(const QByteArray& bytes, PropertyBag* bag, QStringList* damaged)
{
    // The start and end lines of a record, taken from an empty one.
    const QList<QByteArray> frame = PropertyBag().Contents().split('\n');
    if (frame.size() < 2)
        return false;
    const QByteArray& startLine = frame[0];
    const QByteArray& endLine = frame[1];

    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (lines.isEmpty() || lines.first() != startLine)
        return false;
    const qsizetype end = lines.indexOf(endLine, 1);
    if (end < 0)
        return false;

    PropertyBag salvaged;
    for (qsizetype i = 1; i < end; ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        try {
            const PropertyBag one = PropertyBag::FromContents(startLine + '\n' + line + '\n' + endLine + '\n');
            for (const QString& name : one.Names()) {
                PropertyBag::Type type;
                one.TypeOf(name, type);
                switch (type) {
                case PropertyBag::Type::String: salvaged.WriteString(name, one.ReadString(name)); break;
                case PropertyBag::Type::Byte: salvaged.WriteByte(name, one.ReadByte(name)); break;
                case PropertyBag::Type::Integer: salvaged.WriteInteger(name, one.ReadInteger(name)); break;
                case PropertyBag::Type::Long: salvaged.WriteLong(name, one.ReadLong(name)); break;
                }
            }
        } catch (...) {
            const QString text = QString::fromUtf8(line);
            for (int id = 0; id < Settings::Count; ++id) {
                const QString name = Settings::Name(static_cast<Settings::Id>(id));
                if (text.contains(QLatin1Char(' ') + name + QLatin1Char('='), Qt::CaseInsensitive))
                    damaged->append(name);
            }
        }
    }
    *bag = std::move(salvaged);
    return true;
}

// The value of one setting as stored in the record, converted to the
// setting's type. Raises the record's conversion errors (6, 13).
Settings::Value ReadStored(const PropertyBag& bag, Settings::Id id)
{
    const QString name = Settings::Name(id);
    switch (Settings::TypeOf(id)) {
    case Settings::Type::String: return TextValue(bag.ReadString(name));
    case Settings::Type::Byte: return NumberValue(bag.ReadByte(name));
    case Settings::Type::Integer: return NumberValue(bag.ReadInteger(name));
    case Settings::Type::Long: return NumberValue(bag.ReadLong(name));
    }
    return Settings::Value();
}

void WriteStored(PropertyBag& bag, Settings::Id id, const Settings::Value& value)
{
    const QString name = Settings::Name(id);
    switch (Settings::TypeOf(id)) {
    case Settings::Type::String: bag.WriteString(name, value.text); break;
    case Settings::Type::Byte: bag.WriteByte(name, static_cast<std::uint8_t>(value.number)); break;
    case Settings::Type::Integer: bag.WriteInteger(name, static_cast<std::int16_t>(value.number)); break;
    case Settings::Type::Long: bag.WriteLong(name, value.number); break;
    }
}

// The part of a value that the setting keeps; raises 6 for a number that
// does not fit the setting's type.
Settings::Value Normalised(Settings::Id id, const Settings::Value& value)
{
    qint64 low = std::numeric_limits<std::int32_t>::min();
    qint64 high = std::numeric_limits<std::int32_t>::max();
    switch (Settings::TypeOf(id)) {
    case Settings::Type::String: return TextValue(value.text);
    case Settings::Type::Byte:
        low = 0;
        high = 255;
        break;
    case Settings::Type::Integer:
        low = std::numeric_limits<std::int16_t>::min();
        high = std::numeric_limits<std::int16_t>::max();
        break;
    case Settings::Type::Long: break;
    }
    if (value.number < low || value.number > high)
        throw RunTimeError(rterr::Overflow);
    return NumberValue(value.number);
}

} // namespace

QString Settings::Name(Id id)
{
    switch (id) {
#define VELMORA_SETTING_NAME(name, type, written, def)                                                                 \
    case name##Id: return QStringLiteral(#name);
        VELMORA_SETTINGS_TABLE(VELMORA_SETTING_NAME)
#undef VELMORA_SETTING_NAME
    case Count: break;
    }
    return QString();
}

Settings::Type Settings::TypeOf(Id id)
{
    switch (id) {
#define VELMORA_SETTING_TYPE(name, type, written, def)                                                                 \
    case name##Id: return Type::type;
        VELMORA_SETTINGS_TABLE(VELMORA_SETTING_TYPE)
#undef VELMORA_SETTING_TYPE
    case Count: break;
    }
    return Type::String;
}

namespace {
// A default in its setting's own type (the table's braces refuse one that
// does not fit).
Settings::Value DefaultOf(const QString& text)
{
    return TextValue(text);
}
Settings::Value DefaultOf(std::int32_t number)
{
    return NumberValue(number);
}

// The place of each setting in the file, by id, from the table.
constexpr std::array<int, Settings::Count> kWrittenAt = {
#define VELMORA_SETTING_WRITTEN(name, type, written, def) written,
    VELMORA_SETTINGS_TABLE(VELMORA_SETTING_WRITTEN)
#undef VELMORA_SETTING_WRITTEN
};

// True when the places are 1 to Count, each taken once.
constexpr bool IsOrderOfWriting(const std::array<int, Settings::Count>& places)
{
    std::array<bool, Settings::Count> taken{};
    for (int place : places) {
        if (place < 1 || place > Settings::Count || taken[place - 1])
            return false;
        taken[place - 1] = true;
    }
    return true;
}
static_assert(IsOrderOfWriting(kWrittenAt),
              "VELMORA_SETTINGS_TABLE: the written places must be 1 to the number of settings, each once");
} // namespace

Settings::Value Settings::Default(Id id)
{
    switch (id) {
#define VELMORA_SETTING_DEFAULT(name, type, written, def)                                                              \
    case name##Id: return DefaultOf(Settings::type##Value{def});
        VELMORA_SETTINGS_TABLE(VELMORA_SETTING_DEFAULT)
#undef VELMORA_SETTING_DEFAULT
    case Count: break;
    }
    return Value();
}

const std::array<Settings::Id, Settings::Count>& Settings::WriteOrder()
{
    static constexpr std::array<Id, Count> order = [] {
        std::array<Id, Count> ids{};
        for (int i = 0; i < Count; ++i)
            ids[kWrittenAt[i] - 1] = static_cast<Id>(i);
        return ids;
    }();
    return order;
}

QString Settings::DefaultStartupFolder()
{
    return QDir::homePath();
}

QString Settings::SettingsFolderPath()
{
    return StorageFolder() + QStringLiteral("/Settings");
}

QString Settings::SettingsFilePath()
{
    return SettingsFolderPath() + QStringLiteral("/settings.ini");
}

void Settings::SetFailureNotifier(FailureNotifier notifier)
{
    Notifier() = std::move(notifier);
    FailureNoticeShown() = false;
}

void Settings::Set(Id id, const Value& value)
{
    if (id < 0 || id >= Count)
        return;
    values_[id] = Normalised(id, value);
    SaveSettings();
}

void Settings::AssignString(Id id, const QString& value)
{
    values_[id] = TextValue(value);
    SaveSettings();
}

void Settings::AssignByte(Id id, std::uint8_t value)
{
    values_[id] = NumberValue(value);
    SaveSettings();
}

void Settings::AssignInteger(Id id, std::int16_t value)
{
    values_[id] = NumberValue(value);
    SaveSettings();
}

void Settings::AssignLong(Id id, std::int32_t value)
{
    values_[id] = NumberValue(value);
    SaveSettings();
}

bool Settings::LoadSettings()
{
    ErrorTrap trap = Trap("LoadSettings");
    try {
        trap.Line(10);
        if (StorageFolder().isEmpty())
            throw RunTimeError(rterr::PathNotFound);
        const QString folder = SettingsFolderPath();
        const QString file = SettingsFilePath();
        trap.Line(20);
        if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
            throw RunTimeError(rterr::PathFileAccessError);
        trap.Line(30);
        if (!QFileInfo::exists(file))
            return false;
        trap.Line(40);
        const QByteArray bytes = ReadSettingsFile(file);
        PropertyBag bag;
        QStringList damaged;
        try {
            bag = PropertyBag::FromContents(bytes);
        } catch (const RunTimeError& error) {
            if (error.number() != PropertyBag::InvalidFormatError || !Salvage(bytes, &bag, &damaged))
                throw;
        }
        trap.Line(50);
        // Each value is read on its own: one that does not fit its setting
        // takes the default, and the first such error is logged once with
        // the names of every setting it hit.
        std::array<Value, Count> loaded{};
        QStringList corrupt;
        long firstNumber = 0;
        QString firstDescription;
        for (int i = 0; i < Count; ++i) {
            const Id id = static_cast<Id>(i);
            try {
                if (damaged.contains(Name(id)))
                    throw RunTimeError(PropertyBag::InvalidFormatError, QStringLiteral("Invalid file format"));
                loaded[i] = ReadStored(bag, id);
                // Widths are read as every user of the list reads them.
                if (id == LastGridColWidthId && !loaded[i].text.isEmpty() && !ColumnWidthsFromList(loaded[i].text))
                    throw RunTimeError(rterr::TypeMismatch);
            } catch (...) {
                const RunTimeError error = CurrentRunTimeError();
                if (corrupt.isEmpty()) {
                    firstNumber = error.number();
                    firstDescription = error.description();
                }
                corrupt.append(Name(id));
                loaded[i] = Default(id);
            }
        }
        if (!corrupt.isEmpty()) {
            trap.Log(RunTimeError(firstNumber, firstDescription + QStringLiteral("; defaults used for ")
                                                   + corrupt.join(QStringLiteral(", "))));
        }
        trap.Line(60);
        values_ = loaded;
        trap.Line(70);
        return true;
    } catch (...) {
        trap.Log();
        return false;
    }
}

bool Settings::SaveSettings()
{
    ErrorTrap trap = Trap("SaveSettings");
    try {
        trap.Line(10);
        if (StorageFolder().isEmpty())
            throw RunTimeError(rterr::PathNotFound);
        const QString folder = SettingsFolderPath();
        const QString file = SettingsFilePath();
        trap.Line(20);
        PropertyBag bag;
        trap.Line(30);
        for (Id id : WriteOrder())
            WriteStored(bag, id, values_[id]);
        trap.Line(40);
        if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
            throw RunTimeError(rterr::PathFileAccessError);
        trap.Line(50);
        // Written whole to a new file that then takes the old one's place:
        // a failed write leaves the previous file as it was.
        bag.SaveToFile(file);
        trap.Line(60);
        return true;
    } catch (...) {
        const RunTimeError error = trap.Log();
        if (!FailureNoticeShown()) {
            FailureNoticeShown() = true;
            ShowFailure(error.description());
        }
        return false;
    }
}

void Settings::LoadDefaultSettings()
{
    for (int i = 0; i < Count; ++i)
        values_[i] = Default(static_cast<Id>(i));
    SaveSettings();
}
