#include "desktop/main/desktop_startup.h"

#include "desktop/core/column_width.h"
#include "desktop/core/modal_runner.h"
#include "desktop/main/frm_main.h"
#include "desktop/main/frm_progress_dialog.h"
#include "operations/error_trap.h"
#include "operations/file_folder_scan.h"
#include "operations/frm_vista_err_dlg.h"
#include "operations/mod_general.h"
#include "operations/mod_os_version.h"
#include "operations/storage_folder.h"
#include "platform/runtime/run_time_error.h"

#include <QPointer>

namespace {

const QString kModuleName = QStringLiteral("modMasterLayout");
const ProcedureTraps Trap(ObjectKind::Module, kModuleName);

QPointer<frmMain>& MainWindowPointer()
{
    static QPointer<frmMain> window;
    return window;
}

PageCounterObject CreateCounter(const QUuid& clsid, const QUuid& iid)
{
    PageCounterObject holder;
    holder.object = com::CreateInstance(clsid); // 429 when not registered
    holder.counter = com::QueryInterface<counters::IPageCounter>(holder.object, iid);
    if (!holder.counter)
        throw RunTimeError(rterr::CantCreateObject);
    return holder;
}

} // namespace

frmMain* MainWindow()
{
    return MainWindowPointer().data();
}

QString ParentFolderName(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

bool ValidateCmdLine(QString& commandLine)
{
    ErrorTrap trap = Trap("ValidateCmdLine");
    try {
        trap.Line(10);
        const QStringList parts = commandLine.split(QLatin1Char('|'));
        trap.Line(20);
        QString folder = ParentFolderName(parts.at(0));
        trap.Line(30);
        // The existence test trims one trailing separator from what it is
        // given, so it works on a copy; the root folder would lose its only
        // character that way and is taken as it is.
        if (folder == QStringLiteral("/") || FolderExistsByFind(folder)) {
            trap.Line(40);
            CmdLineFolder = ParentFolderName(parts.at(0));
            trap.Line(50);
            CmdLineFiles = commandLine.split(QLatin1Char('|'));
            return true;
        }
        return false;
    } catch (...) {
        trap.Log();
        return false;
    }
}

bool BuildGridColumns(GridColumns& columns, const QString& savedWidths)
{
    columns.AddBuiltInColumns();
    // A list that is not one width per column leaves the built-in widths;
    // the main window's layout check repairs the stored list and logs it.
    const std::optional<QList<double>> widths = ColumnWidthsFromList(savedWidths, columns.Count());
    if (!widths)
        return false;
    for (int i = 1; i <= columns.Count(); ++i)
        columns.Item(i)->ColumnWidth = static_cast<float>(widths->at(i - 1));
    return true;
}

void CreatePageCounters()
{
    PdfPageCounter = CreateCounter(counters::CLSID_PdfPageCounter, counters::IID_IPdfPageCounter);
    TiffPageCounter = CreateCounter(counters::CLSID_TiffPageCounter, counters::IID_ITiffPageCounter);
}

void ResetStartupState()
{
    if (frmMain* window = MainWindow())
        delete window;
    ResetProgramObjects();
}

void FormLoadHook(QWidget*)
{
}

QString CommandLineText(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return args.join(QLatin1Char(' '));
}

StartupOutcome Main(const QString& commandLine)
{
    ErrorTrap trap = Trap("Main");
    try {
        trap.Line(10);
        QString cmd = commandLine;
        trap.Line(20);
        if (!cmd.isEmpty())
            ValidateCmdLine(cmd);

        trap.Line(30);
        if (!GetStorageFolder())
            return StartupOutcome::NoStorageFolder;
        trap.Line(40);
        StorageFolderWithSeparator = ValidateDir(StorageFolder());

        // The storage folder can be unwritable on any system here, so the
        // write test runs at every start.
        trap.Line(50);
        if (!CanWriteFile(StorageFolderWithSeparator + QStringLiteral("Testtemp.sys"))) {
            trap.Line(60);
            FrmVistaErrDlg notice;
            RunModal(notice);
            return StartupOutcome::NoticeShown;
        }

        trap.Line(70);
        objSettings = std::make_unique<Settings>();
        trap.Line(80);
        if (!objSettings->LoadSettings()) {
            trap.Line(90);
            {
                frmProgressDialog progress;
                RunModal(progress);
            }
            trap.Line(100);
            objSettings->LoadDefaultSettings();
        }

        trap.Line(110);
        objGridColumns = std::make_unique<GridColumns>();
        trap.Line(120);
        BuildGridColumns(*objGridColumns, objSettings->LastGridColWidth());

        trap.Line(130);
        FilterPatterns = QStringList{QStringLiteral("*.tif,*.tiff")};

        trap.Line(140);
        CreatePageCounters();

        trap.Line(150);
        auto* window = new frmMain;
        MainWindowPointer() = window;
        trap.Line(160);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        return StartupOutcome::MainWindowShown;
    } catch (...) {
        trap.Log();
        return MainWindow() ? StartupOutcome::MainWindowShown : StartupOutcome::NoWindow;
    }
}
