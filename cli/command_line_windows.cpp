#include "cli/command_line_windows.h"

#include "cli/mod_master.h"
#include "cli/program_folder.h"
#include "cli/window_platforms.h"

#include <QFile>

#include <cstdlib>

#include <dlfcn.h>
#include <unistd.h>

namespace {

int* g_argc = nullptr;
char** g_argv = nullptr;
bool g_tried = false;
const CommandLineWindowsTable* g_windows = nullptr;
int g_reportedStatus = ExitRunError;

// The report the window on screen stands for. Read while the process ends,
// so it is never destroyed.
struct PendingReport {
    bool active = false;
    StreamReport report{stderr, {}};
    int status = ExitRunError;
};
PendingReport& Pending()
{
    static PendingReport* pending = new PendingReport;
    return *pending;
}

// Writes the pending report and ends the process with the run's status.
[[noreturn]] void EndWithPendingReport()
{
    const PendingReport& pending = Pending();
    std::fflush(stdout);
    if (pending.active)
        WriteReport(pending.report);
    ::_exit(pending.active ? pending.status : ExitRunError);
}

void WindowSystemFailed(const char* reason)
{
    std::fprintf(stderr, "VelmoraCMD: cannot open a window: %s\n", reason);
    EndWithPendingReport();
}

// Qt ends the process with exit() when the X server goes away under a
// window.
void EndedWhileAWindowIsUp()
{
    if (Pending().active)
        EndWithPendingReport();
}

// Marks the report that the window shown meanwhile stands for.
class StandIn {
public:
    explicit StandIn(const StreamReport& report) : previous_(Pending())
    {
        Pending() = PendingReport{true, report, g_reportedStatus};
    }
    ~StandIn() { Pending() = previous_; }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

private:
    PendingReport previous_;
};

const CommandLineWindowsTable* LoadWindows()
{
    const QStringList platforms = WindowPlatforms();
    if (platforms.isEmpty() || !g_argc)
        return nullptr;
    std::atexit(EndedWhileAWindowIsUp);
    const QByteArray module =
        QFile::encodeName(ProgramFolder() + QLatin1Char('/') + QLatin1String(kCommandLineWindowsModule));
    void* handle = dlopen(module.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    const auto open = reinterpret_cast<OpenCommandLineWindowsFunction>(dlsym(handle, kOpenCommandLineWindows));
    return open ? open(g_argc, g_argv, platforms, &WindowSystemFailed) : nullptr;
}

} // namespace

bool WriteReport(const StreamReport& report)
{
    const auto size = static_cast<size_t>(report.text.size());
    const bool written = std::fwrite(report.text.constData(), 1, size, report.stream) == size;
    return std::fflush(report.stream) == 0 && written;
}

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

void SetReportedExitStatus(int status)
{
    g_reportedStatus = status;
}

bool ShowHelpWindow(CommandLineState& state, const StreamReport& standIn)
{
    const StandIn pending(standIn);
    const CommandLineWindowsTable* windows = CommandLineWindows();
    if (!windows)
        return false;
    windows->ShowHelp(state);
    return true;
}

bool ShowNoticeWindow(const StreamReport& standIn)
{
    const StandIn pending(standIn);
    const CommandLineWindowsTable* windows = CommandLineWindows();
    if (!windows)
        return false;
    windows->ShowNotice();
    return true;
}

void InstallCommandLineMessageBoxes()
{
    SetMsgBoxPresenter([](const MsgBoxRequest& request) -> std::optional<MsgBoxResult> {
        const StandIn pending(StreamReport{stderr, MsgBoxStreamText(request.title, request.text)});
        if (const CommandLineWindowsTable* windows = CommandLineWindows())
            return windows->ShowMessage(request);
        return std::nullopt;
    });
}
