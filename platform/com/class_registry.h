#pragma once
// The per-user class registry: the keys an in-process server registration
// writes, kept in an INI file under the generic config location
// ("Ostrana Technologies/classes.ini").
//
// A registry key is a "/"-separated path ("CLSID/{...}/InprocServer32").
// A key has an unnamed default value (name "") and named values. Every call
// opens the file afresh, so a change of XDG_CONFIG_HOME takes effect at once.
// In the file a key is a group: its default value is the entry "@", each
// named value an entry of its own ("ThreadingModel"), and an empty key
// ("Control") holds an "@" entry without a value. ProgIDs are matched
// without regard to case.
//
// Layout, as a registration writes it:
//   <ProgID>                      = user type name
//   <ProgID>/CLSID                = {clsid}
//   CLSID/{clsid}                 = user type name
//   CLSID/{clsid}/ProgID          = <ProgID>
//   CLSID/{clsid}/InprocServer32  = module path, value ThreadingModel
//   CLSID/{clsid}/Control         (empty key)
//   CLSID/{clsid}/ToolboxBitmap32 = "<module path>, <bitmap id>"
//   CLSID/{clsid}/MiscStatus      = "0", subkey 1 = misc status in decimal
//   CLSID/{clsid}/TypeLib         = {libid}
//   CLSID/{clsid}/Version         = "1.0"
//   TypeLib/{libid}/<major.minor> = library help string
//   TypeLib/{libid}/<major.minor>/<lcid>/linux = module path
//   TypeLib/{libid}/<major.minor>/FLAGS, HELPDIR
//   Interface/{iid}               = interface name, subkey TypeLib = {libid}, value Version

#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include <cstdint>
#include <optional>

namespace com {

// A class identifier in registry form: "{XXXXXXXX-XXXX-...}" in upper case.
QString GuidString(const QUuid& id);

class ClassRegistry {
public:
    // Full path of the registry file for the current user.
    static QString FilePath();

    // ---- raw access --------------------------------------------------------
    // Writes a value (name "" is the key's default value); creates the key.
    static bool SetValue(const QString& key, const QString& name, const QString& value);
    // The value, or nullopt when the key or value does not exist.
    static std::optional<QString> Value(const QString& key, const QString& name = {});
    static bool KeyExists(const QString& key);
    // Removes a key with its values and subkeys. True also when it is absent.
    static bool RemoveKey(const QString& key);
    // Names of the direct subkeys of key.
    static QStringList SubKeys(const QString& key);
    // Every key/value of the file as "key|name=value" lines, sorted: a
    // snapshot for comparing registry states.
    static QStringList Dump();

    // ---- classes -----------------------------------------------------------
    struct ClassEntry {
        QUuid clsid;
        QString userTypeName;
        QString progId;         // empty: no ProgID keys
        QString modulePath;     // InprocServer32 default value
        QString threadingModel; // empty: no ThreadingModel value
        bool control = false;   // writes Control, ToolboxBitmap32, MiscStatus
        int toolboxBitmapId = 1;
        std::uint32_t miscStatus = 0;
        QUuid typeLib;   // null: no TypeLib key
        QString version; // empty: no Version key
    };
    // Writes the class keys (and the ProgID keys when a ProgID is given).
    static bool RegisterClass(const ClassEntry& entry);
    // Removes CLSID/{clsid} and, when given, the ProgID key.
    static bool UnregisterClass(const QUuid& clsid, const QString& progId = {});
    // What the registry holds for a class (only fields that are present).
    static std::optional<ClassEntry> FindClass(const QUuid& clsid);
    // The CLSID a ProgID names; null when unknown or malformed.
    static QUuid ClsidFromProgId(const QString& progId);
    // The module of a class (CLSID/{clsid}/InprocServer32); empty when absent.
    static QString InprocServer(const QUuid& clsid);

    // ---- type libraries ----------------------------------------------------
    static QString VersionKey(int major, int minor); // "1.0"
    static bool RegisterTypeLibKeys(const QUuid& libid, int major, int minor, std::uint32_t lcid,
                                    const QString& helpString, const QString& modulePath, const QString& helpDir);
    static bool UnregisterTypeLibKeys(const QUuid& libid, int major, int minor);
    // The module holding a registered type library; empty when absent.
    // A library registered for locale 0 serves every locale.
    static QString TypeLibPath(const QUuid& libid, int major, int minor, std::uint32_t lcid = 0);
};

} // namespace com
