#pragma once
// Message boxes of both programs. A program that can show windows installs
// a presenter (the desktop shows a modal QMessageBox, the command-line
// program loads its windows only when a display is there); without one, or
// when the presenter cannot show the box, the text goes to standard error
// and the default answer is taken. Tests can install a handler that sees
// every box instead.

#include <QString>

#include <functional>
#include <optional>

enum class MsgBoxIcon { None, Information, Exclamation, Critical, Question };
enum class MsgBoxButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgBoxResult { OK, Cancel, Yes, No };

// The caption every box of the system carries.
QString DefaultMsgBoxTitle();

// Shows one box and returns the button pressed. Without a presenter that
// shows it: prints "<title>: <text>" to standard error and returns OK, or No
// for the Yes/No kinds (a question nobody can answer is answered no).
MsgBoxResult MsgBox(const QString& text, MsgBoxIcon icon = MsgBoxIcon::Information,
                    MsgBoxButtons buttons = MsgBoxButtons::OK, const QString& title = DefaultMsgBoxTitle());

struct MsgBoxRequest {
    QString text;
    MsgBoxIcon icon;
    MsgBoxButtons buttons;
    QString title;
};
using MsgBoxHandler = std::function<MsgBoxResult(const MsgBoxRequest&)>;

// Routes every box to `handler` (tests); an empty handler restores the
// normal behaviour.
void SetMsgBoxHandler(MsgBoxHandler handler);

// Shows a box on screen; nothing when it cannot (no display), and the box
// then goes to standard error.
using MsgBoxPresenter = std::function<std::optional<MsgBoxResult>(const MsgBoxRequest&)>;

// Installs the program's presenter; an empty one leaves every box to
// standard error.
void SetMsgBoxPresenter(MsgBoxPresenter presenter);

// "<title>: <text>" as a stream takes it (UTF-8): the lines of the text
// end in LF, the last one included, with no empty line after it.
QByteArray MsgBoxStreamText(const QString& title, const QString& text);

// Writes MsgBoxStreamText to standard error.
void WriteMsgBoxText(const QString& title, const QString& text);

// True when the environment offers a display for a QApplication: DISPLAY or
// WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names a platform that needs no
// window system (offscreen, minimal, ...; not xcb or wayland).
bool DisplayAvailable();
