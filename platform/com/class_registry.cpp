#include "platform/com/class_registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace com {

namespace {

// The name under which a key's default value is stored.
constexpr QLatin1StringView kDefault{"@"};

QString Clean(const QString& key)
{
    QString k = key;
    while (k.endsWith(u'/'))
        k.chop(1);
    while (k.startsWith(u'/'))
        k.remove(0, 1);
    return k;
}

QString ValueKey(const QString& key, const QString& name)
{
    return Clean(key) + u'/' + (name.isEmpty() ? QString(kDefault) : name);
}

bool Finish(QSettings& s)
{
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace

QString GuidString(const QUuid& id)
{
    return id.toString(QUuid::WithBraces).toUpper();
}

QString ClassRegistry::FilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Ostrana Technologies/classes.ini");
}

bool ClassRegistry::SetValue(const QString& key, const QString& name, const QString& value)
{
    QSettings s(FilePath(), QSettings::IniFormat);
    s.setValue(ValueKey(key, name), value);
    return Finish(s);
}

std::optional<QString> ClassRegistry::Value(const QString& key, const QString& name)
{
    QSettings s(FilePath(), QSettings::IniFormat);
    const QVariant v = s.value(ValueKey(key, name));
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

bool ClassRegistry::KeyExists(const QString& key)
{
    QSettings s(FilePath(), QSettings::IniFormat);
    s.beginGroup(Clean(key));
    return !s.allKeys().isEmpty();
}

bool ClassRegistry::RemoveKey(const QString& key)
{
    const QString k = Clean(key);
    if (k.isEmpty())
        return false;
    QSettings s(FilePath(), QSettings::IniFormat);
    s.remove(k);
    return Finish(s);
}

QStringList ClassRegistry::SubKeys(const QString& key)
{
    QSettings s(FilePath(), QSettings::IniFormat);
    const QString k = Clean(key);
    if (!k.isEmpty())
        s.beginGroup(k);
    return s.childGroups();
}

QStringList ClassRegistry::Dump()
{
    QSettings s(FilePath(), QSettings::IniFormat);
    QStringList lines;
    for (const QString& k : s.allKeys()) {
        const int slash = k.lastIndexOf(u'/');
        const QString key = slash < 0 ? QString() : k.left(slash);
        QString name = slash < 0 ? k : k.mid(slash + 1);
        if (name == kDefault)
            name.clear();
        const QVariant v = s.value(k);
        lines << key + u'|' + name + u'=' + (v.isValid() ? v.toString() : QStringLiteral("<none>"));
    }
    lines.sort();
    return lines;
}

bool ClassRegistry::RegisterClass(const ClassEntry& e)
{
    if (e.clsid.isNull())
        return false;
    const QString cls = QStringLiteral("CLSID/") + GuidString(e.clsid);
    QSettings s(FilePath(), QSettings::IniFormat);
    auto set = [&s](const QString& key, const QString& name, const QVariant& value) {
        s.setValue(ValueKey(key, name), value);
    };
    if (!e.progId.isEmpty()) {
        set(e.progId, {}, e.userTypeName);
        set(e.progId + QStringLiteral("/CLSID"), {}, GuidString(e.clsid));
    }
    set(cls, {}, e.userTypeName);
    if (!e.progId.isEmpty())
        set(cls + QStringLiteral("/ProgID"), {}, e.progId);
    set(cls + QStringLiteral("/InprocServer32"), {}, e.modulePath);
    if (!e.threadingModel.isEmpty())
        set(cls + QStringLiteral("/InprocServer32"), QStringLiteral("ThreadingModel"), e.threadingModel);
    if (e.control) {
        if (!s.contains(ValueKey(cls + QStringLiteral("/Control"), {})))
            set(cls + QStringLiteral("/Control"), {}, QVariant());
        set(cls + QStringLiteral("/ToolboxBitmap32"), {},
            e.modulePath + QStringLiteral(", ") + QString::number(e.toolboxBitmapId));
        set(cls + QStringLiteral("/MiscStatus"), {}, QStringLiteral("0"));
        set(cls + QStringLiteral("/MiscStatus/1"), {}, QString::number(e.miscStatus));
    }
    if (!e.typeLib.isNull())
        set(cls + QStringLiteral("/TypeLib"), {}, GuidString(e.typeLib));
    if (!e.version.isEmpty())
        set(cls + QStringLiteral("/Version"), {}, e.version);
    return Finish(s);
}

bool ClassRegistry::UnregisterClass(const QUuid& clsid, const QString& progId)
{
    if (clsid.isNull())
        return false;
    QSettings s(FilePath(), QSettings::IniFormat);
    s.remove(QStringLiteral("CLSID/") + GuidString(clsid));
    const QString p = Clean(progId);
    if (!p.isEmpty())
        s.remove(p);
    return Finish(s);
}

std::optional<ClassRegistry::ClassEntry> ClassRegistry::FindClass(const QUuid& clsid)
{
    const QString cls = QStringLiteral("CLSID/") + GuidString(clsid);
    if (clsid.isNull() || !KeyExists(cls))
        return std::nullopt;
    ClassEntry e;
    e.clsid = clsid;
    e.userTypeName = Value(cls).value_or(QString());
    e.progId = Value(cls + QStringLiteral("/ProgID")).value_or(QString());
    e.modulePath = Value(cls + QStringLiteral("/InprocServer32")).value_or(QString());
    e.threadingModel =
        Value(cls + QStringLiteral("/InprocServer32"), QStringLiteral("ThreadingModel")).value_or(QString());
    e.control = KeyExists(cls + QStringLiteral("/Control"));
    const QString bitmap = Value(cls + QStringLiteral("/ToolboxBitmap32")).value_or(QString());
    const int comma = bitmap.lastIndexOf(u',');
    if (comma >= 0)
        e.toolboxBitmapId = bitmap.mid(comma + 1).trimmed().toInt();
    e.miscStatus = Value(cls + QStringLiteral("/MiscStatus/1")).value_or(QString()).toUInt();
    e.typeLib = QUuid::fromString(Value(cls + QStringLiteral("/TypeLib")).value_or(QString()));
    e.version = Value(cls + QStringLiteral("/Version")).value_or(QString());
    return e;
}

QUuid ClassRegistry::ClsidFromProgId(const QString& progId)
{
    const QString p = Clean(progId);
    if (p.isEmpty() || p.contains(u'/') || p.compare(QLatin1String("CLSID"), Qt::CaseInsensitive) == 0
        || p.compare(QLatin1String("TypeLib"), Qt::CaseInsensitive) == 0
        || p.compare(QLatin1String("Interface"), Qt::CaseInsensitive) == 0)
        return {};
    QSettings s(FilePath(), QSettings::IniFormat);
    QString key = p;
    if (!s.contains(ValueKey(key + QStringLiteral("/CLSID"), {}))) {
        // ProgIDs are matched without regard to case.
        key.clear();
        for (const QString& g : s.childGroups()) {
            if (g.compare(p, Qt::CaseInsensitive) == 0) {
                key = g;
                break;
            }
        }
        if (key.isEmpty())
            return {};
    }
    return QUuid::fromString(s.value(ValueKey(key + QStringLiteral("/CLSID"), {})).toString());
}

QString ClassRegistry::InprocServer(const QUuid& clsid)
{
    if (clsid.isNull())
        return {};
    return Value(QStringLiteral("CLSID/") + GuidString(clsid) + QStringLiteral("/InprocServer32")).value_or(QString());
}

QString ClassRegistry::VersionKey(int major, int minor)
{
    return QString::number(major) + u'.' + QString::number(minor);
}

bool ClassRegistry::RegisterTypeLibKeys(const QUuid& libid, int major, int minor, std::uint32_t lcid,
                                        const QString& helpString, const QString& modulePath, const QString& helpDir)
{
    if (libid.isNull())
        return false;
    const QString ver = QStringLiteral("TypeLib/") + GuidString(libid) + u'/' + VersionKey(major, minor);
    QSettings s(FilePath(), QSettings::IniFormat);
    s.setValue(ValueKey(ver, {}), helpString);
    s.setValue(ValueKey(ver + u'/' + QString::number(lcid, 16) + QStringLiteral("/linux"), {}), modulePath);
    s.setValue(ValueKey(ver + QStringLiteral("/FLAGS"), {}), QStringLiteral("0"));
    s.setValue(ValueKey(ver + QStringLiteral("/HELPDIR"), {}), helpDir);
    return Finish(s);
}

bool ClassRegistry::UnregisterTypeLibKeys(const QUuid& libid, int major, int minor)
{
    if (libid.isNull())
        return false;
    const QString lib = QStringLiteral("TypeLib/") + GuidString(libid);
    QSettings s(FilePath(), QSettings::IniFormat);
    s.remove(lib + u'/' + VersionKey(major, minor));
    s.beginGroup(lib);
    const bool empty = s.allKeys().isEmpty();
    s.endGroup();
    if (empty)
        s.remove(lib);
    return Finish(s);
}

QString ClassRegistry::TypeLibPath(const QUuid& libid, int major, int minor, std::uint32_t lcid)
{
    if (libid.isNull())
        return {};
    const QString ver = QStringLiteral("TypeLib/") + GuidString(libid) + u'/' + VersionKey(major, minor);
    for (std::uint32_t l : {lcid, std::uint32_t(0)}) {
        const auto p = Value(ver + u'/' + QString::number(l, 16) + QStringLiteral("/linux"));
        if (p && !p->isEmpty())
            return *p;
    }
    return {};
}

} // namespace com
