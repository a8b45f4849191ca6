#pragma once
// Message boxes of both programs. With a graphical session the box is a
// modal QMessageBox; a program started without a display (no QApplication)
// writes the text to standard error instead and takes the default answer.
// Tests can install a handler that sees every box instead of showing it.

#include <QString>

#include <functional>

enum class MsgBoxIcon { None, Information, Exclamation, Critical, Question };
enum class MsgBoxButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgBoxResult { OK, Cancel, Yes, No };

// The caption every box of the system carries.
QString DefaultMsgBoxTitle();

// Shows one box and returns the button pressed. Without a display: prints
// "<title>: <text>" to standard error and returns OK, or No for the Yes/No
// kinds (a question nobody can answer is answered no).
MsgBoxResult MsgBox(const QString& text, MsgBoxIcon icon = MsgBoxIcon::Information,
                    MsgBoxButtons buttons = MsgBoxButtons::OK,
                    const QString& title = DefaultMsgBoxTitle());

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

// True when the environment offers a display for a QApplication: DISPLAY or
// WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names a platform that needs no
// window system (offscreen, minimal, ...; not xcb or wayland).
bool DisplayAvailable();
