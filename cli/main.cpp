// VelmoraCMD: runs one page operation over the TIFF files named on its
// command line. The arguments are joined with single blanks into the one
// command-line text that the grammar reads.

#include "cli/mod_master.h"
#include "operations/running_program.h"
#include "platform/message_box/message_box.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include <memory>

int main(int argc, char* argv[])
{
    SelectRunningProgram(RunningProgram::CommandLine);

    // Message boxes and the help window need a display; without one the
    // program reports on standard error and standard output instead.
    std::unique_ptr<QCoreApplication> app;
    if (DisplayAvailable())
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrana Technologies"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora 3.1"));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    ModMaster master;
    return master.Main(args.join(QLatin1Char(' ')));
}
