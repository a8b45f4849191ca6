// frmMain: the file search. Fills the result grid with one row per file
// that the folder scan (folder_search.h) finds under the folder selected in
// the folder tree, with the options the window's controls show as the
// search starts.
//
// The search runs on the window's thread and lets the message loop run
// between files (at most every few hundredths of a second), so the window
// stays responsive and the Search button, reading "&Cancel" meanwhile, can
// stop it.

#include "desktop/main/frm_main.h"

#include "desktop/core/column_layout.h"
#include "desktop/core/program_objects.h"
#include "desktop/main/file_cell_text.h"
#include "desktop/main/folder_search.h"
#include "desktop/main/frm_loading.h"
#include "desktop/main/stage_clock.h"
#include "operations/error_trap.h"
#include "operations/mod_general.h"
#include "operations/shell_folders.h"
#include "platform/grid/grid.h"
#include "platform/message_box/message_box.h"
#include "platform/runtime/run_time_error.h"

#include <QAbstractFileIconProvider>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDockWidget>
#include <QFileIconProvider>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <initializer_list>
#include <utility>

namespace {

const QString kSearchCaption = QStringLiteral("&Search");
const QString kCancelCaption = QStringLiteral("&Cancel");

// The longest the search works between two turns of the message loop.
constexpr qint64 kYieldIntervalNs = 20'000'000;

// Runs a function when the scope ends, however it ends.
template <typename F>
class OnExit {
public:
    explicit OnExit(F f) : f_(std::move(f)) {}
    ~OnExit() { f_(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    F f_;
};

// The text after the last "." of the path; empty when there is none.
QString GetExtensionOfPath(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}

} // namespace

// ===================================================================
// Commands and option lists
// ===================================================================

void frmMain::cmdSearch_Click()
{
    ErrorTrap trap = Trap("cmdSearch_Click");
    try {
        trap.Line(10);
        if (ui_.cmdSearch->text() == kSearchCaption) {
            const std::int64_t started = NowNs();
            LastSearchTimings = SearchTimings();
            frmMain::SearchRun run(this);
            CancelRequested = false;
            ui_.cmdSearch->setText(kCancelCaption);
            // The caption comes back however the search ends.
            OnExit restoreCaption([this] { ui_.cmdSearch->setText(kSearchCaption); });
            trap.Line(20);
            QString path = SelectedFolder();
            MainLoadFiles(path, true);
            trap.Line(30);
            {
                StageClock clock(LastSearchTimings.sort);
                SortAfterSearch();
            }
            LastSearchTimings.total = NowNs() - started;
        } else {
            // Cancel: the running search sees the flag at its next check;
            // the rows found so far show at once, sorted.
            trap.Line(40);
            CancelRequested = true;
            ui_.grdSearchList->SetRedrawEnabled(-1);
            ui_.grdSearchList->show();
            SortAfterSearch();
        }
        trap.Line(50);
        ShowStatus(getSelectedFileinfo());
    } catch (...) {
        trap.Log();
    }
}

void frmMain::cboFilterPattern_Click()
{
    if (ui_.cmdSearch->text() == kSearchCaption)
        cmdSearch_Click();
}

void frmMain::ftvFolder_SelectionChange()
{
    // A click makes a folder current before it selects it, and the search
    // below runs in between: the folder being searched is the one the tree
    // shows selected, from the start.
    const QModelIndex current = ui_.ftvFolder->currentIndex();
    QItemSelectionModel* selection = ui_.ftvFolder->selectionModel();
    if (current.isValid() && !selection->isSelected(current))
        selection->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (ui_.cmdSearch->text() == kSearchCaption)
        cmdSearch_Click();
    ShowStatus(getSelectedFileinfo());
}

void frmMain::FillComboBoxes()
{
    ErrorTrap trap = Trap("FillComboBoxes");
    try {
        trap.Line(20);
        ui_.cboFilterPattern->clear();
        ui_.cboFilterPattern->addItems(FilterPatterns);
        ui_.cboFilterPattern->setCurrentIndex(0);
        trap.Line(30);
        const std::pair<QComboBox*, const QStringList*> combos[] = {{ui_.cboDateRangeType, &DateKindCaptions()},
                                                                    {ui_.cboDateInPeriod, &PeriodUnitCaptions()},
                                                                    {ui_.cboLeastMost, &SizeLimitCaptions()}};
        for (const auto& [combo, list] : combos) {
            combo->clear();
            combo->addItems(*list);
            combo->setCurrentIndex(0);
        }
    } catch (...) {
        trap.Log();
    }
}

void frmMain::EnableSearchControls(bool enabled)
{
    ui_.ftvFolder->setEnabled(enabled);
    ui_.ctlPaneSearchList->setEnabled(enabled);
    ui_.chkSearchSubFolder->setEnabled(enabled);
}

// ===================================================================
// The search
// ===================================================================

void frmMain::MainLoadFiles(QString& folder, bool clear)
{
    ErrorTrap trap = Trap("MainLoadFiles");
    frmMain::SearchRun run(this);
    // Whatever happens below, the window comes back to its idle state:
    // controls enabled, pointer normal, grid painted and shown, loading
    // window gone.
    OnExit restore([this] {
        ui_.grdSearchList->SetRedrawEnabled(-1);
        ui_.grdSearchList->show();
        delete loading_.data();
        unsetCursor();
        EnableSearchControls(true);
    });
    try {
        trap.Line(10);
        CancelRequested = false;
        EnableSearchControls(false);
        setCursor(Qt::BusyCursor);

        trap.Line(20);
        if (folder == QLatin1String("Desktop"))
            folder = GetSpecialfolder(CSIDL_DESKTOP);

        trap.Line(30);
        ReadSearchColumns();

        trap.Line(40);
        delete loading_.data();
        // Owned by this window once it is on screen; the search that the
        // window's load starts runs before that, and an owned window would
        // make this one a native window before its placement is settled.
        loading_ = new frmLoading(isVisible() ? this : nullptr);
        PlaceLoadingWindow();
        loading_->show();

        trap.Line(50);
        if (clear) {
            ui_.grdSearchList->SetRowCount(1);
            // The totals go with the rows: the status bar must not count
            // files the grid no longer holds.
            ShowStatus(getSelectedFileinfo());
        }

        trap.Line(60);
        YieldToMessageLoop(true);

        trap.Line(70);
        ui_.grdSearchList->SetRedrawEnabled(0);
        ui_.grdSearchList->hide();

        trap.Line(80);
        ScanFolder(folder);

        trap.Line(90);
        ui_.grdSearchList->SetRedrawEnabled(-1);
        ui_.grdSearchList->show();
        trap.Line(100);
        delete loading_.data();

        trap.Line(110);
        // A search stopped by closing the window ends without a word.
        if (CancelRequested && !ClosePending())
            MsgBox(QStringLiteral("Process is terminated."), MsgBoxIcon::Information);
    } catch (...) {
        trap.Log();
    }
}

void frmMain::PlaceLoadingWindow()
{
    if (!loading_)
        return;
    // Over the list that the search fills (the whole window while the list
    // is not shown), never over the Search button: it reads "&Cancel" now
    // and must stay within reach of the mouse.
    const QWidget* list = ui_.Pane(PaneSearchList);
    const bool listShown = isVisible() && list && list->isVisible() && !list->size().isEmpty();
    const QRect over = listShown ? QRect(list->mapToGlobal(QPoint(0, 0)), list->size()) : frameGeometry();
    const QRect cancel = isVisible() && ui_.cmdSearch->isVisible()
                             ? QRect(ui_.cmdSearch->mapToGlobal(QPoint(0, 0)), ui_.cmdSearch->size())
                             : QRect();
    loading_->PlaceOver(over, cancel);
}

void frmMain::ReadSearchColumns()
{
    searchColumns_.name = GetColumnIndexByKey(QStringLiteral("Name"));
    searchColumns_.selection = GetColumnIndexByKey(QStringLiteral("Selection"));
    searchColumns_.location = GetColumnIndexByKey(QStringLiteral("Location"));
    searchColumns_.size = GetColumnIndexByKey(QStringLiteral("Size (In KB)"));
    searchColumns_.type = GetColumnIndexByKey(QStringLiteral("Type"));
    searchColumns_.created = GetColumnIndexByKey(QStringLiteral("Created Date"));
    searchColumns_.modified = GetColumnIndexByKey(QStringLiteral("Modified Date"));
    searchColumns_.pages = GetColumnIndexByKey(QStringLiteral("Pages"));
    ColumnVisibleArray = TheSettings().ColumnVisibility().split(QLatin1Char(','));
    searchColumns_.pagesShown = ColumnVisibleArray.value(searchColumns_.pages) == QLatin1String("1");
}

void frmMain::ScanFolder(const QString& folder)
{
    ui_.sbPanelSkipped->hide();
    FolderScan scan(ReadSearchCriteria(), CancelRequested);
    FolderScan::Callbacks callbacks;
    callbacks.fileFound = [this](const QString& in, const FoundFile& file) {
        AddResultRow(in, file);
        if (loading_)
            loading_->UpdateStatus(ui_.grdSearchList->RowCount() - 1);
    };
    callbacks.step = [this] { YieldToMessageLoop(); };
    runningScan_ = &scan;
    OnExit forget([this] { runningScan_ = nullptr; });
    scan.Run(folder, callbacks);
    LastSearchTimings.walk += scan.ScanTimings().walk;
    LastSearchTimings.filter += scan.ScanTimings().filter;
    LastSearchTimings.files += scan.ScanTimings().files;
    if (scan.SkippedNames() > 0) {
        ui_.sbPanelSkipped->setText(QString::number(scan.SkippedNames())
                                    + QStringLiteral(" file name(s) skipped: not valid UTF-8 (see Errors.Log)"));
        ui_.sbPanelSkipped->show();
    }
}

void frmMain::ConnectSearchOptions()
{
    // The advanced options stay open while a search runs; a change counts
    // from the next file on.
    const auto changed = [this] {
        if (runningScan_)
            runningScan_->SetAdvancedFilter(ReadSearchCriteria());
    };
    for (QAbstractButton* box :
         std::initializer_list<QAbstractButton*>{ui_.ChkUseAdvOpt, ui_.chkSearchByDate, ui_.chkSearchBySize,
                                                 ui_.optInPeriod, ui_.optBtnPeriod, ui_.optSizeAt, ui_.optSizeBtn})
        connect(box, &QAbstractButton::toggled, this, changed);
    for (QLineEdit* box : {ui_.txtInPeriod, ui_.txtSizeLeastMost, ui_.txtSizeFrom, ui_.txtSizeTo})
        connect(box, &QLineEdit::textChanged, this, changed);
    for (QComboBox* box : {ui_.cboDateRangeType, ui_.cboDateInPeriod, ui_.cboLeastMost})
        connect(box, &QComboBox::currentTextChanged, this, changed);
    for (QDateEdit* box : {ui_.dtpDateFrom, ui_.dtpDateTo})
        connect(box, &QDateEdit::dateChanged, this, changed);
}

SearchCriteria frmMain::ReadSearchCriteria() const
{
    SearchCriteria c;
    c.pattern = FilterPatterns.value(std::max(0, ui_.cboFilterPattern->currentIndex()));
    c.subfolders = ui_.chkSearchSubFolder->isChecked();
    c.advanced = ui_.ChkUseAdvOpt->isChecked();
    c.byDate = ui_.chkSearchByDate->isChecked();
    const qsizetype kind = DateKindCaptions().indexOf(ui_.cboDateRangeType->currentText());
    c.dateKind = kind < 0 ? SearchCriteria::DateKind::None : static_cast<SearchCriteria::DateKind>(kind);
    c.inPeriod = ui_.optInPeriod->isChecked();
    c.periodCount = ui_.txtInPeriod->text();
    c.periodInMonths = ui_.cboDateInPeriod->currentText() != PeriodUnitCaptions().value(0);
    c.dateFrom = ui_.dtpDateFrom->date();
    c.dateTo = ui_.dtpDateTo->date();
    c.bySize = ui_.chkSearchBySize->isChecked();
    c.sizeAtLimit = ui_.optSizeAt->isChecked();
    c.sizeAtLeast = ui_.cboLeastMost->currentText() == SizeLimitCaptions().value(0);
    c.sizeLimit = ui_.txtSizeLeastMost->text();
    c.sizeFrom = ui_.txtSizeFrom->text();
    c.sizeTo = ui_.txtSizeTo->text();
    return c;
}

void frmMain::YieldToMessageLoop(bool now)
{
    if (!now && sinceYield_.isValid() && sinceYield_.nsecsElapsed() < kYieldIntervalNs)
        return;
    {
        StageClock clock(LastSearchTimings.yield);
        QCoreApplication::processEvents();
    }
    sinceYield_.start();
}

// ===================================================================
// One row
// ===================================================================

QString frmMain::TypeNameOf(const QString& name)
{
    // Types are found by the name's extension; the same extension gives the
    // same type, so it is looked up once.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString key = dot < 0 ? QString() : name.mid(dot).toLower();
    const auto it = typeNames_.constFind(key);
    if (it != typeNames_.constEnd())
        return *it;
    static const QMimeDatabase db;
    const QString type = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment().toLower();
    typeNames_.insert(key, type);
    return type;
}

QIcon frmMain::IconOf(const QString& typeName, const QString& name)
{
    // One picture per type, drawn once and then taken from the store.
    const auto it = imlFile.constFind(typeName);
    if (it != imlFile.constEnd())
        return *it;
    static const QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull()) {
        static const QFileIconProvider provider;
        icon = provider.icon(QAbstractFileIconProvider::File);
    }
    imlFile.insert(typeName, icon);
    return icon;
}

void frmMain::FillPagesCell(int row, const QString& path)
{
    const QString extension = GetExtensionOfPath(path).toUpper();
    const bool tiff = extension == QLatin1String("TIF") || extension == QLatin1String("TIFF");
    const bool pdf = extension == QLatin1String("PDF");
    if (!tiff && !pdf)
        return;
    QString text = QStringLiteral("Error");
    {
        StageClock clock(LastSearchTimings.count);
        try {
            std::int32_t pages = 0;
            const com::HRESULT hr =
                tiff ? TiffPageCounter.CountPages(path, pages) : PdfPageCounter.CountPages(path, pages);
            // A counter that fails or cannot count the file makes the cell
            // read "Error"; the search goes on with the next file.
            if (hr >= 0 && (tiff ? pages >= 0 : pages > 0))
                text = QString::number(pages);
        } catch (...) {
        }
    }
    ui_.grdSearchList->SetCellText(row, searchColumns_.pages, text);
}

void frmMain::FillFileCells(int row, const FoundFile& file)
{
    Grid& g = *ui_.grdSearchList;
    const SearchColumns& c = searchColumns_;
    g.SetCellText(row, c.size, SizeCellText(file.size));
    g.SetCellText(row, c.created, DateCellText(file.created));
    g.SetCellText(row, c.modified, DateCellText(file.modified));
}

void frmMain::RefreshResultRow(int row)
{
    ReadSearchColumns();
    const Grid& g = *ui_.grdSearchList;
    const QString path = ValidateDir(g.CellText(row, searchColumns_.location)) + g.CellText(row, searchColumns_.name);
    FoundFile file;
    // A file that has gone keeps its row as it was.
    if (!IsFileFound(path, file))
        return;
    FillFileCells(row, file);
    if (searchColumns_.pagesShown)
        FillPagesCell(row, path);
}

void frmMain::AddResultRow(const QString& folder, const FoundFile& file)
{
    if (CancelRequested)
        return;
    if (file.name.isEmpty() || file.name == QLatin1String(".") || file.name == QLatin1String(".."))
        return;
    const QString path = ValidateDir(folder) + file.name;
    int row = 0;
    {
        StageClock clock(LastSearchTimings.fill);
        Grid& g = *ui_.grdSearchList;
        const QString typeName = TypeNameOf(file.name);
        g.SetRowCount(g.RowCount() + 1);
        row = g.RowCount() - 1;
        ++LastSearchTimings.rows;

        const SearchColumns& c = searchColumns_;
        g.SetCellText(row, c.name, file.name);
        g.SetCellAttribute(Grid::kAttrPicture, row, c.name, IconOf(typeName, file.name));
        g.SetCellText(row, c.location, folder);
        g.SetCellText(row, c.type, typeName);
        FillFileCells(row, file);
    }
    // The Pages column is counted only while it is shown.
    if (searchColumns_.pagesShown)
        FillPagesCell(row, path);
}
