#pragma once
// frmMain: the one main window of the desktop program.
//
// The window's frame lives in frm_main.cpp (building the panes, placement,
// life cycle, status bar) and frm_main_menus.cpp (menus, shortcuts, keys,
// the menu commands, the preferences dialog). The file search, the result
// grid, the page commands, the context menu and the export live in their
// own frm_main_*.cpp files. What these read without the window is apart:
// the scan (folder_search.h), the rows of the result grid (result_rows.h),
// the texts of its cells (file_cell_text.h) and the placement arithmetic
// (window_placement.h).
//
// The widgets are private; Ui() hands them out by their form names.
//
// While a search runs it yields to the message loop, so any handler may run
// inside it. A search holds a SearchRun for its whole length: commands that
// read or change the grid, Preferences and Exit are disabled meanwhile, and
// closing the window cancels the search and closes once it has unwound.

#include "operations/error_trap.h"

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>

class FolderScan;
struct FoundFile;
struct SearchCriteria;
class Grid;
class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDockWidget;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTimer;
class QTreeView;
class cSizeMoveHelper;
class frmLoading;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs its load step (placement, panes, skin,
    // start folder, window state). Showing it is the caller's business.
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // ----- Window-level state -----
    cSizeMoveHelper* m_c = nullptr;
    bool PlacementTracking = false;
    std::int32_t ActivationCount = 0;
    // The program folder (where "help.html" and the skin live).
    QString ProgramFolder;

    // ----- Pane ids -----
    enum PaneId { PaneFolders = 1, PaneOptions = 2, PaneSearchList = 3, PaneAdvancedOptions = 4 };

    // ----- Widgets -----
    // The window's panes, controls and menus, each under its form name,
    // which is also its objectName. The window's own files use them; others
    // (the tests) reach them through Ui().
    struct Widgets {
        // The dock of a pane id; nullptr for any other number.
        QDockWidget* Pane(int id) const { return id >= PaneFolders && id <= PaneAdvancedOptions ? panes[id] : nullptr; }
        QDockWidget* panes[PaneAdvancedOptions + 1] = {};

        // Pane "Folders".
        QWidget* ctlPaneFolder = nullptr;
        QTreeView* ftvFolder = nullptr;
        QFileSystemModel* ftvFolderModel = nullptr;
        // Pane "Options".
        QWidget* ctlPaneSearch = nullptr;
        QGroupBox* fraTotal = nullptr;
        QLabel* lblFilter = nullptr;
        QComboBox* cboFilterPattern = nullptr;
        QCheckBox* chkSearchSubFolder = nullptr;
        QCheckBox* ChkUseAdvOpt = nullptr;
        QPushButton* cmdSearch = nullptr;
        QPushButton* cmdExport = nullptr;
        QGroupBox* fraCommand = nullptr;
        QPushButton* cmdCloneDir = nullptr;
        QPushButton* cmdSplit = nullptr;
        QPushButton* cmdAppendTifffile = nullptr;
        QPushButton* cmdDeleteTiffPage = nullptr;
        // Pane "Search List".
        QWidget* ctlPaneSearchList = nullptr;
        Grid* grdSearchList = nullptr;
        // Pane "Advance Search Options".
        QWidget* CtlPaneSearchOptions = nullptr;
        QGroupBox* fraAdvSearch = nullptr;
        QCheckBox* chkSearchByDate = nullptr;
        QGroupBox* fraDate = nullptr;
        QRadioButton* optInPeriod = nullptr;
        QLineEdit* txtInPeriod = nullptr;
        QComboBox* cboDateInPeriod = nullptr;
        QRadioButton* optBtnPeriod = nullptr;
        QDateEdit* dtpDateFrom = nullptr;
        QDateEdit* dtpDateTo = nullptr;
        QComboBox* cboDateRangeType = nullptr;
        QCheckBox* chkSearchBySize = nullptr;
        QGroupBox* fraSize = nullptr;
        QRadioButton* optSizeAt = nullptr;
        QComboBox* cboLeastMost = nullptr;
        QLineEdit* txtSizeLeastMost = nullptr;
        QRadioButton* optSizeBtn = nullptr;
        QLineEdit* txtSizeFrom = nullptr;
        QLineEdit* txtSizeTo = nullptr;
        // The export's hidden scratch grid.
        Grid* vsDummyGrid = nullptr;
        // Status bar: the "Status" panel, then the date and the time.
        QStatusBar* sbStatusBar = nullptr;
        QLabel* sbPanelStatus = nullptr;
        QLabel* sbPanelDate = nullptr;
        QLabel* sbPanelTime = nullptr;
        // Shown after a search that had to pass over file names it cannot
        // reach (see FolderScan); hidden otherwise.
        QLabel* sbPanelSkipped = nullptr;
        // The menu bar's menus.
        QMenu* mnuEdit = nullptr;
        QAction* mnupreferances = nullptr;
        QAction* mnuExport = nullptr;
        QAction* mnuSep1 = nullptr;
        QAction* mnuexit = nullptr;
        QMenu* mnuhelp = nullptr;
        QAction* mnuWebsite = nullptr;
        QAction* mnuShowHelp = nullptr;
        QAction* mnusep2 = nullptr;
        QAction* mnuAbout = nullptr;
        // The grid's context menu (never in the menu bar).
        QMenu* mnuCtxMenu = nullptr;
        QAction* mnuCtxOpen = nullptr;
        QAction* mnuCtxOpenFolder = nullptr;
        QAction* mnuCtxPrintFile = nullptr;
        QAction* mnuSep3 = nullptr;
        QAction* mnuCtxSelectAll = nullptr;
        QAction* mnuCtxInvSelect = nullptr;
        QAction* mnuCtxDeSelectAll = nullptr;
        QAction* mnuSep4 = nullptr;
        QAction* mnuCtxCheckSelection = nullptr;
        QAction* mnuCtxUnCheckSelection = nullptr;
        QAction* mnuCtxCheckInvertSelection = nullptr;
    };
    const Widgets& Ui() const { return ui_; }

    // ----- Life cycle -----
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_Unload();
    void Form_KeyDown(int KeyCode, int Shift);
    void SetWindowState();
    // Records state and placement in the settings (not when minimised).
    void RecordPlacement();
    // Selects a folder in the folder tree (which starts a search there).
    bool SelectFolder(const QString& path);
    // The folder selected in the tree, as a path; empty when none.
    QString SelectedFolder() const;
    // Ticks the grid rows of the command-line files (matched by full path).
    void TickCommandLineFiles();

    // ----- Status bar -----
    // Puts text into the "Status" panel; an empty text becomes "Status",
    // also in the caller's variable.
    void ShowStatus(QString& text);
    void ShowStatus(const QString& text);

    // ----- Size/move helper events -----
    void m_c_ExitSizeMove();
    void m_c_Moving(int& lLeft, int& lTop, int& lWidth, int& lHeight);
    void m_c_Sizing(int& lLeft, int& lTop, int& lWidth, int& lHeight);
    static constexpr int kMinimumWidth = 700;
    static constexpr int kMinimumHeight = 403;

    // ----- Pane layout -----
    void ctlPaneFolder_Resize();
    void ctlPaneSearch_Resize();
    void ctlPaneSearchList_Resize();
    void CtlPaneSearchOptions_Resize();
    // Focus handling when a pane is activated (by id).
    void DockingPaneManager_Action(int paneId);

    // ----- Menu commands -----
    void mnupreferances_Click();
    void mnuexit_Click();
    void mnuAbout_Click();
    void mnuShowHelp_Click();
    void mnuWebsite_Click();
    // The help file: the program folder + "help.html".
    QString HelpFilePath() const;

    // ----- A running search -----
    // Held by the search for its whole length (nested holds are allowed).
    class SearchRun {
    public:
        explicit SearchRun(frmMain* window);
        ~SearchRun();
        SearchRun(const SearchRun&) = delete;
        SearchRun& operator=(const SearchRun&) = delete;

    private:
        frmMain* window_;
    };
    bool SearchRunning() const { return searchDepth_ > 0; }
    // Set by Cancel (and by closing the window) while a search runs.
    bool CancelRequested = false;
    // True while a close waits for the running search to unwind.
    bool ClosePending() const { return closePending_; }

    // ===== Handlers that the later parts of the window define =====
    // The date and size boxes enable their inputs (frm_main.cpp).
    void chkSearchByDate_Click();
    void chkSearchBySize_Click();
    // File search (frm_main_search.cpp). ftvFolder_SelectionChange runs
    // whenever another folder becomes current in the tree; SelectedFolder()
    // gives its path.
    void cmdSearch_Click();
    void cboFilterPattern_Click();
    void ftvFolder_SelectionChange();
    void FillComboBoxes();
    // Result grid (frm_main_grid.cpp).
    void PrepareResultGrid();
    void InitFiles();
    void RefreshGrid();
    QString getSelectedFileinfo();
    // The sort at the end of a search: by the current cell's column (the
    // Name column when that one is hidden), ascending, numeric when
    // SortbyNumeric is set, through the header click's path (BeforeSort).
    void SortAfterSearch();
    // The grid's notifications (connected by PrepareResultGrid).
    void grdSearchList_AfterMoveColumn(int col, int position);
    void grdSearchList_BeforeSort(int col, int& order);
    void grdSearchList_KeyDown(int keyCode, int shift);
    void grdSearchList_MouseDown(int button, int shift, int x, int y);
    void grdSearchList_MouseUp(int button, int shift, int x, int y);

    // ----- File search (frm_main_search.cpp; the walk and the filters are
    // folder_search.h) -----
    // Runs one search of `folder` ("Desktop" stands for the desktop folder
    // and is replaced by its path); `clear` empties the grid first.
    void MainLoadFiles(QString& folder, bool clear);
    void EnableSearchControls(bool enabled);
    // The search options as the controls show them now.
    SearchCriteria ReadSearchCriteria() const;
    // Appends one row for `file` of `folder`.
    void AddResultRow(const QString& folder, const FoundFile& file);
    // Brings a row's size, dates and (while the column is shown) page
    // count up to date with its file, after a page command changed it.
    void RefreshResultRow(int row);
    // Where the last search spent its time (nanoseconds), for measuring.
    struct SearchTimings {
        std::int64_t walk = 0;   // listing folders, ordering and matching names
        std::int64_t filter = 0; // looking at matching files, date and size filters
        std::int64_t count = 0;  // page counts
        std::int64_t fill = 0;   // grid rows, icons, type names, dates
        std::int64_t yield = 0;  // inside the message loop
        std::int64_t sort = 0;   // the final sort
        std::int64_t total = 0;  // the whole search command
        std::int64_t files = 0;  // entries looked at
        std::int64_t rows = 0;   // rows listed
    };
    SearchTimings LastSearchTimings;
    // Page commands (frm_main_page_commands.cpp).
    void cmdSplit_Click();
    void cmdAppendTifffile_Click();
    void cmdDeleteTiffPage_Click();
    // Shows the split dialog for `action` (2: TIFF split) with the ticked rows.
    void ShowSplitDialog(std::int32_t& action);
    // Fills in the "Pages" cells of the ticked rows when the search left
    // them out because the Pages column is hidden.
    void GetPageCount();
    // Export (frm_main_export.cpp).
    void mnuExport_Click();
    void cmdExport_Click();
    // Writes the ticked rows of `grid` to the file chosen in the export
    // dialog; True after a confirmed export.
    bool ExportCheckedRows(Grid* grid);
    // Preferences dialog (frm_main_menus.cpp): shows it modally and answers
    // its IsPreferanceChange.
    bool ShowPreferencesDialog();
    // Context menu (frm_main_context_menu.cpp).
    void mnuCtxOpen_Click();
    void mnuCtxOpenFolder_Click();
    void mnuCtxPrintFile_Click();
    void mnuCtxSelectAll_Click();
    void mnuCtxInvSelect_Click();
    void mnuCtxDeSelectAll_Click();
    void mnuCtxCheckSelection_Click();
    void mnuCtxUnCheckSelection_Click();
    void mnuCtxCheckInvertSelection_Click();
    // The all-row tick commands behind the menu items.
    void SelectAllRows();
    void DeselectAllRows();
    void mnuInvSelect_Click();
    // Unticks every row whose page count reads "Error".
    void UntickErrorRows();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The error traps of this window's procedures: Trap("Form_Load").
    static const ProcedureTraps Trap;
    void BuildPanes();
    QWidget* BuildOptionsPane();
    QWidget* BuildAdvancedOptionsPane();
    void BuildStatusBar();
    void BuildMenus();
    void BindShortcut(QAction* action, const QKeySequence& keys);
    void ApplyInitialPlacement();
    // Puts the window's frame at the placement's top-left with the
    // placement's size (at least the smallest size), on a screen.
    void PlaceWindow(const QRect& placement);
    void RestoreLayout();
    void FitPanesToTheirContents();
    // Fits the left column (Horizontal) and the option panes' height
    // (Vertical) to the option panes; with growOnly, only where they have
    // less than that.
    void FitOptionsPanes(Qt::Orientations directions, bool growOnly);
    void NoteChosenPaneSizes();
    void SearchOptionsToStartState();
    void ShowStartFolder();
    void SaveColumnWidths();
    void UpdateClock();
    void SetSearchCommandsEnabled(bool enabled);

    // The file search's own state.
    struct SearchColumns {
        int name = 0, selection = 0, location = 0, size = 0, type = 0, created = 0, modified = 0, pages = 0;
        // The Pages column is shown (its cells are counted only then).
        bool pagesShown = false;
    };
    void ConnectSearchOptions();
    // The column positions and the Pages column's visibility, as the
    // settings have them now.
    void ReadSearchColumns();
    // Places the loading window of a running search for the window's
    // present size and place.
    void PlaceLoadingWindow();
    void ScanFolder(const QString& folder);
    void YieldToMessageLoop(bool now = false);
    QString TypeNameOf(const QString& name);
    QIcon IconOf(const QString& typeName, const QString& name);
    void FillPagesCell(int row, const QString& path);
    // The size and date cells of a row, from what is known of its file.
    void FillFileCells(int row, const FoundFile& file);
    SearchColumns searchColumns_;
    FolderScan* runningScan_ = nullptr;
    QPointer<frmLoading> loading_;
    QElapsedTimer sinceYield_;
    QHash<QString, QString> typeNames_;
    QHash<QString, QIcon> imlFile;

    Widgets ui_;
    QTimer* clock_ = nullptr;
    int searchDepth_ = 0;
    bool closePending_ = false;
    bool unloaded_ = false;
    bool layoutRestored_ = false;
    bool panesShown_ = false;
    bool panesFitPending_ = false;
    // The directions the window shrank in since the options were last
    // given their room back.
    Qt::Orientations panesShrunk_;
    // The left column's width and the options' height as last set while the
    // window kept its size (by the user, the first fit or a restored
    // layout): a shrink gives back no more than that. 0 while unknown.
    QSize panesWindowSize_;
    int chosenLeftWidth_ = 0;
    int chosenOptionsHeight_ = 0;
};
