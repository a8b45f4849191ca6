#include "platform/com/version_record.h"

#include <QLibrary>

namespace com {

std::optional<QString> VersionRecord::Entry(const QString& name) const
{
    for (const auto& [key, value] : entries)
        if (key == name)
            return value;
    return std::nullopt;
}

std::optional<VersionRecord> ReadVersionRecord(const QString& modulePath)
{
    QLibrary* module = nullptr;
    if (Failed(LoadModule(modulePath, module)))
        return std::nullopt;
    auto get = reinterpret_cast<DllGetVersionRecordFn>(module->resolve(kVersionRecordExport));
    const VersionRecord* record = get ? get() : nullptr;
    if (!record)
        return std::nullopt;
    return *record;
}

} // namespace com
