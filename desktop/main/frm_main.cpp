#include "desktop/main/frm_main.h"

#include "desktop/dialogs/folder_tree.h"
#include "desktop/main/desktop_startup.h"
#include "desktop/main/frm_loading.h"
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
#include <QSettings>
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

// A placement value of the per-user settings area as a number, or the
// default when it is missing or not a number.
float PlacementValue(QSettings& area, const char* key, float fallback)
{
    const QVariant v = area.value(QString::fromLatin1(key));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const float f = v.toFloat(&ok);
    return ok && std::isfinite(f) ? f : fallback;
}

int ToPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

// Button sizes of the command frame, in twips.
constexpr int kCommandButtonWidth = 1695;
constexpr int kWideCommandButtonWidth = 2055;
constexpr int kCommandButtonHeight = 495;

QPushButton* CommandButton(const char* name, const char* caption, int widthTwips, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(ToPixels(widthTwips, TwipsPerPixelX()), ToPixels(kCommandButtonHeight, TwipsPerPixelY()));
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
    ctlPaneFolder = Named(new QWidget, "ctlPaneFolder");
    ftvFolder = Named(new QTreeView(ctlPaneFolder), "ftvFolder");
    ftvFolderModel = SetUpFolderTree(ftvFolder, this);
    connect(ftvFolder->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ftvFolder_SelectionChange(); });

    ctlPaneSearch = BuildOptionsPane();

    ctlPaneSearchList = Named(new QWidget, "ctlPaneSearchList");
    grdSearchList = Named(new Grid(ctlPaneSearchList), "grdSearchList");

    CtlPaneSearchOptions = BuildAdvancedOptionsPane();
    ConnectSearchOptions();

    vsDummyGrid = Named(new Grid(this), "vsDummyGrid");
    vsDummyGrid->hide();

    for (QWidget* container : {ctlPaneFolder, ctlPaneSearch, ctlPaneSearchList, CtlPaneSearchOptions})
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

    fraTotal = Named(new QGroupBox(QStringLiteral("Search Options"), pane), "fraTotal");
    lblFilter = Named(new QLabel(QStringLiteral("F&ilter"), fraTotal), "lblFilter");
    cboFilterPattern = Named(new QComboBox(fraTotal), "cboFilterPattern");
    lblFilter->setBuddy(cboFilterPattern);
    // Present on the frame but never shown.
    lblFilter->setVisible(false);
    cboFilterPattern->setVisible(false);
    chkSearchSubFolder = Named(new QCheckBox(QStringLiteral("Include S&ubfolder"), fraTotal), "chkSearchSubFolder");
    ChkUseAdvOpt = Named(new QCheckBox(QStringLiteral("Use advance search options"), fraTotal), "ChkUseAdvOpt");
    cmdSearch = Named(new QPushButton(QStringLiteral("&Search"), fraTotal), "cmdSearch");
    cmdExport = Named(new QPushButton(QStringLiteral("Exp&ort"), fraTotal), "cmdExport");
    auto* totalLayout = new QGridLayout(fraTotal);
    totalLayout->addWidget(chkSearchSubFolder, 0, 0);
    totalLayout->addWidget(cmdSearch, 0, 1);
    totalLayout->addWidget(ChkUseAdvOpt, 1, 0);
    totalLayout->addWidget(cmdExport, 1, 1);
    fraTotal->adjustSize();

    fraCommand = Named(new QGroupBox(pane), "fraCommand");
    cmdCloneDir = Named(new QPushButton(QStringLiteral("Clone Directory"), fraCommand), "cmdCloneDir");
    cmdCloneDir->setEnabled(false);
    cmdCloneDir->setVisible(false);
    cmdSplit = CommandButton("cmdSplit", "S&plit", kCommandButtonWidth, fraCommand);
    cmdAppendTifffile = CommandButton("cmdAppendTifffile", "&Append Or Insert", kWideCommandButtonWidth, fraCommand);
    cmdDeleteTiffPage = CommandButton("cmdDeleteTiffPage", "&Delete", kCommandButtonWidth, fraCommand);
    auto* commandLayout = new QHBoxLayout(fraCommand);
    commandLayout->addWidget(cmdSplit);
    commandLayout->addWidget(cmdAppendTifffile);
    commandLayout->addWidget(cmdDeleteTiffPage);
    commandLayout->addStretch(1);
    fraCommand->adjustSize();
    fraCommand->move(0, fraTotal->height());

    connect(cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(cmdSplit, &QPushButton::clicked, this, [this] { cmdSplit_Click(); });
    connect(cmdAppendTifffile, &QPushButton::clicked, this, [this] { cmdAppendTifffile_Click(); });
    connect(cmdDeleteTiffPage, &QPushButton::clicked, this, [this] { cmdDeleteTiffPage_Click(); });
    connect(cboFilterPattern, &QComboBox::activated, this, [this] { cboFilterPattern_Click(); });

    pane->setMinimumSize(std::max(fraTotal->width(), fraCommand->width()), fraTotal->height() + fraCommand->height());
    return pane;
}

QWidget* frmMain::BuildAdvancedOptionsPane()
{
    auto* pane = Named(new QWidget, "CtlPaneSearchOptions");
    fraAdvSearch = Named(new QGroupBox(QStringLiteral("Search Options"), pane), "fraAdvSearch");

    chkSearchByDate = Named(new QCheckBox(QStringLiteral("&Date"), fraAdvSearch), "chkSearchByDate");
    fraDate = Named(new QGroupBox(fraAdvSearch), "fraDate");
    optInPeriod = Named(new QRadioButton(QStringLiteral("in the last"), fraDate), "optInPeriod");
    txtInPeriod = Named(new QLineEdit(fraDate), "txtInPeriod");
    cboDateInPeriod = Named(new QComboBox(fraDate), "cboDateInPeriod");
    optBtnPeriod = Named(new QRadioButton(QStringLiteral("between"), fraDate), "optBtnPeriod");
    dtpDateFrom = Named(new QDateEdit(fraDate), "dtpDateFrom");
    dtpDateTo = Named(new QDateEdit(fraDate), "dtpDateTo");
    for (QDateEdit* picker : {dtpDateFrom, dtpDateTo}) {
        picker->setDisplayFormat(QStringLiteral("dd-MMM-yyyy"));
        picker->setCalendarPopup(true);
    }
    cboDateRangeType = Named(new QComboBox(fraDate), "cboDateRangeType");
    auto* dateLayout = new QGridLayout(fraDate);
    dateLayout->addWidget(cboDateRangeType, 0, 0, 1, 3);
    dateLayout->addWidget(optInPeriod, 1, 0);
    dateLayout->addWidget(txtInPeriod, 1, 1);
    dateLayout->addWidget(cboDateInPeriod, 1, 2);
    dateLayout->addWidget(optBtnPeriod, 2, 0);
    dateLayout->addWidget(dtpDateFrom, 2, 1);
    dateLayout->addWidget(dtpDateTo, 2, 2);

    chkSearchBySize = Named(new QCheckBox(QStringLiteral("Si&ze"), fraAdvSearch), "chkSearchBySize");
    fraSize = Named(new QGroupBox(fraAdvSearch), "fraSize");
    optSizeAt = Named(new QRadioButton(QStringLiteral("at"), fraSize), "optSizeAt");
    cboLeastMost = Named(new QComboBox(fraSize), "cboLeastMost");
    txtSizeLeastMost = Named(new QLineEdit(fraSize), "txtSizeLeastMost");
    optSizeBtn = Named(new QRadioButton(QStringLiteral("between"), fraSize), "optSizeBtn");
    txtSizeFrom = Named(new QLineEdit(fraSize), "txtSizeFrom");
    txtSizeTo = Named(new QLineEdit(fraSize), "txtSizeTo");
    auto* sizeLayout = new QGridLayout(fraSize);
    sizeLayout->addWidget(optSizeAt, 0, 0);
    sizeLayout->addWidget(cboLeastMost, 0, 1);
    sizeLayout->addWidget(txtSizeLeastMost, 0, 2);
    sizeLayout->addWidget(new QLabel(QStringLiteral("KB"), fraSize), 0, 3);
    sizeLayout->addWidget(optSizeBtn, 1, 0);
    sizeLayout->addWidget(txtSizeFrom, 1, 1);
    sizeLayout->addWidget(txtSizeTo, 1, 2);
    sizeLayout->addWidget(new QLabel(QStringLiteral("KB"), fraSize), 1, 3);

    auto* advLayout = new QVBoxLayout(fraAdvSearch);
    advLayout->addWidget(chkSearchByDate);
    advLayout->addWidget(fraDate);
    advLayout->addWidget(chkSearchBySize);
    advLayout->addWidget(fraSize);
    advLayout->addStretch(1);

    connect(chkSearchByDate, &QCheckBox::clicked, this, [this] { chkSearchByDate_Click(); });
    connect(chkSearchBySize, &QCheckBox::clicked, this, [this] { chkSearchBySize_Click(); });
    pane->setMinimumSize(fraAdvSearch->sizeHint());
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
        {PaneFolders, "Folders", ctlPaneFolder},
        {PaneSearchList, "Search List", ctlPaneSearchList},
        {PaneOptions, "Options", ctlPaneSearch},
        {PaneAdvancedOptions, "Advance Search Options", CtlPaneSearchOptions},
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
        panes_[spec.id] = dock;
    }
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    addDockWidget(Qt::LeftDockWidgetArea, panes_[PaneFolders]);
    addDockWidget(Qt::RightDockWidgetArea, panes_[PaneSearchList]);
    splitDockWidget(panes_[PaneFolders], panes_[PaneOptions], Qt::Vertical);
    tabifyDockWidget(panes_[PaneOptions], panes_[PaneAdvancedOptions]);
    panes_[PaneOptions]->raise();
    // The tree always shows a few rows, however small the window; room the
    // window gains goes to the tree (height) and the grid (width).
    ftvFolder->setMinimumHeight(ftvFolder->fontMetrics().height() * 6);
    ctlPaneFolder->setMinimumHeight(ftvFolder->minimumHeight());
    ctlPaneFolder->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    ctlPaneSearchList->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    resizeDocks({panes_[PaneFolders], panes_[PaneSearchList]}, {260, 600}, Qt::Horizontal);
}

QWidget* frmMain::PaneContent(int id) const
{
    QDockWidget* dock = Pane(id);
    if (!dock)
        return nullptr;
    if (auto* area = qobject_cast<QScrollArea*>(dock->widget()))
        return area->widget();
    return dock->widget();
}

QDockWidget* frmMain::Pane(int id) const
{
    return id >= 1 && id <= 4 ? panes_[id] : nullptr;
}

void frmMain::BuildStatusBar()
{
    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbPanelStatus = Named(new QLabel(QStringLiteral("Status")), "Status");
    sbPanelDate = Named(new QLabel, "Date");
    sbPanelTime = Named(new QLabel, "Time");
    sbPanelSkipped = Named(new QLabel, "Skipped");
    sbPanelSkipped->hide();
    sbStatusBar->addWidget(sbPanelStatus, 1);
    sbStatusBar->addWidget(sbPanelSkipped);
    sbStatusBar->addPermanentWidget(sbPanelDate);
    sbStatusBar->addPermanentWidget(sbPanelTime);
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
    sbPanelDate->setText(locale.toString(now.date(), QLocale::ShortFormat));
    sbPanelTime->setText(locale.toString(now.time(), QLocale::ShortFormat));
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
    QSettings area(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf16(kCompanyName),
                   QString::fromUtf16(kApplicationTitle));
    area.beginGroup(QStringLiteral("Settings"));
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    const float left = PlacementValue(area, "MainLeft", 1000);
    const float top = PlacementValue(area, "MainTop", 1000);
    const float width = PlacementValue(area, "MainWidth", static_cast<float>(kMinimumWidth * tx));
    const float height = PlacementValue(area, "MainHeight", static_cast<float>(kMinimumHeight * ty));
    PlaceWindow(QRect(ToPixels(left, tx), ToPixels(top, ty), ToPixels(width, tx), ToPixels(height, ty)));
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
    // A layout can only have been put there from outside: the program
    // reads this section and never writes it.
    QSettings area(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf16(kCompanyName),
                   QString::fromUtf16(kApplicationTitle));
    area.beginGroup(QStringLiteral("Layout"));
    const QByteArray state = area.value(QStringLiteral("State")).toByteArray();
    if (!state.isEmpty())
        layoutRestored_ = restoreState(state);
}

void frmMain::SearchOptionsToStartState()
{
    optBtnPeriod->setChecked(true);
    optSizeAt->setChecked(true);
    chkSearchByDate->setChecked(false);
    chkSearchByDate_Click();
    chkSearchBySize->setChecked(false);
    chkSearchBySize_Click();
    dtpDateFrom->setDate(QDate::currentDate());
    dtpDateTo->setDate(QDate::currentDate());
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
    return ShowFolderInTree(ftvFolder, ftvFolderModel, path);
}

QString frmMain::SelectedFolder() const
{
    const QModelIndex index = ftvFolder->currentIndex();
    return index.isValid() ? ftvFolderModel->filePath(index) : QString();
}

namespace {
// The position of the column whose header reads `caption`; -1 when none.
int HeaderColumn(const Grid& grid, const QString& caption)
{
    if (grid.RowCount() < 1)
        return -1;
    for (int c = 0; c < grid.ColumnCount(); ++c)
        if (grid.CellText(0, c) == caption)
            return c;
    return -1;
}
} // namespace

void frmMain::TickCommandLineFiles()
{
    const int nameCol = HeaderColumn(*grdSearchList, QStringLiteral("Name"));
    const int locationCol = HeaderColumn(*grdSearchList, QStringLiteral("Location"));
    const int selectionCol = HeaderColumn(*grdSearchList, QStringLiteral("Selection"));
    if (nameCol < 0 || locationCol < 0 || selectionCol < 0)
        return;
    // A row is ticked only when its own full path is one the user named:
    // file names differ by letter case here, and a file of the same name in
    // another folder is another file.
    QStringList wanted;
    for (const QString& file : std::as_const(CmdLineFiles))
        wanted.append(QDir::cleanPath(QDir::current().absoluteFilePath(file)));
    bool ticked = false;
    for (int row = 1; row < grdSearchList->RowCount(); ++row) {
        const QString location = grdSearchList->CellText(row, locationCol);
        const QString name = grdSearchList->CellText(row, nameCol);
        if (location.isEmpty() || name.isEmpty())
            continue;
        const QString path = QDir::cleanPath(ValidateDir(location) + name);
        if (wanted.contains(path)) {
            grdSearchList->SetCellAttribute(Grid::kAttrCheckState, row, selectionCol, Grid::kChecked);
            ticked = true;
        }
    }
    // The status bar counts the ticked rows, these included.
    if (ticked)
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
        const QRect stored(ToPixels(left, tx), ToPixels(top, ty), ToPixels(width, tx), ToPixels(height, ty));
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
        if (Pane(PaneOptions)) {
            ctlPaneSearch->setFixedSize(ctlPaneSearch->minimumSize());
            CtlPaneSearchOptions->setFixedSize(CtlPaneSearchOptions->minimumSize());
            // No taller than the taller of the two (and the tab bar they
            // share): a taller window gives the room to the tree. The two
            // share one place, which takes the smaller of their limits, so
            // both get the limit of the taller one.
            QTabBar probe;
            probe.addTab(Pane(PaneOptions)->windowTitle());
            const int tabs = probe.sizeHint().height();
            const int tallest = std::max(ctlPaneSearch->height(), CtlPaneSearchOptions->height());
            for (QWidget* content : {ctlPaneSearch, CtlPaneSearchOptions})
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
    const int columns = grdSearchList->ColumnCount();
    if (columns <= 0)
        return;
    QStringList widths;
    for (int c = 0; c < columns; ++c)
        widths.append(QString::number(grdSearchList->ColumnWidthAt(c)));
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
            chosenLeftWidth_ = panes_[PaneFolders]->width();
            chosenOptionsHeight_ = panes_[PaneOptions]->height();
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
    QDockWidget* folders = panes_[PaneFolders];
    QDockWidget* options = panes_[PaneOptions];
    QDockWidget* advanced = panes_[PaneAdvancedOptions];
    QDockWidget* list = panes_[PaneSearchList];
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // The two option panes share one place: it is fitted to the larger.
    const int wanted = std::max(ctlPaneSearch->width(), CtlPaneSearchOptions->width()) + scrollBar;
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
    chosenLeftWidth_ = panes_[PaneFolders]->width();
    chosenOptionsHeight_ = panes_[PaneOptions]->height();
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
                if (dock == panes_[id])
                    DockingPaneManager_Action(id);
        }
    }
    if (e->type() == QEvent::Resize) {
        if (qobject_cast<QDockWidget*>(watched))
            NoteChosenPaneSizes();
        if (watched == ctlPaneFolder)
            ctlPaneFolder_Resize();
        else if (watched == ctlPaneSearch)
            ctlPaneSearch_Resize();
        else if (watched == ctlPaneSearchList)
            ctlPaneSearchList_Resize();
        else if (watched == CtlPaneSearchOptions)
            CtlPaneSearchOptions_Resize();
    }
    return QMainWindow::eventFilter(watched, e);
}

// ===================================================================
// Pane layout
// ===================================================================

void frmMain::ctlPaneFolder_Resize()
{
    ftvFolder->setGeometry(ctlPaneFolder->contentsRect());
}

void frmMain::ctlPaneSearchList_Resize()
{
    grdSearchList->setGeometry(ctlPaneSearchList->contentsRect());
}

void frmMain::CtlPaneSearchOptions_Resize()
{
    fraAdvSearch->setGeometry(CtlPaneSearchOptions->contentsRect());
}

void frmMain::ctlPaneSearch_Resize()
{
    const QRect inner = ctlPaneSearch->contentsRect();
    fraTotal->setGeometry(0, 0, inner.width(), fraTotal->height());
    const int top = fraCommand->y();
    fraCommand->setGeometry(0, top, inner.width(), std::max(0, inner.height() - top));
}

void frmMain::DockingPaneManager_Action(int paneId)
{
    ErrorTrap trap = Trap("DockingPaneManager_Action");
    try {
        trap.Line(10);
        if (paneId == PaneFolders) {
            if (!SearchRunning())
                ftvFolder->setFocus();
        } else if (paneId == PaneSearchList) {
            grdSearchList->setFocus();
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
    sbPanelStatus->setText(text);
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
        const bool on = chkSearchByDate->isChecked();
        fraDate->setEnabled(on);
        optInPeriod->setEnabled(on);
        optBtnPeriod->setEnabled(on);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::chkSearchBySize_Click()
{
    ErrorTrap trap = Trap("chkSearchBySize_Click");
    try {
        trap.Line(10);
        const bool on = chkSearchBySize->isChecked();
        fraSize->setEnabled(on);
        optSizeAt->setEnabled(on);
        optSizeBtn->setEnabled(on);
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
    for (QAction* action :
         {mnupreferances, mnuExport, mnuexit, mnuCtxOpen, mnuCtxOpenFolder, mnuCtxPrintFile, mnuCtxSelectAll,
          mnuCtxInvSelect, mnuCtxDeSelectAll, mnuCtxCheckSelection, mnuCtxUnCheckSelection, mnuCtxCheckInvertSelection})
        action->setEnabled(enabled);
    for (QPushButton* button : {cmdExport, cmdSplit, cmdAppendTifffile, cmdDeleteTiffPage})
        button->setEnabled(enabled);
}
