#include "desktop/main/frm_main.h"

#include "desktop/dialogs/folder_tree.h"
#include "desktop/main/desktop_startup.h"
#include "desktop/main/frm_loading.h"
#include "desktop/main/result_rows.h"
#include "desktop/main/size_move_helper.h"
#include "desktop/main/window_placement.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "operations/skin_loading.h"
#include "operations/storage_folder.h"
#include "platform/grid/grid.h"
#include "platform/runtime/run_time_error.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QDockWidget>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace {

const QString kFormName = QStringLiteral("frmMain");

// Button sizes of the command frame, in twips.
constexpr int kCommandButtonWidth = 1695;
constexpr int kWideCommandButtonWidth = 2055;
constexpr int kCommandButtonHeight = 495;

QPushButton* CommandButton(const char* name, const char* caption, int widthTwips, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(TwipsToPixels(widthTwips, TwipsPerPixelX()),
                         TwipsToPixels(kCommandButtonHeight, TwipsPerPixelY()));
    return button;
}

// The scrolling area of an options pane that holds `input`, a drop-down or
// a spin box; nullptr for anything else.
QScrollArea* ScrollingPaneOf(QObject* input)
{
    if (!qobject_cast<QComboBox*>(input) && !qobject_cast<QAbstractSpinBox*>(input))
        return nullptr;
    for (QObject* up = input->parent(); up; up = up->parent())
        if (auto* area = qobject_cast<QScrollArea*>(up))
            return area;
    return nullptr;
}

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

const ProcedureTraps frmMain::Trap(ObjectKind::Form, kFormName);

// ===================================================================
// Construction and loading
// ===================================================================

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(kFormName);
    ProgramFolder = QCoreApplication::applicationDirPath();
    Form_Initialize();

    // The containers of the four panes and what they hold.
    ui_.ctlPaneFolder = Named(new QWidget, "ctlPaneFolder");
    ui_.ftvFolder = Named(new QTreeView(ui_.ctlPaneFolder), "ftvFolder");
    ui_.ftvFolderModel = SetUpFolderTree(ui_.ftvFolder, this);
    connect(ui_.ftvFolder->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ftvFolder_SelectionChange(); });

    ui_.ctlPaneSearch = BuildOptionsPane();

    ui_.ctlPaneSearchList = Named(new QWidget, "ctlPaneSearchList");
    ui_.grdSearchList = Named(new Grid(ui_.ctlPaneSearchList), "grdSearchList");

    ui_.CtlPaneSearchOptions = BuildAdvancedOptionsPane();
    ConnectSearchOptions();

    ui_.vsDummyGrid = Named(new Grid(this), "vsDummyGrid");
    ui_.vsDummyGrid->hide();

    for (QWidget* container : {ui_.ctlPaneFolder, ui_.ctlPaneSearch, ui_.ctlPaneSearchList, ui_.CtlPaneSearchOptions})
        container->installEventFilter(this);

    BuildStatusBar();
    BuildMenus();
    // The smallest size the window can be given, also by dragging a border.
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    Form_Load();
}

frmMain::~frmMain()
{
    if (m_c)
        m_c->Detach();
}

void frmMain::Form_Initialize()
{
    // Nothing to prepare before the window exists.
}

QWidget* frmMain::BuildOptionsPane()
{
    auto* pane = Named(new QWidget, "ctlPaneSearch");

    ui_.fraTotal = Named(new QGroupBox(QStringLiteral("Search Options"), pane), "fraTotal");
    ui_.lblFilter = Named(new QLabel(QStringLiteral("F&ilter"), ui_.fraTotal), "lblFilter");
    ui_.cboFilterPattern = Named(new QComboBox(ui_.fraTotal), "cboFilterPattern");
    ui_.lblFilter->setBuddy(ui_.cboFilterPattern);
    // Present on the frame but never shown.
    ui_.lblFilter->setVisible(false);
    ui_.cboFilterPattern->setVisible(false);
    ui_.chkSearchSubFolder =
        Named(new QCheckBox(QStringLiteral("Include S&ubfolder"), ui_.fraTotal), "chkSearchSubFolder");
    ui_.ChkUseAdvOpt = Named(new QCheckBox(QStringLiteral("Use advance search options"), ui_.fraTotal), "ChkUseAdvOpt");
    ui_.cmdSearch = Named(new QPushButton(QStringLiteral("&Search"), ui_.fraTotal), "cmdSearch");
    ui_.cmdExport = Named(new QPushButton(QStringLiteral("Exp&ort"), ui_.fraTotal), "cmdExport");
    auto* totalLayout = new QGridLayout(ui_.fraTotal);
    totalLayout->addWidget(ui_.chkSearchSubFolder, 0, 0);
    totalLayout->addWidget(ui_.cmdSearch, 0, 1);
    totalLayout->addWidget(ui_.ChkUseAdvOpt, 1, 0);
    totalLayout->addWidget(ui_.cmdExport, 1, 1);
    ui_.fraTotal->adjustSize();

    ui_.fraCommand = Named(new QGroupBox(pane), "fraCommand");
    ui_.cmdCloneDir = Named(new QPushButton(QStringLiteral("Clone Directory"), ui_.fraCommand), "cmdCloneDir");
    ui_.cmdCloneDir->setEnabled(false);
    ui_.cmdCloneDir->setVisible(false);
    ui_.cmdSplit = CommandButton("cmdSplit", "S&plit", kCommandButtonWidth, ui_.fraCommand);
    ui_.cmdAppendTifffile =
        CommandButton("cmdAppendTifffile", "&Append Or Insert", kWideCommandButtonWidth, ui_.fraCommand);
    ui_.cmdDeleteTiffPage = CommandButton("cmdDeleteTiffPage", "&Delete", kCommandButtonWidth, ui_.fraCommand);
    auto* commandLayout = new QHBoxLayout(ui_.fraCommand);
    commandLayout->addWidget(ui_.cmdSplit);
    commandLayout->addWidget(ui_.cmdAppendTifffile);
    commandLayout->addWidget(ui_.cmdDeleteTiffPage);
    commandLayout->addStretch(1);
    ui_.fraCommand->adjustSize();
    ui_.fraCommand->move(0, ui_.fraTotal->height());

    connect(ui_.cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(ui_.cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(ui_.cmdSplit, &QPushButton::clicked, this, [this] { cmdSplit_Click(); });
    connect(ui_.cmdAppendTifffile, &QPushButton::clicked, this, [this] { cmdAppendTifffile_Click(); });
    connect(ui_.cmdDeleteTiffPage, &QPushButton::clicked, this, [this] { cmdDeleteTiffPage_Click(); });
    connect(ui_.cboFilterPattern, &QComboBox::activated, this, [this] { cboFilterPattern_Click(); });

    pane->setMinimumSize(std::max(ui_.fraTotal->width(), ui_.fraCommand->width()),
                         ui_.fraTotal->height() + ui_.fraCommand->height());
    return pane;
}

QWidget* frmMain::BuildAdvancedOptionsPane()
{
    auto* pane = Named(new QWidget, "CtlPaneSearchOptions");
    ui_.fraAdvSearch = Named(new QGroupBox(QStringLiteral("Search Options"), pane), "fraAdvSearch");

    ui_.chkSearchByDate = Named(new QCheckBox(QStringLiteral("&Date"), ui_.fraAdvSearch), "chkSearchByDate");
    ui_.fraDate = Named(new QGroupBox(ui_.fraAdvSearch), "fraDate");
    ui_.optInPeriod = Named(new QRadioButton(QStringLiteral("in the last"), ui_.fraDate), "optInPeriod");
    ui_.txtInPeriod = Named(new QLineEdit(ui_.fraDate), "txtInPeriod");
    ui_.cboDateInPeriod = Named(new QComboBox(ui_.fraDate), "cboDateInPeriod");
    ui_.optBtnPeriod = Named(new QRadioButton(QStringLiteral("between"), ui_.fraDate), "optBtnPeriod");
    ui_.dtpDateFrom = Named(new QDateEdit(ui_.fraDate), "dtpDateFrom");
    ui_.dtpDateTo = Named(new QDateEdit(ui_.fraDate), "dtpDateTo");
    for (QDateEdit* picker : {ui_.dtpDateFrom, ui_.dtpDateTo}) {
        picker->setDisplayFormat(QStringLiteral("dd-MMM-yyyy"));
        picker->setCalendarPopup(true);
    }
    ui_.cboDateRangeType = Named(new QComboBox(ui_.fraDate), "cboDateRangeType");
    auto* dateLayout = new QGridLayout(ui_.fraDate);
    dateLayout->addWidget(ui_.cboDateRangeType, 0, 0, 1, 3);
    dateLayout->addWidget(ui_.optInPeriod, 1, 0);
    dateLayout->addWidget(ui_.txtInPeriod, 1, 1);
    dateLayout->addWidget(ui_.cboDateInPeriod, 1, 2);
    dateLayout->addWidget(ui_.optBtnPeriod, 2, 0);
    dateLayout->addWidget(ui_.dtpDateFrom, 2, 1);
    dateLayout->addWidget(ui_.dtpDateTo, 2, 2);

    ui_.chkSearchBySize = Named(new QCheckBox(QStringLiteral("Si&ze"), ui_.fraAdvSearch), "chkSearchBySize");
    ui_.fraSize = Named(new QGroupBox(ui_.fraAdvSearch), "fraSize");
    ui_.optSizeAt = Named(new QRadioButton(QStringLiteral("at"), ui_.fraSize), "optSizeAt");
    ui_.cboLeastMost = Named(new QComboBox(ui_.fraSize), "cboLeastMost");
    ui_.txtSizeLeastMost = Named(new QLineEdit(ui_.fraSize), "txtSizeLeastMost");
    ui_.optSizeBtn = Named(new QRadioButton(QStringLiteral("between"), ui_.fraSize), "optSizeBtn");
    ui_.txtSizeFrom = Named(new QLineEdit(ui_.fraSize), "txtSizeFrom");
    ui_.txtSizeTo = Named(new QLineEdit(ui_.fraSize), "txtSizeTo");
    auto* sizeLayout = new QGridLayout(ui_.fraSize);
    sizeLayout->addWidget(ui_.optSizeAt, 0, 0);
    sizeLayout->addWidget(ui_.cboLeastMost, 0, 1);
    sizeLayout->addWidget(ui_.txtSizeLeastMost, 0, 2);
    sizeLayout->addWidget(new QLabel(QStringLiteral("KB"), ui_.fraSize), 0, 3);
    sizeLayout->addWidget(ui_.optSizeBtn, 1, 0);
    sizeLayout->addWidget(ui_.txtSizeFrom, 1, 1);
    sizeLayout->addWidget(ui_.txtSizeTo, 1, 2);
    sizeLayout->addWidget(new QLabel(QStringLiteral("KB"), ui_.fraSize), 1, 3);

    auto* advLayout = new QVBoxLayout(ui_.fraAdvSearch);
    advLayout->addWidget(ui_.chkSearchByDate);
    advLayout->addWidget(ui_.fraDate);
    advLayout->addWidget(ui_.chkSearchBySize);
    advLayout->addWidget(ui_.fraSize);
    advLayout->addStretch(1);

    connect(ui_.chkSearchByDate, &QCheckBox::clicked, this, [this] { chkSearchByDate_Click(); });
    connect(ui_.chkSearchBySize, &QCheckBox::clicked, this, [this] { chkSearchBySize_Click(); });
    pane->setMinimumSize(ui_.fraAdvSearch->sizeHint());
    return pane;
}

void frmMain::BuildPanes()
{
    struct PaneSpec {
        int id;
        const char* title;
        QWidget* child;
    };
    // Created in this order: the folder tree on the left, the result list
    // beside it, the options below the tree with the advanced options
    // joined to them as a second tab.
    const PaneSpec specs[] = {
        {PaneFolders, "Folders", ui_.ctlPaneFolder},
        {PaneSearchList, "Search List", ui_.ctlPaneSearchList},
        {PaneOptions, "Options", ui_.ctlPaneSearch},
        {PaneAdvancedOptions, "Advance Search Options", ui_.CtlPaneSearchOptions},
    };
    for (const PaneSpec& spec : specs) {
        auto* dock = new QDockWidget(QString::fromLatin1(spec.title), this);
        dock->setObjectName(QStringLiteral("Pane%1").arg(spec.id));
        dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        if (spec.id == PaneOptions || spec.id == PaneAdvancedOptions) {
            // The options keep their own size; the pane around them takes
            // what the user gives it (scrolling when it is smaller), so the
            // folder tree and the grid can be given any size.
            auto* area =
                Named(new QScrollArea, spec.id == PaneOptions ? "ctlPaneSearchArea" : "CtlPaneSearchOptionsArea");
            area->setFrameShape(QFrame::NoFrame);
            area->setWidgetResizable(false);
            area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            area->setWidget(spec.child);
            // A taller window gives the room to the tree.
            area->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
            area->viewport()->setAutoFillBackground(false);
            spec.child->setAutoFillBackground(false);
            // A wheel turned over a drop-down or a date box scrolls the pane:
            // while the user scrolls, the pointer passes over them, and a
            // filter must not change under it.
            for (QWidget* input : spec.child->findChildren<QWidget*>())
                if (qobject_cast<QComboBox*>(input) || qobject_cast<QAbstractSpinBox*>(input))
                    input->installEventFilter(this);
            dock->setWidget(area);
        } else {
            dock->setWidget(spec.child);
        }
        // Activating a pane (a click on its title, or the window of a
        // floating pane) moves the focus into it.
        dock->installEventFilter(this);
        ui_.panes[spec.id] = dock;
    }
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    addDockWidget(Qt::LeftDockWidgetArea, ui_.panes[PaneFolders]);
    addDockWidget(Qt::RightDockWidgetArea, ui_.panes[PaneSearchList]);
    splitDockWidget(ui_.panes[PaneFolders], ui_.panes[PaneOptions], Qt::Vertical);
    tabifyDockWidget(ui_.panes[PaneOptions], ui_.panes[PaneAdvancedOptions]);
    ui_.panes[PaneOptions]->raise();
    // The tree always shows a few rows, however small the window; room the
    // window gains goes to the tree (height) and the grid (width).
    ui_.ftvFolder->setMinimumHeight(ui_.ftvFolder->fontMetrics().height() * 6);
    ui_.ctlPaneFolder->setMinimumHeight(ui_.ftvFolder->minimumHeight());
    ui_.ctlPaneFolder->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    ui_.ctlPaneSearchList->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    resizeDocks({ui_.panes[PaneFolders], ui_.panes[PaneSearchList]}, {260, 600}, Qt::Horizontal);
}

void frmMain::BuildStatusBar()
{
    ui_.sbStatusBar = statusBar();
    ui_.sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    ui_.sbPanelStatus = Named(new QLabel(QStringLiteral("Status")), "Status");
    ui_.sbPanelDate = Named(new QLabel, "Date");
    ui_.sbPanelTime = Named(new QLabel, "Time");
    ui_.sbPanelSkipped = Named(new QLabel, "Skipped");
    ui_.sbPanelSkipped->hide();
    ui_.sbStatusBar->addWidget(ui_.sbPanelStatus, 1);
    ui_.sbStatusBar->addWidget(ui_.sbPanelSkipped);
    ui_.sbStatusBar->addPermanentWidget(ui_.sbPanelDate);
    ui_.sbStatusBar->addPermanentWidget(ui_.sbPanelTime);
    clock_ = new QTimer(this);
    clock_->setInterval(1000);
    connect(clock_, &QTimer::timeout, this, &frmMain::UpdateClock);
    clock_->start();
    UpdateClock();
}

void frmMain::UpdateClock()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    ui_.sbPanelDate->setText(locale.toString(now.date(), QLocale::ShortFormat));
    ui_.sbPanelTime->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

void frmMain::Form_Load()
{
    ErrorTrap trap = Trap("Form_Load");
    try {
        trap.Line(10);
        FormLoadHook(this);

        trap.Line(20);
        m_c = new cSizeMoveHelper(this);
        m_c->SetNoFullDrag(true);
        m_c->Attach(this);
        connect(m_c, &cSizeMoveHelper::ExitSizeMove, this, &frmMain::m_c_ExitSizeMove);
        connect(m_c, &cSizeMoveHelper::Moving, this, &frmMain::m_c_Moving);
        connect(m_c, &cSizeMoveHelper::Sizing, this, &frmMain::m_c_Sizing);

        trap.Line(30);
        setWindowTitle(QString::fromUtf16(kApplicationTitle));

        trap.Line(40);
        ApplyInitialPlacement();

        trap.Line(50);
        LoadSkin(this, &trap, 50);

        trap.Line(80);
        BuildPanes();

        trap.Line(90);
        PrepareResultGrid();
        trap.Line(100);
        FillComboBoxes();
        trap.Line(110);
        InitFiles();

        trap.Line(120);
        SearchOptionsToStartState();

        trap.Line(130);
        ShowStartFolder();

        trap.Line(140);
        RestoreLayout();

        trap.Line(150);
        if (TheSettings().WindowStateFlag() == 1)
            SetWindowState();
    } catch (...) {
        trap.Log();
    }
}

void frmMain::ApplyInitialPlacement()
{
    PlaceWindow(StartPlacement(QSize(kMinimumWidth, kMinimumHeight)));
}

void frmMain::PlaceWindow(const QRect& placement)
{
    // The position is the frame's, as Left and Top are: the window system
    // then keeps the whole frame, title bar included, where it is put. A
    // size below the smallest one is the smallest one.
    const QRect wanted(placement.topLeft(), placement.size().expandedTo(minimumSize()));
    const QRect placed = FitOntoScreens(wanted, AvailableScreenAreas());
    resize(placed.size());
    move(placed.topLeft());
}

void frmMain::RestoreLayout()
{
    const QByteArray state = StoredLayout();
    if (!state.isEmpty())
        layoutRestored_ = restoreState(state);
}

void frmMain::SearchOptionsToStartState()
{
    ui_.optBtnPeriod->setChecked(true);
    ui_.optSizeAt->setChecked(true);
    ui_.chkSearchByDate->setChecked(false);
    chkSearchByDate_Click();
    ui_.chkSearchBySize->setChecked(false);
    chkSearchBySize_Click();
    ui_.dtpDateFrom->setDate(QDate::currentDate());
    ui_.dtpDateTo->setDate(QDate::currentDate());
}

void frmMain::ShowStartFolder()
{
    if (CmdLineFolder.trimmed().isEmpty()) {
        SelectFolder(TheSettings().StartupFolder());
        return;
    }
    SelectFolder(QDir::current().absoluteFilePath(CmdLineFolder));
    TickCommandLineFiles();
    // The command-line files are ticked once per run, for the first folder.
    CmdLineFolder.clear();
}

bool frmMain::SelectFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    return ShowFolderInTree(ui_.ftvFolder, ui_.ftvFolderModel, path);
}

QString frmMain::SelectedFolder() const
{
    const QModelIndex index = ui_.ftvFolder->currentIndex();
    return index.isValid() ? ui_.ftvFolderModel->filePath(index) : QString();
}

void frmMain::TickCommandLineFiles()
{
    // A row is ticked only when its own full path is one the user named:
    // file names differ by letter case here, and a file of the same name in
    // another folder is another file.
    QStringList wanted;
    for (const QString& file : std::as_const(CmdLineFiles))
        wanted.append(QDir::cleanPath(QDir::current().absoluteFilePath(file)));
    // The status bar counts the ticked rows, these included.
    if (TickRowsOfFiles(*ui_.grdSearchList, wanted))
        ShowStatus(getSelectedFileinfo());
}

// ===================================================================
// Window state and placement
// ===================================================================

void frmMain::SetWindowState()
{
    ErrorTrap trap = Trap("SetWindowState");
    try {
        trap.Line(10);
        Settings& s = TheSettings();
        const std::int32_t left = s.LastWindowLeft();
        const std::int32_t top = s.LastWindowTop();
        const std::int32_t width = s.LastWindowWidth();
        const std::int32_t height = s.LastWindowHeight();
        const int value = s.WindowStateValue();
        const double tx = TwipsPerPixelX();
        const double ty = TwipsPerPixelY();
        trap.Line(20);
        const QRect stored(TwipsToPixels(left, tx), TwipsToPixels(top, ty), TwipsToPixels(width, tx),
                           TwipsToPixels(height, ty));
        const auto moveToStored = [&] { PlaceWindow(stored); };
        switch (value) {
        case 2: // last remembered size
            trap.Line(30);
            if (left != 0 || top != 0 || width != 0 || height != 0) {
                moveToStored();
                setWindowState(WindowStatesFromCode(s.LastWindowState()));
            } else {
                setWindowState(Qt::WindowMaximized);
            }
            break;
        case 1: // minimum
            trap.Line(40);
            moveToStored();
            setWindowState(Qt::WindowMinimized);
            break;
        case 0: // maximum
            trap.Line(50);
            moveToStored();
            setWindowState(Qt::WindowMaximized);
            break;
        default: break;
        }
    } catch (...) {
        trap.Log();
    }
}

void frmMain::RecordPlacement()
{
    const Qt::WindowStates states = windowState();
    if (states & Qt::WindowMinimized)
        return;
    Settings& s = TheSettings();
    const int code = WindowStateCode(states);
    s.SetLastWindowState(code);
    if (code != 0)
        return;
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    // The frame's position and the window's own size: what the start-up
    // hands back to PlaceWindow (mixing frame and inner position would move
    // the window by the frame at every start).
    const QPoint placed = pos();
    s.SetLastWindowLeft(static_cast<std::int32_t>(std::lround(placed.x() * tx)));
    s.SetLastWindowTop(static_cast<std::int32_t>(std::lround(placed.y() * ty)));
    s.SetLastWindowWidth(static_cast<std::int32_t>(std::lround(width() * tx)));
    s.SetLastWindowHeight(static_cast<std::int32_t>(std::lround(height() * ty)));
}

void frmMain::Form_Activate()
{
    ++ActivationCount;
    // The first activation comes with the first showing; the size changes
    // of the start-up are not the user's.
    if (!PlacementTracking && ActivationCount == 2)
        PlacementTracking = true;
}

void frmMain::Form_Resize()
{
    ErrorTrap trap = Trap("Form_Resize");
    try {
        trap.Line(10);
        // The options keep their size whatever is dragged; their panes
        // scroll when they are given less.
        if (ui_.Pane(PaneOptions)) {
            ui_.ctlPaneSearch->setFixedSize(ui_.ctlPaneSearch->minimumSize());
            ui_.CtlPaneSearchOptions->setFixedSize(ui_.CtlPaneSearchOptions->minimumSize());
            // No taller than the taller of the two (and the tab bar they
            // share): a taller window gives the room to the tree. The two
            // share one place, which takes the smaller of their limits, so
            // both get the limit of the taller one.
            QTabBar probe;
            probe.addTab(ui_.Pane(PaneOptions)->windowTitle());
            const int tabs = probe.sizeHint().height();
            const int tallest = std::max(ui_.ctlPaneSearch->height(), ui_.CtlPaneSearchOptions->height());
            for (QWidget* content : {ui_.ctlPaneSearch, ui_.CtlPaneSearchOptions})
                if (auto* area = qobject_cast<QScrollArea*>(
                        content->parentWidget() ? content->parentWidget()->parentWidget() : nullptr))
                    area->setMaximumHeight(tallest + 2 * area->frameWidth() + tabs);
        }
        // Recording while tracking happens when the size/move settles
        // (m_c_ExitSizeMove), so a drag rewrites the settings file once, not
        // once per intermediate size.
    } catch (...) {
        trap.Log();
    }
}

void frmMain::m_c_ExitSizeMove()
{
    if (!PlacementTracking || unloaded_)
        return;
    ErrorTrap trap = Trap("m_c_ExitSizeMove");
    try {
        trap.Line(10);
        RecordPlacement();
    } catch (...) {
        trap.Log();
    }
}

void frmMain::m_c_Moving(int&, int&, int&, int&)
{
}

// The smallest size is the window's minimum size (set when it is built),
// which the window system keeps for every kind of resize.
void frmMain::m_c_Sizing(int&, int&, int&, int&)
{
}

void frmMain::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    ErrorTrap trap = Trap("Form_Unload");
    try {
        trap.Line(10);
        if (m_c)
            m_c->Detach();
        trap.Line(20);
        RecordPlacement();
        trap.Line(30);
        if (TheSettings().LastGridColWidthFlag() == 1)
            SaveColumnWidths();
    } catch (...) {
        trap.Log();
    }
}

void frmMain::SaveColumnWidths()
{
    // A grid that was never given its columns has no widths to remember;
    // storing an empty list would lose the saved ones.
    const int columns = ui_.grdSearchList->ColumnCount();
    if (columns <= 0)
        return;
    QStringList widths;
    for (int c = 0; c < columns; ++c)
        widths.append(QString::number(ui_.grdSearchList->ColumnWidthAt(c)));
    TheSettings().SetLastGridColWidth(widths.join(QLatin1Char(',')));
}

// ===================================================================
// Events
// ===================================================================

bool frmMain::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    const bool handled = QMainWindow::event(e);
    // A window moved or resized during a search takes its loading window
    // along, still clear of the Cancel button.
    if ((e->type() == QEvent::Move || e->type() == QEvent::Resize) && loading_)
        PlaceLoadingWindow();
    if (e->type() == QEvent::Show && !panesShown_) {
        panesShown_ = true;
        // Once the docks have been laid out for the window's first real
        // size: a window shown maximised gets that size from the window
        // system a moment after it first shows.
        if (!layoutRestored_) {
            panesFitPending_ = true;
            const bool waitForMaximised = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
            QTimer::singleShot(waitForMaximised ? 1000 : 0, this, &frmMain::FitPanesToTheirContents);
        } else {
            chosenLeftWidth_ = ui_.panes[PaneFolders]->width();
            chosenOptionsHeight_ = ui_.panes[PaneOptions]->height();
        }
    }
    return handled;
}

void frmMain::FitPanesToTheirContents()
{
    if (!panesFitPending_)
        return;
    panesFitPending_ = false;
    // Once the window has its first size: the options whole where there is
    // room (the left column at most half the window), the tree and the
    // grid the rest. Afterwards the user decides.
    FitOptionsPanes(Qt::Horizontal | Qt::Vertical, false);
}

void frmMain::FitOptionsPanes(Qt::Orientations directions, bool growOnly)
{
    QDockWidget* folders = ui_.panes[PaneFolders];
    QDockWidget* options = ui_.panes[PaneOptions];
    QDockWidget* advanced = ui_.panes[PaneAdvancedOptions];
    QDockWidget* list = ui_.panes[PaneSearchList];
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // The two option panes share one place: it is fitted to the larger.
    const int wanted = std::max(ui_.ctlPaneSearch->width(), ui_.CtlPaneSearchOptions->width()) + scrollBar;
    const int both = folders->width() + list->width();
    int left = std::min(wanted, both / 2);
    if (growOnly && chosenLeftWidth_ > 0)
        left = std::min(left, chosenLeftWidth_);
    if ((directions & Qt::Horizontal) && (!growOnly || folders->width() < left))
        resizeDocks({folders, list}, {left, both - left}, Qt::Horizontal);
    // The options share their place with the tab bar of the tab group.
    int tabs = 0;
    for (const QTabBar* bar : findChildren<QTabBar*>(Qt::FindDirectChildrenOnly))
        if (bar->isVisible() && bar->geometry().intersects(options->geometry().adjusted(0, 0, 0, bar->height() + 4)))
            tabs = bar->height();
    const int column = folders->height() + options->height();
    int optionsHeight = std::min(std::max(options->sizeHint().height(), advanced->sizeHint().height()) + tabs,
                                 column - folders->minimumSizeHint().height());
    if (growOnly && chosenOptionsHeight_ > 0)
        optionsHeight = std::min(optionsHeight, chosenOptionsHeight_);
    if ((directions & Qt::Vertical) && (!growOnly || options->height() < optionsHeight))
        resizeDocks({folders, options}, {column - optionsHeight, optionsHeight}, Qt::Vertical);
}

void frmMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    Form_Resize();
    if (panesFitPending_ && isVisible() && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        QTimer::singleShot(0, this, &frmMain::FitPanesToTheirContents);
    // A window made smaller shrinks every pane with it; the options get back
    // the room they had been fitted to (within the same bounds), so that
    // leaving the maximised state does not leave them a sliver.
    if (panesShown_ && !panesFitPending_ && e->oldSize().isValid()) {
        Qt::Orientations shrunk;
        if (e->size().width() < e->oldSize().width())
            shrunk |= Qt::Horizontal;
        if (e->size().height() < e->oldSize().height())
            shrunk |= Qt::Vertical;
        if (shrunk && !panesShrunk_)
            QTimer::singleShot(0, this, [this] {
                const Qt::Orientations directions = panesShrunk_;
                panesShrunk_ = {};
                FitOptionsPanes(directions, true);
            });
        panesShrunk_ |= shrunk;
    }
    panesWindowSize_ = e->size();
}

void frmMain::NoteChosenPaneSizes()
{
    // Pane sizes that change while the window keeps its size are chosen
    // (the docks are resized before the window hears of its own resize).
    if (!panesShown_ || !panesWindowSize_.isValid() || size() != panesWindowSize_)
        return;
    chosenLeftWidth_ = ui_.panes[PaneFolders]->width();
    chosenOptionsHeight_ = ui_.panes[PaneOptions]->height();
}

void frmMain::closeEvent(QCloseEvent* e)
{
    if (SearchRunning()) {
        // The search is still on the stack below this handler: stop it and
        // close once it has returned.
        CancelRequested = true;
        closePending_ = true;
        e->ignore();
        return;
    }
    Form_Unload();
    e->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::Wheel) {
        if (QScrollArea* area = ScrollingPaneOf(watched)) {
            const auto* wheel = static_cast<QWheelEvent*>(e);
            QWidget* viewport = area->viewport();
            QWheelEvent scroll(viewport->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                               wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
                               wheel->phase(), wheel->inverted(), wheel->source());
            QCoreApplication::sendEvent(viewport, &scroll);
            return true;
        }
    }
    if (auto* dock = qobject_cast<QDockWidget*>(watched)) {
        if (e->type() == QEvent::MouseButtonPress || (e->type() == QEvent::WindowActivate && dock->isFloating())) {
            for (int id = PaneFolders; id <= PaneAdvancedOptions; ++id)
                if (dock == ui_.panes[id])
                    DockingPaneManager_Action(id);
        }
    }
    if (e->type() == QEvent::Resize) {
        if (qobject_cast<QDockWidget*>(watched))
            NoteChosenPaneSizes();
        if (watched == ui_.ctlPaneFolder)
            ctlPaneFolder_Resize();
        else if (watched == ui_.ctlPaneSearch)
            ctlPaneSearch_Resize();
        else if (watched == ui_.ctlPaneSearchList)
            ctlPaneSearchList_Resize();
        else if (watched == ui_.CtlPaneSearchOptions)
            CtlPaneSearchOptions_Resize();
    }
    return QMainWindow::eventFilter(watched, e);
}

// ===================================================================
// Pane layout
// ===================================================================

void frmMain::ctlPaneFolder_Resize()
{
    ui_.ftvFolder->setGeometry(ui_.ctlPaneFolder->contentsRect());
}

void frmMain::ctlPaneSearchList_Resize()
{
    ui_.grdSearchList->setGeometry(ui_.ctlPaneSearchList->contentsRect());
}

void frmMain::CtlPaneSearchOptions_Resize()
{
    ui_.fraAdvSearch->setGeometry(ui_.CtlPaneSearchOptions->contentsRect());
}

void frmMain::ctlPaneSearch_Resize()
{
    const QRect inner = ui_.ctlPaneSearch->contentsRect();
    ui_.fraTotal->setGeometry(0, 0, inner.width(), ui_.fraTotal->height());
    const int top = ui_.fraCommand->y();
    ui_.fraCommand->setGeometry(0, top, inner.width(), std::max(0, inner.height() - top));
}

void frmMain::DockingPaneManager_Action(int paneId)
{
    ErrorTrap trap = Trap("DockingPaneManager_Action");
    try {
        trap.Line(10);
        if (paneId == PaneFolders) {
            if (!SearchRunning())
                ui_.ftvFolder->setFocus();
        } else if (paneId == PaneSearchList) {
            ui_.grdSearchList->setFocus();
        }
    } catch (...) {
        trap.Log();
    }
}

// ===================================================================
// Status bar
// ===================================================================

void frmMain::ShowStatus(QString& text)
{
    if (text.isEmpty())
        text = QStringLiteral("Status");
    ui_.sbPanelStatus->setText(text);
}

void frmMain::ShowStatus(const QString& text)
{
    QString copy = text;
    ShowStatus(copy);
}

// ===================================================================
// Search option boxes
// ===================================================================

void frmMain::chkSearchByDate_Click()
{
    ErrorTrap trap = Trap("chkSearchByDate_Click");
    try {
        trap.Line(10);
        const bool on = ui_.chkSearchByDate->isChecked();
        ui_.fraDate->setEnabled(on);
        ui_.optInPeriod->setEnabled(on);
        ui_.optBtnPeriod->setEnabled(on);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::chkSearchBySize_Click()
{
    ErrorTrap trap = Trap("chkSearchBySize_Click");
    try {
        trap.Line(10);
        const bool on = ui_.chkSearchBySize->isChecked();
        ui_.fraSize->setEnabled(on);
        ui_.optSizeAt->setEnabled(on);
        ui_.optSizeBtn->setEnabled(on);
    } catch (...) {
        trap.Log();
    }
}

// ===================================================================
// A running search
// ===================================================================

frmMain::SearchRun::SearchRun(frmMain* window) : window_(window)
{
    if (window_->searchDepth_++ == 0)
        window_->SetSearchCommandsEnabled(false);
}

frmMain::SearchRun::~SearchRun()
{
    if (--window_->searchDepth_ > 0)
        return;
    window_->SetSearchCommandsEnabled(true);
    if (window_->closePending_) {
        window_->closePending_ = false;
        QTimer::singleShot(0, window_, [w = window_] { w->close(); });
    }
}

void frmMain::SetSearchCommandsEnabled(bool enabled)
{
    for (QAction* action : {ui_.mnupreferances, ui_.mnuExport, ui_.mnuexit, ui_.mnuCtxOpen, ui_.mnuCtxOpenFolder,
                            ui_.mnuCtxPrintFile, ui_.mnuCtxSelectAll, ui_.mnuCtxInvSelect, ui_.mnuCtxDeSelectAll,
                            ui_.mnuCtxCheckSelection, ui_.mnuCtxUnCheckSelection, ui_.mnuCtxCheckInvertSelection})
        action->setEnabled(enabled);
    for (QPushButton* button : {ui_.cmdExport, ui_.cmdSplit, ui_.cmdAppendTifffile, ui_.cmdDeleteTiffPage})
        button->setEnabled(enabled);
}
