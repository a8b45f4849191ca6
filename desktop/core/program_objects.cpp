#include "desktop/core/program_objects.h"

#include "platform/runtime/run_time_error.h"

QString CmdLineFolder;
QStringList CmdLineFiles;
QString StorageFolderWithSeparator;
std::unique_ptr<Settings> objSettings;
std::unique_ptr<GridColumns> objGridColumns;
QStringList FilterPatterns{QString()};
PageCounterObject PdfPageCounter;
PageCounterObject TiffPageCounter;

com::HRESULT PageCounterObject::CountPages(const QString& path, std::int32_t& pages) const
{
    if (!counter)
        throw RunTimeError(rterr::ObjectNotSet);
    return counter->CountPages(path, pages);
}

Settings& TheSettings()
{
    if (!objSettings)
        throw RunTimeError(rterr::ObjectNotSet);
    return *objSettings;
}

GridColumns& TheGridColumns()
{
    if (!objGridColumns)
        throw RunTimeError(rterr::ObjectNotSet);
    return *objGridColumns;
}

void ResetProgramObjects()
{
    CmdLineFolder.clear();
    CmdLineFiles.clear();
    StorageFolderWithSeparator.clear();
    objSettings.reset();
    objGridColumns.reset();
    FilterPatterns = QStringList{QString()};
    PdfPageCounter = PageCounterObject();
    TiffPageCounter = PageCounterObject();
}
