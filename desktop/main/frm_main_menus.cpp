// frmMain: the menu bar, the grid's context menu, keyboard accelerators and
// the menu commands of the window's frame.

#include "desktop/main/frm_main.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/modal_runner.h"
#include "desktop/core/shell_open.h"
#include "desktop/dialogs/frm_preferences.h"
#include "desktop/main/frm_about.h"
#include "desktop/main/maker_addresses.h"
#include "operations/error_trap.h"
#include "operations/file_folder_scan.h"
#include "operations/mod_general.h"
#include "operations/trim_null.h"
#include "platform/message_box/message_box.h"
#include "platform/shell/shell.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace {

QAction* Item(QMenu* menu, const char* name, const char* caption)
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* Separator(QMenu* menu, const char* name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

void frmMain::BuildMenus()
{
    QMenuBar* bar = menuBar();

    ui_.mnuEdit = bar->addMenu(QStringLiteral("&Edit"));
    ui_.mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    ui_.mnupreferances = Item(ui_.mnuEdit, "mnupreferances", "&Preferances Ctr+P");
    ui_.mnuExport = Item(ui_.mnuEdit, "mnuExport", "&Export Ctr+E");
    ui_.mnuSep1 = Separator(ui_.mnuEdit, "mnuSep1");
    ui_.mnuexit = Item(ui_.mnuEdit, "mnuexit", "E&xit Ctl+X");

    ui_.mnuhelp = bar->addMenu(QStringLiteral("&Help"));
    ui_.mnuhelp->setObjectName(QStringLiteral("mnuhelp"));
    ui_.mnuWebsite = Item(ui_.mnuhelp, "mnuWebsite", "Visit Our &website Ctr+W");
    ui_.mnuShowHelp = Item(ui_.mnuhelp, "mnuShowHelp", "&Help Ctr+H");
    ui_.mnusep2 = Separator(ui_.mnuhelp, "mnusep2");
    ui_.mnuAbout = Item(ui_.mnuhelp, "mnuAbout", "&About...");

    // The captions carry their key text themselves, so the keys are bound
    // as window accelerators rather than shown a second time by the menu.
    BindShortcut(ui_.mnupreferances, QKeySequence(Qt::CTRL | Qt::Key_P));
    BindShortcut(ui_.mnuExport, QKeySequence(Qt::CTRL | Qt::Key_E));
    BindShortcut(ui_.mnuexit, QKeySequence(Qt::CTRL | Qt::Key_X));
    BindShortcut(ui_.mnuWebsite, QKeySequence(Qt::CTRL | Qt::Key_W));
    BindShortcut(ui_.mnuShowHelp, QKeySequence(Qt::CTRL | Qt::Key_H));

    connect(ui_.mnupreferances, &QAction::triggered, this, [this] { mnupreferances_Click(); });
    connect(ui_.mnuExport, &QAction::triggered, this, [this] { mnuExport_Click(); });
    connect(ui_.mnuexit, &QAction::triggered, this, [this] { mnuexit_Click(); });
    connect(ui_.mnuWebsite, &QAction::triggered, this, [this] { mnuWebsite_Click(); });
    connect(ui_.mnuShowHelp, &QAction::triggered, this, [this] { mnuShowHelp_Click(); });
    connect(ui_.mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });

    // The grid's context menu: never in the menu bar; the result grid opens
    // it on a right click.
    ui_.mnuCtxMenu = new QMenu(QStringLiteral("Context Menu"), this);
    ui_.mnuCtxMenu->setObjectName(QStringLiteral("mnuCtxMenu"));
    ui_.mnuCtxOpen = Item(ui_.mnuCtxMenu, "mnuCtxOpen", "Open");
    ui_.mnuCtxOpenFolder = Item(ui_.mnuCtxMenu, "mnuCtxOpenFolder", "Show Contaning Folder");
    ui_.mnuCtxPrintFile = Item(ui_.mnuCtxMenu, "mnuCtxPrintFile", "Print");
    ui_.mnuSep3 = Separator(ui_.mnuCtxMenu, "mnuSep3");
    ui_.mnuCtxSelectAll = Item(ui_.mnuCtxMenu, "mnuCtxSelectAll", "Select All Ctr+A");
    ui_.mnuCtxInvSelect = Item(ui_.mnuCtxMenu, "mnuCtxInvSelect", "Invert Selection");
    ui_.mnuCtxDeSelectAll = Item(ui_.mnuCtxMenu, "mnuCtxDeSelectAll", "Deselect All Ctr+D");
    ui_.mnuSep4 = Separator(ui_.mnuCtxMenu, "mnuSep4");
    ui_.mnuCtxCheckSelection = Item(ui_.mnuCtxMenu, "mnuCtxCheckSelection", "Check Selection");
    ui_.mnuCtxUnCheckSelection = Item(ui_.mnuCtxMenu, "mnuCtxUnCheckSelection", "UnCheck Selection");
    ui_.mnuCtxCheckInvertSelection = Item(ui_.mnuCtxMenu, "mnuCtxCheckInvertSelection", "Invert Check Selection");

    connect(ui_.mnuCtxOpen, &QAction::triggered, this, [this] { mnuCtxOpen_Click(); });
    connect(ui_.mnuCtxOpenFolder, &QAction::triggered, this, [this] { mnuCtxOpenFolder_Click(); });
    connect(ui_.mnuCtxPrintFile, &QAction::triggered, this, [this] { mnuCtxPrintFile_Click(); });
    connect(ui_.mnuCtxSelectAll, &QAction::triggered, this, [this] { mnuCtxSelectAll_Click(); });
    connect(ui_.mnuCtxInvSelect, &QAction::triggered, this, [this] { mnuCtxInvSelect_Click(); });
    connect(ui_.mnuCtxDeSelectAll, &QAction::triggered, this, [this] { mnuCtxDeSelectAll_Click(); });
    connect(ui_.mnuCtxCheckSelection, &QAction::triggered, this, [this] { mnuCtxCheckSelection_Click(); });
    connect(ui_.mnuCtxUnCheckSelection, &QAction::triggered, this, [this] { mnuCtxUnCheckSelection_Click(); });
    connect(ui_.mnuCtxCheckInvertSelection, &QAction::triggered, this, [this] { mnuCtxCheckInvertSelection_Click(); });

    // Ctrl+A and Ctrl+D (Ctrl alone) reach two of the context commands.
    auto* selectAll = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_A), this);
    selectAll->setObjectName(QStringLiteral("keySelectAll"));
    connect(selectAll, &QShortcut::activated, this, [this] { Form_KeyDown(Qt::Key_A, 2); });
    auto* deselectAll = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    deselectAll->setObjectName(QStringLiteral("keyDeselectAll"));
    connect(deselectAll, &QShortcut::activated, this, [this] { Form_KeyDown(Qt::Key_D, 2); });
}

void frmMain::BindShortcut(QAction* action, const QKeySequence& keys)
{
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setObjectName(action->objectName() + QStringLiteral("Key"));
    connect(shortcut, &QShortcut::activated, action, [action] {
        if (action->isEnabled())
            action->trigger();
    });
    connect(action, &QAction::enabledChanged, shortcut, &QShortcut::setEnabled);
}

void frmMain::Form_KeyDown(int KeyCode, int Shift)
{
    // The two tests are made one after the other on the same key.
    if (KeyCode == 'A' && Shift == 2 && ui_.mnuCtxSelectAll->isEnabled())
        mnuCtxSelectAll_Click();
    if (KeyCode == 'D' && Shift == 2 && ui_.mnuCtxDeSelectAll->isEnabled())
        mnuCtxDeSelectAll_Click();
}

void frmMain::mnupreferances_Click()
{
    if (SearchRunning())
        return;
    ErrorTrap trap = Trap("mnupreferances_Click");
    try {
        trap.Line(10);
        LoadGridColumns();
        trap.Line(20);
        if (ShowPreferencesDialog()) {
            trap.Line(30);
            RefreshGrid();
            trap.Line(40);
            cmdSearch_Click();
        }
    } catch (...) {
        trap.Log();
    }
}

// Shows a new preferences dialog modally, without an owner, and answers
// whether it changed the stored settings (the caller then re-applies the
// grid layout and searches again).
bool frmMain::ShowPreferencesDialog()
{
    frmPreferences dialog;
    RunModal(dialog);
    return dialog.IsPreferanceChange;
}

void frmMain::mnuexit_Click()
{
    // Closing runs the unload step (or, during a search, cancels it and
    // closes afterwards).
    close();
}

void frmMain::mnuAbout_Click()
{
    ErrorTrap trap = Trap("mnuAbout_Click");
    try {
        trap.Line(10);
        frmAbout about(this);
        trap.Line(20);
        RunModal(about);
    } catch (...) {
        trap.Log();
    }
}

QString frmMain::HelpFilePath() const
{
    return ValidateDir(ProgramFolder) + QStringLiteral("help.html");
}

void frmMain::mnuShowHelp_Click()
{
    const QString path = HelpFilePath();
    if (FileExistsByFind(path)) {
        QString verb = QStringLiteral("open");
        std::int32_t show = 1;
        ShellOpen(verb, path, QString(), QString(), show);
    } else {
        MsgBox(QStringLiteral("Help Not Found."), MsgBoxIcon::Information);
    }
}

void frmMain::mnuWebsite_Click()
{
    ErrorTrap trap = Trap("mnuWebsite_Click");
    try {
        trap.Line(10);
        shell::Open(TrimNull(QString::fromLatin1(kWebSiteAddress)));
    } catch (...) {
        trap.Log();
    }
}
