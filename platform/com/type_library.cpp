#include "platform/com/type_library.h"

#include "platform/com/class_registry.h"

#include <QFileInfo>
#include <QLibrary>
#include <QMetaMethod>

#include <algorithm>

namespace com {

VarType VarTypeOf(QMetaType t)
{
    switch (t.id()) {
    case QMetaType::Bool: return VarType::Bool;
    case QMetaType::Short: return VarType::I2;
    case QMetaType::Int: return VarType::I4;
    case QMetaType::QString: return VarType::Bstr;
    case QMetaType::QVariant: return VarType::Variant;
    default: return VarType::Void;
    }
}

const MemberInfo* InterfaceInfo::FindMember(DISPID id) const
{
    for (const MemberInfo& m : members)
        if (m.dispid == id)
            return &m;
    return nullptr;
}

const MemberInfo* InterfaceInfo::FindMember(const QString& n) const
{
    for (const MemberInfo& m : members)
        if (m.name.compare(n, Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

const InterfaceInfo* TypeLibrary::FindInterface(const QString& n) const
{
    for (const InterfaceInfo& i : interfaces)
        if (i.name.compare(n, Qt::CaseInsensitive) == 0)
            return &i;
    return nullptr;
}

const InterfaceInfo* TypeLibrary::FindInterface(const QUuid& iid) const
{
    for (const InterfaceInfo& i : interfaces)
        if (i.iid == iid)
            return &i;
    return nullptr;
}

const CoClassInfo* TypeLibrary::FindCoClass(const QUuid& clsid) const
{
    for (const CoClassInfo& c : coclasses)
        if (c.clsid == clsid)
            return &c;
    return nullptr;
}

QList<MemberInfo> DescribeDispatchMembers(const QMetaObject& mo)
{
    QList<MemberInfo> members;
    for (int i = 0; i < mo.classInfoCount(); ++i) {
        const QMetaClassInfo ci = mo.classInfo(i);
        const QByteArray key = ci.name();
        if (!key.startsWith("DISPID "))
            continue;
        bool ok = false;
        const DISPID id = key.mid(7).toInt(&ok);
        if (!ok)
            continue;
        for (int m = Object::staticMetaObject.methodCount(); m < mo.methodCount(); ++m) {
            const QMetaMethod method = mo.method(m);
            if (method.name() != ci.value())
                continue;
            MemberInfo info;
            info.name = QString::fromLatin1(method.name());
            info.dispid = id;
            info.result = VarTypeOf(method.returnMetaType());
            const QList<QByteArray> names = method.parameterNames();
            for (int p = 0; p < method.parameterCount(); ++p)
                info.params.append({QString::fromLatin1(names.value(p)), VarTypeOf(method.parameterMetaType(p))});
            members.append(info);
            break;
        }
    }
    std::stable_sort(members.begin(), members.end(), [](const MemberInfo& a, const MemberInfo& b) {
        // Positive identifiers first, in order; the reserved negative ones after.
        if ((a.dispid < 0) != (b.dispid < 0))
            return a.dispid > 0;
        return a.dispid < b.dispid;
    });
    return members;
}

HRESULT RegisterTypeLib(const TypeLibrary& lib, const QString& modulePath)
{
    if (lib.libid.isNull() || modulePath.isEmpty())
        return SELFREG_E_TYPELIB;
    const QString helpDir = QFileInfo(modulePath).absolutePath();
    if (!ClassRegistry::RegisterTypeLibKeys(lib.libid, lib.major, lib.minor, lib.lcid, lib.helpString, modulePath,
                                            helpDir))
        return SELFREG_E_TYPELIB;
    const QString version = ClassRegistry::VersionKey(lib.major, lib.minor);
    for (const InterfaceInfo& i : lib.interfaces) {
        const QString key = QStringLiteral("Interface/") + GuidString(i.iid);
        if (!ClassRegistry::SetValue(key, {}, i.name)
            || !ClassRegistry::SetValue(key + QStringLiteral("/TypeLib"), {}, GuidString(lib.libid))
            || !ClassRegistry::SetValue(key + QStringLiteral("/TypeLib"), QStringLiteral("Version"), version))
            return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

HRESULT UnregisterTypeLib(const TypeLibrary& lib)
{
    if (lib.libid.isNull())
        return SELFREG_E_TYPELIB;
    if (!ClassRegistry::UnregisterTypeLibKeys(lib.libid, lib.major, lib.minor))
        return SELFREG_E_TYPELIB;
    for (const InterfaceInfo& i : lib.interfaces) {
        if (!ClassRegistry::RemoveKey(QStringLiteral("Interface/") + GuidString(i.iid)))
            return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

HRESULT LoadRegTypeLib(const QUuid& libid, int major, int minor, std::uint32_t lcid, TypeLibrary& out)
{
    const QString path = ClassRegistry::TypeLibPath(libid, major, minor, lcid);
    if (path.isEmpty())
        return TYPE_E_LIBNOTREGISTERED;
    QLibrary* module = nullptr;
    if (Failed(LoadModule(path, module)))
        return TYPE_E_LIBNOTREGISTERED;
    auto get = reinterpret_cast<DllGetTypeLibraryFn>(module->resolve(kTypeLibraryExport));
    const TypeLibrary* lib = get ? get() : nullptr;
    if (!lib || lib->libid != libid || lib->major != major || lib->minor != minor)
        return TYPE_E_LIBNOTREGISTERED;
    out = *lib;
    return S_OK;
}

} // namespace com
