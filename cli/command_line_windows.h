#pragma once
// The windows of VelmoraCMD: message boxes, the help window and the notice
// window. They live in the module libVelmoraCMDWindows.so beside the
// program, which is loaded (with the widget and window-system libraries it
// needs) only when a run has something to show and a display may be there.
// A run without one never loads them and reports on standard error.

#include "platform/message_box/message_box.h"

#include <QStringList>

struct RunState;

// What the module offers. Its functions run on the program's thread while
// the module's application object lives.
struct CommandLineWindowsTable {
    // Shows a modal message box and returns the button pressed.
    MsgBoxResult (*ShowMessage)(const MsgBoxRequest& request);
    // Shows the help window modally (frmHelpDialog); sets
    // state.ResultMessage to "Help file is missing." when the text is.
    void (*ShowHelp)(RunState& state);
    // Shows the notice window of a failed write test modally.
    void (*ShowNotice)();
    // Ends the module's application object.
    void (*Close)();
};

// The module's entry: starts an application object on the first of
// `platforms` (entries as WindowPlatforms gives them) whose display answers
// and returns its windows; nullptr when none answers. Uses the running
// QApplication when there is one. argc and argv must outlive the module.
using OpenCommandLineWindowsFunction = const CommandLineWindowsTable* (*)(int* argc, char** argv,
                                                                         const QStringList& platforms);
inline constexpr char kOpenCommandLineWindows[] = "VelmoraOpenCommandLineWindows";
inline constexpr char kCommandLineWindowsModule[] = "libVelmoraCMDWindows.so";

// The program's arguments, handed to the application object the windows need.
void SetWindowArguments(int* argc, char** argv);

// The windows of this run, loaded on first use; nullptr when there is no
// display that answers (or the module cannot be loaded). Decided once.
const CommandLineWindowsTable* CommandLineWindows();

// Ends the windows' application object, when the windows were loaded.
void CloseCommandLineWindows();

// Shows message boxes through CommandLineWindows(), and on standard error
// while there are none.
void InstallCommandLineMessageBoxes();
