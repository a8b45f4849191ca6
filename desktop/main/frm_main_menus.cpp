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

// An item of `menu` that runs `handler` of `window` when chosen.
QAction* Command(QMenu* menu, const char* name, const char* caption, frmMain* window, void (frmMain::*handler)())
{
    QAction* action = Item(menu, name, caption);
    QObject::connect(action, &QAction::triggered, window, [window, handler] { (window->*handler)(); });
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
    ui_.mnupreferances =
        Command(ui_.mnuEdit, "mnupreferances", "&Preferances Ctr+P", this, &frmMain::mnupreferances_Click);
    ui_.mnuExport = Command(ui_.mnuEdit, "mnuExport", "&Export Ctr+E", this, &frmMain::mnuExport_Click);
    ui_.mnuSep1 = Separator(ui_.mnuEdit, "mnuSep1");
    ui_.mnuexit = Command(ui_.mnuEdit, "mnuexit", "E&xit Ctl+X", this, &frmMain::mnuexit_Click);

    ui_.mnuhelp = bar->addMenu(QStringLiteral("&Help"));
    ui_.mnuhelp->setObjectName(QStringLiteral("mnuhelp"));
    ui_.mnuWebsite = Command(ui_.mnuhelp, "mnuWebsite", "Visit Our &website Ctr+W", this, &frmMain::mnuWebsite_Click);
    ui_.mnuShowHelp = Command(ui_.mnuhelp, "mnuShowHelp", "&Help Ctr+H", this, &frmMain::mnuShowHelp_Click);
    ui_.mnusep2 = Separator(ui_.mnuhelp, "mnusep2");
    ui_.mnuAbout = Command(ui_.mnuhelp, "mnuAbout", "&About...", this, &frmMain::mnuAbout_Click);

    // The captions carry their key text themselves, so the keys are bound
    // as window accelerators rather than shown a second time by the menu.
    BindShortcut(ui_.mnupreferances, QKeySequence(Qt::CTRL | Qt::Key_P));
    BindShortcut(ui_.mnuExport, QKeySequence(Qt::CTRL | Qt::Key_E));
    BindShortcut(ui_.mnuexit, QKeySequence(Qt::CTRL | Qt::Key_X));
    BindShortcut(ui_.mnuWebsite, QKeySequence(Qt::CTRL | Qt::Key_W));
    BindShortcut(ui_.mnuShowHelp, QKeySequence(Qt::CTRL | Qt::Key_H));

    // The grid's context menu: never in the menu bar; the result grid opens
    // it on a right click.
    ui_.mnuCtxMenu = new QMenu(QStringLiteral("Context Menu"), this);
    ui_.mnuCtxMenu->setObjectName(QStringLiteral("mnuCtxMenu"));
    ui_.mnuCtxOpen = Command(ui_.mnuCtxMenu, "mnuCtxOpen", "Open", this, &frmMain::mnuCtxOpen_Click);
    ui_.mnuCtxOpenFolder =
        Command(ui_.mnuCtxMenu, "mnuCtxOpenFolder", "Show Contaning Folder", this, &frmMain::mnuCtxOpenFolder_Click);
    ui_.mnuCtxPrintFile = Command(ui_.mnuCtxMenu, "mnuCtxPrintFile", "Print", this, &frmMain::mnuCtxPrintFile_Click);
    ui_.mnuSep3 = Separator(ui_.mnuCtxMenu, "mnuSep3");
    ui_.mnuCtxSelectAll =
        Command(ui_.mnuCtxMenu, "mnuCtxSelectAll", "Select All Ctr+A", this, &frmMain::mnuCtxSelectAll_Click);
    ui_.mnuCtxInvSelect =
        Command(ui_.mnuCtxMenu, "mnuCtxInvSelect", "Invert Selection", this, &frmMain::mnuCtxInvSelect_Click);
    ui_.mnuCtxDeSelectAll =
        Command(ui_.mnuCtxMenu, "mnuCtxDeSelectAll", "Deselect All Ctr+D", this, &frmMain::mnuCtxDeSelectAll_Click);
    ui_.mnuSep4 = Separator(ui_.mnuCtxMenu, "mnuSep4");
    ui_.mnuCtxCheckSelection =
        Command(ui_.mnuCtxMenu, "mnuCtxCheckSelection", "Check Selection", this, &frmMain::mnuCtxCheckSelection_Click);
    ui_.mnuCtxUnCheckSelection = Command(ui_.mnuCtxMenu, "mnuCtxUnCheckSelection", "UnCheck Selection", this,
                                         &frmMain::mnuCtxUnCheckSelection_Click);
    ui_.mnuCtxCheckInvertSelection = Command(ui_.mnuCtxMenu, "mnuCtxCheckInvertSelection", "Invert Check Selection",
                                             this, &frmMain::mnuCtxCheckInvertSelection_Click);

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
