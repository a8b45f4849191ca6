// VelmoraCMD: runs one page operation over the TIFF files named on its
// command line. The arguments are joined with single blanks into the one
// command-line text that the grammar reads (command_line_arguments.h).
//
// The program starts no application object: a run that shows nothing needs
// none, and its windows start their own when there is a display to show
// them on (command_line_windows.h).

#include "cli/command_line_arguments.h"
#include "cli/command_line_windows.h"
#include "cli/mod_master.h"
#include "operations/running_program.h"
#include "operations/storage_folder.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char* argv[])
{
    SelectRunningProgram(RunningProgram::CommandLine);
    // A write past the file size limit, or into a pipe nobody reads, then
    // fails like any other failed write (and gives the run's status for
    // it) instead of ending the program silently.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication::setOrganizationName(QString::fromUtf16(kCompanyName));
    QCoreApplication::setApplicationName(QString::fromUtf16(kApplicationTitle));
    SetWindowArguments(&argc, argv);
    InstallCommandLineMessageBoxes();

    int status;
    {
        ModMaster master;
        status = master.Main(CommandLineText(argc, argv));
    }
    CloseCommandLineWindows();
    return status;
}
