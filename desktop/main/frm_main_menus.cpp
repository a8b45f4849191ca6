// frmMain: the menu bar, the grid's context menu, keyboard accelerators and
// the menu commands of the window's frame.

#include "desktop/main/frm_main.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/modal_runner.h"
#include "desktop/core/shell_open.h"
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

    mnuEdit = bar->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnupreferances = Item(mnuEdit, "mnupreferances", "&Preferances Ctr+P");
    mnuExport = Item(mnuEdit, "mnuExport", "&Export Ctr+E");
    mnuSep1 = Separator(mnuEdit, "mnuSep1");
    mnuexit = Item(mnuEdit, "mnuexit", "E&xit Ctl+X");

    mnuhelp = bar->addMenu(QStringLiteral("&Help"));
    mnuhelp->setObjectName(QStringLiteral("mnuhelp"));
    mnuWebsite = Item(mnuhelp, "mnuWebsite", "Visit Our &website Ctr+W");
    mnuShowHelp = Item(mnuhelp, "mnuShowHelp", "&Help Ctr+H");
    mnusep2 = Separator(mnuhelp, "mnusep2");
    mnuAbout = Item(mnuhelp, "mnuAbout", "&About...");

    // The captions carry their key text themselves, so the keys are bound
    // as window accelerators rather than shown a second time by the menu.
    BindShortcut(mnupreferances, QKeySequence(Qt::CTRL | Qt::Key_P));
    BindShortcut(mnuExport, QKeySequence(Qt::CTRL | Qt::Key_E));
    BindShortcut(mnuexit, QKeySequence(Qt::CTRL | Qt::Key_X));
    BindShortcut(mnuWebsite, QKeySequence(Qt::CTRL | Qt::Key_W));
    BindShortcut(mnuShowHelp, QKeySequence(Qt::CTRL | Qt::Key_H));

    connect(mnupreferances, &QAction::triggered, this, [this] { mnupreferances_Click(); });
    connect(mnuExport, &QAction::triggered, this, [this] { mnuExport_Click(); });
    connect(mnuexit, &QAction::triggered, this, [this] { mnuexit_Click(); });
    connect(mnuWebsite, &QAction::triggered, this, [this] { mnuWebsite_Click(); });
    connect(mnuShowHelp, &QAction::triggered, this, [this] { mnuShowHelp_Click(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });

    // The grid's context menu: never in the menu bar; the result grid opens
    // it on a right click.
    mnuCtxMenu = new QMenu(QStringLiteral("Context Menu"), this);
    mnuCtxMenu->setObjectName(QStringLiteral("mnuCtxMenu"));
    mnuCtxOpen = Item(mnuCtxMenu, "mnuCtxOpen", "Open");
    mnuCtxOpenFolder = Item(mnuCtxMenu, "mnuCtxOpenFolder", "Show Contaning Folder");
    mnuCtxPrintFile = Item(mnuCtxMenu, "mnuCtxPrintFile", "Print");
    mnuSep3 = Separator(mnuCtxMenu, "mnuSep3");
    mnuCtxSelectAll = Item(mnuCtxMenu, "mnuCtxSelectAll", "Select All Ctr+A");
    mnuCtxInvSelect = Item(mnuCtxMenu, "mnuCtxInvSelect", "Invert Selection");
    mnuCtxDeSelectAll = Item(mnuCtxMenu, "mnuCtxDeSelectAll", "Deselect All Ctr+D");
    mnuSep4 = Separator(mnuCtxMenu, "mnuSep4");
    mnuCtxCheckSelection = Item(mnuCtxMenu, "mnuCtxCheckSelection", "Check Selection");
    mnuCtxUnCheckSelection = Item(mnuCtxMenu, "mnuCtxUnCheckSelection", "UnCheck Selection");
    mnuCtxCheckInvertSelection = Item(mnuCtxMenu, "mnuCtxCheckInvertSelection", "Invert Check Selection");

    connect(mnuCtxOpen, &QAction::triggered, this, [this] { mnuCtxOpen_Click(); });
    connect(mnuCtxOpenFolder, &QAction::triggered, this, [this] { mnuCtxOpenFolder_Click(); });
    connect(mnuCtxPrintFile, &QAction::triggered, this, [this] { mnuCtxPrintFile_Click(); });
    connect(mnuCtxSelectAll, &QAction::triggered, this, [this] { mnuCtxSelectAll_Click(); });
    connect(mnuCtxInvSelect, &QAction::triggered, this, [this] { mnuCtxInvSelect_Click(); });
    connect(mnuCtxDeSelectAll, &QAction::triggered, this, [this] { mnuCtxDeSelectAll_Click(); });
    connect(mnuCtxCheckSelection, &QAction::triggered, this, [this] { mnuCtxCheckSelection_Click(); });
    connect(mnuCtxUnCheckSelection, &QAction::triggered, this, [this] { mnuCtxUnCheckSelection_Click(); });
    connect(mnuCtxCheckInvertSelection, &QAction::triggered, this, [this] { mnuCtxCheckInvertSelection_Click(); });

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
    shortcut->setProperty("velmoraAction", QVariant::fromValue<QObject*>(action));
    connect(shortcut, &QShortcut::activated, action, [action] {
        if (action->isEnabled())
            action->trigger();
    });
    connect(action, &QAction::enabledChanged, shortcut, &QShortcut::setEnabled);
}

QShortcut* frmMain::ShortcutOf(QAction* action) const
{
    for (QShortcut* shortcut : findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
        if (shortcut->property("velmoraAction").value<QObject*>() == action)
            return shortcut;
    return nullptr;
}

void frmMain::Form_KeyDown(int KeyCode, int Shift)
{
    // The two tests are made one after the other on the same key.
    if (KeyCode == 'A' && Shift == 2 && mnuCtxSelectAll->isEnabled())
        mnuCtxSelectAll_Click();
    if (KeyCode == 'D' && Shift == 2 && mnuCtxDeSelectAll->isEnabled())
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
