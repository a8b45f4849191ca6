#pragma once
// modMasterLayout: the desktop program's start-up, which sets the objects
// that live for the whole run (program_objects.h).
//
// Main runs before any window exists, in this order: command line, storage
// folder, write test, settings (or the first-run window and the defaults),
// column catalogue and saved widths, filter patterns, the two page counters,
// and finally the main window, shown modeless. After that everything
// happens in the windows' event handlers.

#include "desktop/core/program_objects.h"

#include <QString>

class QWidget;
class frmMain;

// What start-up came to.
enum class StartupOutcome {
    NoStorageFolder, // the storage folder could not be found or created
    NoWindow,        // ended before any window on an error (logged)
    NoticeShown,     // the write test failed; ended behind the notice window
    MainWindowShown, // the main window is up
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

// Closes the main window and empties all run-wide state (tests start each
// run afresh).
void ResetStartupState();

// Takes a window and does nothing; the main window calls it as it loads.
void FormLoadHook(QWidget* form);

// The command line as the program got it: the arguments after the program
// name joined by blanks.
QString CommandLineText(int argc, char** argv);
