// Velmora: the desktop program.

#include "desktop/main/desktop_startup.h"
#include "operations/running_program.h"
#include "operations/storage_folder.h"
#include "platform/message_box/message_box.h"
#include "platform/message_box/message_box_window.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler previousHandler = nullptr;

// A window system that cannot be reached ends the program with one clear
// line instead of an abort.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "Velmora: cannot start the desktop program: %s\n", qPrintable(message));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    SelectRunningProgram(RunningProgram::Desktop);
    // A write past the file size limit then fails like any other failed
    // write (and is reported) instead of ending the program silently.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "Velmora: no display is available. Start it in a desktop session "
                             "(DISPLAY or WAYLAND_DISPLAY set), or with QT_QPA_PLATFORM=offscreen.\n");
        return 1;
    }
    const QString commandLine = CommandLineText(argc, argv);

    previousHandler = qInstallMessageHandler(StartupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    SetMsgBoxPresenter(ShowMessageBoxWindow);
    QApplication::setApplicationName(QString::fromUtf16(kApplicationTitle));
    QApplication::setOrganizationName(QString::fromUtf16(kCompanyName));

    const StartupOutcome outcome = Main(commandLine);
    if (outcome != StartupOutcome::MainWindowShown) {
        // There is no log without a storage folder: name the folder instead.
        if (outcome == StartupOutcome::NoStorageFolder && StorageFolder().isEmpty())
            std::fprintf(stderr, "Velmora: start-up ended; the storage folder could not be found\n");
        else if (outcome == StartupOutcome::NoStorageFolder)
            std::fprintf(stderr, "Velmora: start-up ended; the storage folder %s could not be created\n",
                         qPrintable(StorageFolder()));
        else if (outcome == StartupOutcome::NoWindow && !StorageFolder().isEmpty())
            std::fprintf(stderr, "Velmora: start-up ended; see %s/Errors.Log\n", qPrintable(StorageFolder()));
        return 1;
    }
    const int rc = app.exec();
    ResetStartupState();
    return rc;
}
