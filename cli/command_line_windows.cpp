#include "cli/command_line_windows.h"

#include "cli/program_folder.h"
#include "cli/window_platforms.h"

#include <QFile>

#include <dlfcn.h>

namespace {

int* g_argc = nullptr;
char** g_argv = nullptr;
bool g_tried = false;
const CommandLineWindowsTable* g_windows = nullptr;

const CommandLineWindowsTable* LoadWindows()
{
    const QStringList platforms = WindowPlatforms();
    if (platforms.isEmpty() || !g_argc)
        return nullptr;
    const QByteArray module = QFile::encodeName(ProgramFolder() + QLatin1Char('/')
                                                + QLatin1String(kCommandLineWindowsModule));
    void* handle = dlopen(module.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    const auto open = reinterpret_cast<OpenCommandLineWindowsFunction>(dlsym(handle, kOpenCommandLineWindows));
    return open ? open(g_argc, g_argv, platforms) : nullptr;
}

} // namespace

void SetWindowArguments(int* argc, char** argv)
{
    g_argc = argc;
    g_argv = argv;
}

const CommandLineWindowsTable* CommandLineWindows()
{
    if (!g_tried) {
        g_tried = true;
        g_windows = LoadWindows();
    }
    return g_windows;
}

void CloseCommandLineWindows()
{
    if (g_windows)
        g_windows->Close();
    g_windows = nullptr;
}

void InstallCommandLineMessageBoxes()
{
    SetMsgBoxPresenter([](const MsgBoxRequest& request) -> std::optional<MsgBoxResult> {
        if (const CommandLineWindowsTable* windows = CommandLineWindows())
            return windows->ShowMessage(request);
        return std::nullopt;
    });
}
