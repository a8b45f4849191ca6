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
#include <QLocale>
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

// The first separator character of a locale format, or the fallback.
QString SeparatorOf(const QString& format, const QString& fallback)
{
    for (const QChar c : format) {
        if (c.isLetter() || c.isSpace() || c == QLatin1Char('\'') || c == QLatin1Char(','))
            continue;
        return QString(c);
    }
    return fallback;
}

// A whole number with the locale's digit grouping, always grouped ("1,234"
// also where the locale leaves grouping out by default).
QString GroupedNumber(std::int64_t n)
{
    const QLocale locale;
    QString group = locale.groupSeparator();
    if (group.isEmpty())
        group = QStringLiteral(",");
    const QString digits = QString::number(n < 0 ? -n : n);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += group;
        out += digits.at(i);
    }
    return n < 0 ? QStringLiteral("-") + out : out;
}

// "dd/mm/yyyy hh:mm ampm" with the locale's separators and designators.
QString FormatFileDate(const QDateTime& when)
{
    if (!when.isValid())
        return QString();
    const QLocale locale;
    const QDateTime local = when.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    const QString dateSep = SeparatorOf(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
    const QString timeSep = SeparatorOf(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
    QString am = locale.amText();
    QString pm = locale.pmText();
    if (am.isEmpty() || pm.isEmpty()) {
        am = QStringLiteral("AM");
        pm = QStringLiteral("PM");
    }
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return two(d.day()) + dateSep + two(d.month()) + dateSep
           + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')) + QLatin1Char(' ') + two(hour12) + timeSep
           + two(t.minute()) + QLatin1Char(' ') + (t.hour() < 12 ? am : pm);
}

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
        if (cmdSearch->text() == kSearchCaption) {
            const std::int64_t started = NowNs();
            LastSearchTimings = SearchTimings();
            frmMain::SearchRun run(this);
            CancelRequested = false;
            cmdSearch->setText(kCancelCaption);
            // The caption comes back however the search ends.
            OnExit restoreCaption([this] { cmdSearch->setText(kSearchCaption); });
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
            grdSearchList->SetRedrawEnabled(-1);
            grdSearchList->show();
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
    if (cmdSearch->text() == kSearchCaption)
        cmdSearch_Click();
}

void frmMain::ftvFolder_SelectionChange()
{
    // A click makes a folder current before it selects it, and the search
    // below runs in between: the folder being searched is the one the tree
    // shows selected, from the start.
    const QModelIndex current = ftvFolder->currentIndex();
    QItemSelectionModel* selection = ftvFolder->selectionModel();
    if (current.isValid() && !selection->isSelected(current))
        selection->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (cmdSearch->text() == kSearchCaption)
        cmdSearch_Click();
    ShowStatus(getSelectedFileinfo());
}

void frmMain::FillComboBoxes()
{
    ErrorTrap trap = Trap("FillComboBoxes");
    try {
        trap.Line(20);
        cboFilterPattern->clear();
        cboFilterPattern->addItems(FilterPatterns);
        cboFilterPattern->setCurrentIndex(0);
        trap.Line(30);
        const std::pair<QComboBox*, const QStringList*> combos[] = {{cboDateRangeType, &DateKindCaptions()},
                                                                    {cboDateInPeriod, &PeriodUnitCaptions()},
                                                                    {cboLeastMost, &SizeLimitCaptions()}};
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
    ftvFolder->setEnabled(enabled);
    ctlPaneSearchList->setEnabled(enabled);
    chkSearchSubFolder->setEnabled(enabled);
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
        grdSearchList->SetRedrawEnabled(-1);
        grdSearchList->show();
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
            grdSearchList->SetRowCount(1);
            // The totals go with the rows: the status bar must not count
            // files the grid no longer holds.
            ShowStatus(getSelectedFileinfo());
        }

        trap.Line(60);
        YieldToMessageLoop(true);

        trap.Line(70);
        grdSearchList->SetRedrawEnabled(0);
        grdSearchList->hide();

        trap.Line(80);
        ScanFolder(folder);

        trap.Line(90);
        grdSearchList->SetRedrawEnabled(-1);
        grdSearchList->show();
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
    const QWidget* list = Pane(PaneSearchList);
    const bool listShown = isVisible() && list && list->isVisible() && !list->size().isEmpty();
    const QRect over = listShown ? QRect(list->mapToGlobal(QPoint(0, 0)), list->size()) : frameGeometry();
    const QRect cancel = isVisible() && cmdSearch->isVisible()
                             ? QRect(cmdSearch->mapToGlobal(QPoint(0, 0)), cmdSearch->size())
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
    sbPanelSkipped->hide();
    FolderScan scan(ReadSearchCriteria(), CancelRequested);
    FolderScan::Callbacks callbacks;
    callbacks.fileFound = [this](const QString& in, const FoundFile& file) {
        AddResultRow(in, file);
        if (loading_)
            loading_->UpdateStatus(grdSearchList->RowCount() - 1);
    };
    callbacks.step = [this] { YieldToMessageLoop(); };
    runningScan_ = &scan;
    OnExit forget([this] { runningScan_ = nullptr; });
    scan.Run(folder, callbacks);
    LastSearchTimings.walk += scan.ScanTimings().walk;
    LastSearchTimings.filter += scan.ScanTimings().filter;
    LastSearchTimings.files += scan.ScanTimings().files;
    if (scan.SkippedNames() > 0) {
        sbPanelSkipped->setText(QString::number(scan.SkippedNames())
                                + QStringLiteral(" file name(s) skipped: not valid UTF-8 (see Errors.Log)"));
        sbPanelSkipped->show();
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
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{
             ChkUseAdvOpt, chkSearchByDate, chkSearchBySize, optInPeriod, optBtnPeriod, optSizeAt, optSizeBtn})
        connect(box, &QAbstractButton::toggled, this, changed);
    for (QLineEdit* box : {txtInPeriod, txtSizeLeastMost, txtSizeFrom, txtSizeTo})
        connect(box, &QLineEdit::textChanged, this, changed);
    for (QComboBox* box : {cboDateRangeType, cboDateInPeriod, cboLeastMost})
        connect(box, &QComboBox::currentTextChanged, this, changed);
    for (QDateEdit* box : {dtpDateFrom, dtpDateTo})
        connect(box, &QDateEdit::dateChanged, this, changed);
}

SearchCriteria frmMain::ReadSearchCriteria() const
{
    SearchCriteria c;
    c.pattern = FilterPatterns.value(std::max(0, cboFilterPattern->currentIndex()));
    c.subfolders = chkSearchSubFolder->isChecked();
    c.advanced = ChkUseAdvOpt->isChecked();
    c.byDate = chkSearchByDate->isChecked();
    const qsizetype kind = DateKindCaptions().indexOf(cboDateRangeType->currentText());
    c.dateKind = kind < 0 ? SearchCriteria::DateKind::None : static_cast<SearchCriteria::DateKind>(kind);
    c.inPeriod = optInPeriod->isChecked();
    c.periodCount = txtInPeriod->text();
    c.periodInMonths = cboDateInPeriod->currentText() != PeriodUnitCaptions().value(0);
    c.dateFrom = dtpDateFrom->date();
    c.dateTo = dtpDateTo->date();
    c.bySize = chkSearchBySize->isChecked();
    c.sizeAtLimit = optSizeAt->isChecked();
    c.sizeAtLeast = cboLeastMost->currentText() == SizeLimitCaptions().value(0);
    c.sizeLimit = txtSizeLeastMost->text();
    c.sizeFrom = txtSizeFrom->text();
    c.sizeTo = txtSizeTo->text();
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
    grdSearchList->SetCellText(row, searchColumns_.pages, text);
}

void frmMain::FillFileCells(int row, const FoundFile& file)
{
    Grid& g = *grdSearchList;
    const SearchColumns& c = searchColumns_;
    g.SetCellText(row, c.size, GroupedNumber(RoundUpSizeKB(file.size)) + QStringLiteral(" KB"));
    g.SetCellText(row, c.created, FormatFileDate(file.created));
    g.SetCellText(row, c.modified, FormatFileDate(file.modified));
}

void frmMain::RefreshResultRow(int row)
{
    ReadSearchColumns();
    const Grid& g = *grdSearchList;
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
        Grid& g = *grdSearchList;
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
