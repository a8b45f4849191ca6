#pragma once
// modMasterLayout: the desktop program's start-up and the objects that live
// for the whole run.
//
// Main runs before any window exists, in this order: command line, storage
// folder, write test, settings (or the first-run window and the defaults),
// column catalogue and saved widths, filter patterns, the two page counters,
// and finally the main window, shown modeless. After that everything
// happens in the windows' event handlers.
//
// The run-wide state below is set once by Main (or ValidateCmdLine) and read
// by the main window and the dialogs; the main window empties CmdLineFolder
// once it has used it.

#include "desktop/main/grid_columns.h"
#include "desktop/main/settings.h"
#include "platform/com/com.h"
#include "platform/counters/page_counter.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <memory>

class QWidget;
class frmMain;

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
extern std::unique_ptr<Settings> objSettings;
extern std::unique_ptr<GridColumns> objGridColumns;
// Entry 0 is the one filter pattern list, "*.tif,*.tiff".
extern QStringList FilterPatterns;
extern PageCounterObject PdfPageCounter;
extern PageCounterObject TiffPageCounter;

// What start-up came to.
enum class StartupOutcome {
    NoStorageFolder,  // the storage folder could not be found or created
    NoWindow,         // ended before any window on an error (logged)
    NoticeShown,      // the write test failed; ended behind the notice window
    MainWindowShown,  // the main window is up
};

// The program's entry procedure. `commandLine` is the argument text after
// the program name. Modal windows go through RunModal (modal_runner.h).
StartupOutcome Main(const QString& commandLine);

// The main window Main created, while it lives; nullptr otherwise.
frmMain* MainWindow();

// True when it recorded a start folder and file list from the command line
// (paths joined by "|"; only the first path's folder decides).
bool ValidateCmdLine(QString& commandLine);

// The parent folder name of a path, as text: everything before the last
// "/" ("/" itself for a file in the root); empty when there is none.
QString ParentFolderName(const QString& path);

// Builds the column catalogue and applies a saved width list ("w1,w2,...")
// when it holds exactly one column width (column_width.h) per column;
// otherwise the columns keep their built-in widths and the result is false.
// A stored list never stops start-up.
bool BuildGridColumns(GridColumns& columns, const QString& savedWidths);

// Creates the two outside page counters, the PDF counter first. Raises
// run-time error 429 when a counter is not registered.
void CreatePageCounters();

// Empties all run-wide state (tests start each run afresh).
void ResetStartupState();

// Takes a window and does nothing; the main window calls it as it loads.
void FormLoadHook(QWidget* form);

// The command line as the program got it: the arguments after the program
// name joined by blanks.
QString CommandLineText(int argc, char** argv);
