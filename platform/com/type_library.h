#pragma once
// Type information of a module: the library, its dispatch interfaces with
// their members, DISPIDs, parameter names and types, and its classes.
//
// A module publishes its library through the extra export
//   extern "C" const com::TypeLibrary* DllGetTypeLibrary();
// (kTypeLibraryExport). RegisterTypeLib writes the TypeLib and Interface
// keys of the class registry; LoadRegTypeLib finds a registered library
// through those keys, loads the module named there and copies its library.

#include "platform/com/com.h"

#include <QList>
#include <QMetaObject>
#include <QString>
#include <QUuid>

#include <cstdint>

namespace com {

// Automation types of parameters and results.
enum class VarType { Void, Bool, I2, I4, Bstr, Variant, Hresult };

// The automation type of a Qt parameter type; Void for an unknown type.
VarType VarTypeOf(QMetaType t);

struct ParamInfo {
    QString name;
    VarType type = VarType::Variant;
    friend bool operator==(const ParamInfo&, const ParamInfo&) = default;
};

struct MemberInfo {
    QString name;
    DISPID dispid = 0;
    VarType result = VarType::Void;
    QList<ParamInfo> params;
    QString helpString;
    friend bool operator==(const MemberInfo&, const MemberInfo&) = default;
};

struct InterfaceInfo {
    QString name;
    QUuid iid;
    QString helpString;
    bool hidden = false;
    QList<MemberInfo> members;
    // The member with this DISPID, or nullptr.
    const MemberInfo* FindMember(DISPID id) const;
    // The member with this name (compared without regard to case), or nullptr.
    const MemberInfo* FindMember(const QString& name) const;
    friend bool operator==(const InterfaceInfo&, const InterfaceInfo&) = default;
};

struct CoClassInfo {
    QString name;
    QUuid clsid;
    QString helpString;
    bool control = false;
    QString defaultInterface;
    QString defaultSource;
    friend bool operator==(const CoClassInfo&, const CoClassInfo&) = default;
};

struct TypeLibrary {
    QString name;
    QUuid libid;
    int major = 1;
    int minor = 0;
    std::uint32_t lcid = 0;
    QString helpFile;
    QString helpString;
    QList<InterfaceInfo> interfaces;
    QList<CoClassInfo> coclasses;
    const InterfaceInfo* FindInterface(const QString& name) const;
    const InterfaceInfo* FindInterface(const QUuid& iid) const;
    const CoClassInfo* FindCoClass(const QUuid& clsid) const;
    friend bool operator==(const TypeLibrary&, const TypeLibrary&) = default;
};

inline constexpr char kTypeLibraryExport[] = "DllGetTypeLibrary";
using DllGetTypeLibraryFn = const TypeLibrary* (*)();

// The members of a dispatch class as its meta-object declares them: every
// member that has a DISPID (class info "DISPID <n>"), in DISPID order with
// positive DISPIDs first, with parameter names and types. Help strings are
// left empty for the caller to fill in.
QList<MemberInfo> DescribeDispatchMembers(const QMetaObject& mo);

// Writes TypeLib/{libid}/<major.minor> (help string, module path for the
// library's locale, FLAGS, HELPDIR = the module's folder) and one
// Interface/{iid} key per interface. S_OK or SELFREG_E_TYPELIB.
HRESULT RegisterTypeLib(const TypeLibrary& lib, const QString& modulePath);
// Removes the keys RegisterTypeLib wrote. S_OK or SELFREG_E_TYPELIB.
HRESULT UnregisterTypeLib(const TypeLibrary& lib);

// Finds the library through the class registry and reads it from its
// module. S_OK, or TYPE_E_LIBNOTREGISTERED when it is not registered,
// its module cannot be loaded or does not hold that library.
HRESULT LoadRegTypeLib(const QUuid& libid, int major, int minor, std::uint32_t lcid, TypeLibrary& out);

} // namespace com
