#pragma once
// The version record of a module: numeric file and product versions and the
// named text entries (FileDescription, ProductName, ...), for one language
// and code page. A module publishes it through the extra export
//   extern "C" const com::VersionRecord* DllGetVersionRecord();
// (kVersionRecordExport); ReadVersionRecord loads a module and copies it.

#include "platform/com/com.h"

#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace com {

struct VersionRecord {
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint16_t language = 0x0409; // US English
    std::uint16_t codePage = 1200;   // Unicode
    // Named entries in record order; an entry may have an empty value.
    QList<QPair<QString, QString>> entries;

    // The value of an entry, or nullopt when the record has no such entry.
    std::optional<QString> Entry(const QString& name) const;
};

inline constexpr char kVersionRecordExport[] = "DllGetVersionRecord";
using DllGetVersionRecordFn = const VersionRecord* (*)();

// The version record of the module at path; nullopt when the module cannot
// be loaded or publishes none.
std::optional<VersionRecord> ReadVersionRecord(const QString& modulePath);

} // namespace com
