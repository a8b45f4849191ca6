#pragma once
// The objects the desktop program's windows share for the whole run.
//
// Start-up (desktop_startup.h) sets them once, before the main window
// exists; the main window and the dialogs read them, and the main window
// empties CmdLineFolder once it has used it.

#include "counters/page_counter.h"
#include "desktop/core/grid_columns.h"
#include "desktop/core/settings.h"
#include "platform/com/com.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

// One outside page counter as the program holds it: the object and its
// counting interface (valid while the object is held).
struct PageCounterObject {
    com::Ptr<com::Object> object;
    counters::IPageCounter* counter = nullptr;

    bool IsCreated() const { return counter != nullptr; }
    // Counts the pages of `path`; raises run-time error 91 when the counter
    // was never created.
    com::HRESULT CountPages(const QString& path, std::int32_t& pages) const;
};

// Parent folder of the first command-line path; empty when there was no
// command line or that folder does not exist.
extern QString CmdLineFolder;
// Every command-line path in order; set only together with CmdLineFolder.
extern QStringList CmdLineFiles;
// The storage folder with a trailing "/".
extern QString StorageFolderWithSeparator;
// The settings store: made and loaded by start-up, which owns it here;
// everything else reaches it through TheSettings().
extern std::unique_ptr<Settings> objSettings;
extern std::unique_ptr<GridColumns> objGridColumns;
// Entry 0 is the one filter pattern list, "*.tif,*.tiff".
extern QStringList FilterPatterns;
extern PageCounterObject PdfPageCounter;
extern PageCounterObject TiffPageCounter;

// The settings store of the run, the one way to read and assign settings;
// raises run-time error 91 when start-up made none.
Settings& TheSettings();
// The column catalogue of the run; raises run-time error 91 when start-up
// made none.
GridColumns& TheGridColumns();

// Empties all of the above (tests start each run afresh).
void ResetProgramObjects();
