#include "engine/control/stavren_version_record.h"

#include "engine/control/stavren_ids.h"

namespace {

com::VersionRecord Build()
{
    com::VersionRecord r;
    r.fileVersion = {1, 0, 0, 1};
    r.productVersion = {1, 0, 0, 1};
    r.language = 0x0409;
    r.codePage = 1200;
    r.entries = {
        {QStringLiteral("CompanyName"), QString::fromLatin1(stavren_ids::kCompanyName)},
        {QStringLiteral("FileDescription"), QStringLiteral("Stavren ActiveX Control ")},
        {QStringLiteral("FileVersion"), QStringLiteral("1, 0, 0, 1")},
        {QStringLiteral("InternalName"), QStringLiteral("Stavren")},
        {QStringLiteral("LegalCopyright"), QString::fromLatin1(stavren_ids::kMakerNotice)},
        {QStringLiteral("OriginalFilename"), QStringLiteral("Stavren.OCX")},
        {QStringLiteral("ProductName"), QStringLiteral("Stavren ActiveX Control")},
        {QStringLiteral("ProductVersion"), QStringLiteral("1, 0, 0, 1")},
        {QStringLiteral("OLESelfRegister"), QString()},
    };
    return r;
}

} // namespace

const com::VersionRecord& StavrenVersionRecord()
{
    static const com::VersionRecord record = Build();
    return record;
}
