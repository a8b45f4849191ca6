// libVelmoraCMDWindows.so: the windows of VelmoraCMD (command_line_windows.h).
// Loaded only when a run has something to show and a display may be there,
// so that the program itself never loads widgets.

#include "cli/command_line_windows.h"
#include "cli/frm_help_dialog.h"
#include "cli/mod_master.h"
#include "cli/window_system_reach.h"
#include "operations/frm_vista_err_dlg.h"
#include "platform/message_box/message_box_window.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

QApplication* g_application = nullptr; // the one this module started

MsgBoxResult ShowMessage(const MsgBoxRequest& request)
{
    return ShowMessageBoxWindow(request).value_or(MsgBoxResult::OK);
}

void ShowHelp(CommandLineState& state)
{
    frmHelpDialog dialog(state);
    dialog.exec();
}

void ShowNotice()
{
    FrmVistaErrDlg dialog;
    dialog.exec();
}

QtMessageHandler g_previousHandler = nullptr;
WindowSystemFailedFunction g_failed = nullptr;

void Close()
{
    delete g_application;
    g_application = nullptr;
    qInstallMessageHandler(g_previousHandler);
}

const CommandLineWindowsTable kWindows{&ShowMessage, &ShowHelp, &ShowNotice, &Close};

// Qt cannot go on with its window system (the display answered, yet Qt
// could not start on it, or a window cannot be made): the program reports
// instead of the window, rather than abort.
void WindowMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (g_previousHandler)
            g_previousHandler(type, context, message);
        return;
    }
    if (g_failed)
        g_failed(qPrintable(message));
    std::fprintf(stderr, "VelmoraCMD: cannot open a window: %s\n", qPrintable(message));
    std::fflush(stderr);
    std::_Exit(ExitRunError);
}

} // namespace

extern "C" __attribute__((visibility("default"))) const CommandLineWindowsTable*
VelmoraOpenCommandLineWindows(int* argc, char** argv, const QStringList& platforms, WindowSystemFailedFunction failed)
{
    if (QCoreApplication* running = QCoreApplication::instance())
        return qobject_cast<QApplication*>(running) ? &kWindows : nullptr;
    for (const QString& platform : platforms) {
        const WindowSystemProbe probe(platform);
        // Starting on another platform would change the environment that
        // the probe's attempt may still read.
        if (probe.StillWaiting())
            break;
        if (!probe.Answers())
            continue;
        // Qt starts on exactly the platform that answered.
        qputenv("QT_QPA_PLATFORM", platform.toUtf8());
        g_failed = failed;
        g_previousHandler = qInstallMessageHandler(WindowMessageHandler);
        g_application = new QApplication(*argc, argv);
        // A screen platform whose screen is not there (no frame buffer)
        // starts, but no window could be made on it.
        if (QGuiApplication::screens().isEmpty()) {
            Close();
            return nullptr;
        }
        return &kWindows;
    }
    return nullptr;
}

static_assert(std::is_same_v<decltype(&VelmoraOpenCommandLineWindows), OpenCommandLineWindowsFunction>);
