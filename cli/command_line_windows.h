#pragma once
// The windows of VelmoraCMD: message boxes, the help window and the notice
// window. They live in the module libVelmoraCMDWindows.so beside the
// program, which is loaded (with the widget and window-system libraries it
// needs) only when a run has something to show and a display may be there.
// A run without one never loads them and reports on standard error.
//
// Every window stands in for a report on a standard stream. Qt ends the
// process itself when its window system fails under it (it cannot start on
// a screen, or the X server goes away while a window is up); the report
// then still reaches its stream, and the process ends with the status the
// run has earned.

#include "platform/message_box/message_box.h"

#include <QByteArray>
#include <QStringList>

#include <cstdio>

struct CommandLineState;

// What the module offers. Its functions run on the program's thread while
// the module's application object lives.
struct CommandLineWindowsTable {
    // Shows a modal message box and returns the button pressed.
    MsgBoxResult (*ShowMessage)(const MsgBoxRequest& request);
    // Shows the help window modally (frmHelpDialog); sets
    // state.ResultMessage to "Help file is missing." when the text is.
    void (*ShowHelp)(CommandLineState& state);
    // Shows the notice window of a failed write test modally.
    void (*ShowNotice)();
    // Ends the module's application object.
    void (*Close)();
};

// Called by the module when Qt cannot go on with its window system (a fatal
// message, with its text): ends the process.
using WindowSystemFailedFunction = void (*)(const char* reason);

// The module's entry: starts an application object on the first of
// `platforms` (entries as WindowPlatforms gives them) whose display answers
// and that has a screen, and returns its windows; nullptr when none does.
// Uses the running QApplication when there is one. argc and argv must
// outlive the module. `failed` (when given) is called should Qt fail fatally
// while the application object lives.
using OpenCommandLineWindowsFunction = const CommandLineWindowsTable* (*)(int* argc, char** argv,
                                                                          const QStringList& platforms,
                                                                          WindowSystemFailedFunction failed);
inline constexpr char kOpenCommandLineWindows[] = "VelmoraOpenCommandLineWindows";
inline constexpr char kCommandLineWindowsModule[] = "libVelmoraCMDWindows.so";

// The program's arguments, handed to the application object the windows need.
void SetWindowArguments(int* argc, char** argv);

// The windows of this run, loaded on first use; nullptr when there is no
// display that answers (or the module cannot be loaded). Decided once.
const CommandLineWindowsTable* CommandLineWindows();

// Ends the windows' application object, when the windows were loaded.
void CloseCommandLineWindows();

// A report as a standard stream carries it.
struct StreamReport {
    std::FILE* stream;
    QByteArray text;
};

// Writes the report to its stream at once; false when not all of it got
// there (a full disk, a closed pipe).
bool WriteReport(const StreamReport& report);

// The exit status the run has earned by the time it reports (its result, a
// refused command line, the help); it ends the process should the window
// that shows the report fail. Until set: 3, the run stopped.
void SetReportedExitStatus(int status);

// Shows the help window, or the notice window, with `standIn` as the report
// it stands for. False when there is no display (nothing is written).
bool ShowHelpWindow(CommandLineState& state, const StreamReport& standIn);
bool ShowNoticeWindow(const StreamReport& standIn);

// Shows message boxes through CommandLineWindows(), and on standard error
// while there are none.
void InstallCommandLineMessageBoxes();
