// frmMain: the file search. Fills the result grid with one row per file
// found under the folder selected in the folder tree (and, when asked, its
// subfolders, depth first), filtered by the name pattern and the optional
// date and size filters of the advanced options.
//
// The search runs on the window's thread and lets the message loop run
// between files (at most every few hundredths of a second), so the window
// stays responsive and the Search button, reading "&Cancel" meanwhile, can
// stop it.

#include "desktop/main/frm_main.h"

#include "desktop/main/column_layout.h"
#include "desktop/main/desktop_startup.h"
#include "desktop/main/frm_loading.h"
#include "operations/error_trap.h"
#include "operations/file_pattern.h"
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
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace {

const QString kSearchCaption = QStringLiteral("&Search");
const QString kCancelCaption = QStringLiteral("&Cancel");

// The longest the search works between two turns of the message loop.
constexpr qint64 kYieldIntervalNs = 20'000'000;

ErrorTrap Trap(const char* procedure)
{
    return ErrorTrap(QString::fromLatin1(procedure), ObjectKind::Form, QStringLiteral("frmMain"));
}

Settings& TheSettings()
{
    if (!objSettings)
        throw RunTimeError(rterr::ObjectNotSet);
    return *objSettings;
}

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Adds the time of its scope to a counter.
class StageClock {
public:
    explicit StageClock(std::int64_t& sum) : sum_(sum), start_(NowNs()) {}
    ~StageClock() { sum_ += NowNs() - start_; }
    StageClock(const StageClock&) = delete;
    StageClock& operator=(const StageClock&) = delete;

private:
    std::int64_t& sum_;
    std::int64_t start_;
};

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

// A whole number typed into a box, as the locale writes numbers; a
// fraction is rounded to the nearest whole number (halves to even). Empty,
// non-numeric or out-of-range text gives nothing.
template <typename Int>
std::optional<Int> WholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = QLocale().toDouble(t, &ok);
    if (!ok)
        value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    value = std::nearbyint(value);
    if (value < static_cast<double>(std::numeric_limits<Int>::min())
        || value > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(value);
}

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

// The name patterns of one folder's scan, prepared once. A pattern
// of the common form "*.ext" is a case-insensitive test of the name's end;
// any other goes to the shared matcher. The answers are those of
// IsFileMatchWithFilterPattern for the same list.
class NameMatcher {
public:
    explicit NameMatcher(const QStringList& patterns)
    {
        for (const QString& pattern : patterns) {
            for (const QString& raw : pattern.split(QLatin1Char(';'))) {
                const QString spec = raw.trimmed();
                if (spec.isEmpty())
                    continue;
                if (spec == QLatin1String("*.*") || spec == QLatin1String("*")) {
                    every_ = true;
                } else if (spec.startsWith(QLatin1Char('*')) && spec.size() > 1
                           && !spec.mid(1).contains(QLatin1Char('*')) && !spec.contains(QLatin1Char('?'))) {
                    endings_.append(spec.mid(1));
                } else {
                    others_.append(spec);
                }
            }
        }
    }

    bool Matches(const QString& name) const
    {
        if (every_)
            return true;
        for (const QString& ending : endings_)
            if (name.endsWith(ending, Qt::CaseInsensitive))
                return true;
        for (const QString& spec : others_)
            if (PathMatchSpec(name, spec))
                return true;
        return false;
    }

private:
    bool every_ = false;
    QStringList endings_;
    QStringList others_;
};

// A directory entry as the scan sees it.
struct Entry {
    QString name;
    QString folded; // the name without regard to case, for ordering
};

// An entry whose name is not valid UTF-8: its text cannot be turned back
// into its bytes, so no path built from it reaches the file.
struct UnreachableEntry {
    QByteArray bytes;
    QString shown; // the name as text, for matching the pattern
    bool folder = false;
};

// The bytes of a name as a log can show them: printable ASCII as it is,
// every other byte as \xHH.
QString EscapedName(const QByteArray& bytes)
{
    QString out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            out += QLatin1Char(static_cast<char>(b));
        else
            out += QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return out;
}

bool NameBefore(const Entry& a, const Entry& b)
{
    const int folded = QString::compare(a.folded, b.folded, Qt::CaseSensitive);
    return folded != 0 ? folded < 0 : a.name < b.name;
}

// Closes a listing however the scan leaves it.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entries of a folder, each list in name order: regular files (and
// links to them, and links that lead nowhere, which the existence check
// then drops) and real subfolders. A link to a folder is neither: the scan
// never follows one. Other kinds (pipes, sockets, devices) are left out, so
// nothing can block on them. Names that are not valid UTF-8 go to
// `unreachable` instead. Returns the errno of a folder that cannot be
// listed, else 0.
int ListFolder(const QString& folder, std::vector<Entry>& files, std::vector<Entry>& folders,
               std::vector<UnreachableEntry>& unreachable)
{
    const QByteArray dirPath = QFile::encodeName(folder);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(dirPath.constData()));
    if (!dir)
        return errno;
    const int fd = ::dirfd(dir.get());
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(dir.get());
        if (!d) {
            if (errno != 0)
                return errno;
            break;
        }
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        unsigned char type = d->d_type;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            // The file system does not say: ask for the entry itself.
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
        }
        bool isFile = false;
        bool isFolder = false;
        if (type == DT_DIR) {
            isFolder = true;
        } else if (type == DT_REG) {
            isFile = true;
        } else if (type == DT_LNK) {
            // A link counts as a file unless it leads to something else.
            isFile = ::fstatat(fd, name, &st, 0) != 0 || S_ISREG(st.st_mode);
        }
        if (!isFile && !isFolder)
            continue;
        Entry entry;
        entry.name = QFile::decodeName(name);
        if (QFile::encodeName(entry.name) != QByteArrayView(name)) {
            unreachable.push_back(UnreachableEntry{QByteArray(name), entry.name, isFolder});
            continue;
        }
        entry.folded = entry.name.toCaseFolded();
        (isFolder ? folders : files).push_back(std::move(entry));
    }
    std::sort(files.begin(), files.end(), NameBefore);
    std::sort(folders.begin(), folders.end(), NameBefore);
    std::sort(unreachable.begin(), unreachable.end(),
              [](const UnreachableEntry& a, const UnreachableEntry& b) { return a.bytes < b.bytes; });
    return 0;
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
    if (cmdSearch->text() == kSearchCaption)
        cmdSearch_Click();
    ShowStatus(getSelectedFileinfo());
}

void frmMain::FillComboBoxes()
{
    ErrorTrap trap = Trap("FillComboBoxes");
    try {
        trap.Line(10);
        DateRangeTypes = {QStringLiteral("Files Created"), QStringLiteral("Files Modified"),
                          QStringLiteral("Files Last Accessed")};
        PeriodUnits = {QStringLiteral("Day(s)"), QStringLiteral("Month(s)")};
        SizeLimitKinds = {QStringLiteral("Least"), QStringLiteral("Most")};
        trap.Line(20);
        cboFilterPattern->clear();
        cboFilterPattern->addItems(FilterPatterns);
        cboFilterPattern->setCurrentIndex(0);
        trap.Line(30);
        const std::pair<QComboBox*, const QStringList*> combos[] = {
            {cboDateRangeType, &DateRangeTypes}, {cboDateInPeriod, &PeriodUnits}, {cboLeastMost, &SizeLimitKinds}};
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
        searchColumns_.name = GetColumnIndexByKey(QStringLiteral("Name"));
        searchColumns_.selection = GetColumnIndexByKey(QStringLiteral("Selection"));
        searchColumns_.location = GetColumnIndexByKey(QStringLiteral("Location"));
        searchColumns_.size = GetColumnIndexByKey(QStringLiteral("Size (In KB)"));
        searchColumns_.type = GetColumnIndexByKey(QStringLiteral("Type"));
        searchColumns_.created = GetColumnIndexByKey(QStringLiteral("Created Date"));
        searchColumns_.modified = GetColumnIndexByKey(QStringLiteral("Modified Date"));
        searchColumns_.pages = GetColumnIndexByKey(QStringLiteral("Pages"));

        trap.Line(40);
        delete loading_.data();
        // Owned by this window once it is on screen; the search that the
        // window's load starts runs before that, and an owned window would
        // make this one a native window before its placement is settled.
        loading_ = new frmLoading(isVisible() ? this : nullptr);
        loading_->PlaceOver(frameGeometry());
        loading_->show();

        trap.Line(50);
        if (clear)
            grdSearchList->SetRowCount(1);

        trap.Line(60);
        YieldToMessageLoop(true);

        trap.Line(70);
        grdSearchList->SetRedrawEnabled(0);
        grdSearchList->hide();

        trap.Line(80);
        scanPath_.clear();
        SkippedNames = 0;
        sbPanelSkipped->hide();
        LoadFiles(folder, clear);
        if (SkippedNames > 0) {
            sbPanelSkipped->setText(QString::number(SkippedNames)
                                    + QStringLiteral(" file name(s) skipped: not valid UTF-8 (see Errors.Log)"));
            sbPanelSkipped->show();
        }

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

void frmMain::LoadFiles(const QString& folder, bool clear)
{
    if (CancelRequested)
        return;
    ErrorTrap trap = Trap("LoadFiles");
    bool entered = false;
    try {
        trap.Line(10);
        std::vector<Entry> files;
        std::vector<Entry> folders;
        std::vector<UnreachableEntry> unreachable;
        QStringList patterns;
        bool everyName = false;
        {
            StageClock clock(LastSearchTimings.walk);
            // The folder's identity: a folder already being scanned further
            // up (a mount that loops back) is not entered again.
            struct stat st {};
            if (::stat(QFile::encodeName(folder).constData(), &st) == 0) {
                const std::pair<std::uint64_t, std::uint64_t> id{st.st_dev, st.st_ino};
                if (std::find(scanPath_.begin(), scanPath_.end(), id) != scanPath_.end())
                    return;
                scanPath_.push_back(id);
                entered = true;
            }

            trap.Line(20);
            const QString pattern = FilterPatterns.value(std::max(0, cboFilterPattern->currentIndex()));
            GenerateFilterPatternArray(pattern, patterns);
            everyName = patterns.isEmpty() && pattern.trimmed() == QLatin1String("*.*");

            trap.Line(30);
            if (clear)
                grdSearchList->SetRowCount(1);

            trap.Line(40);
            const int error = folder.isEmpty() ? ENOENT : ListFolder(folder, files, folders, unreachable);
            if (error == ENOENT || error == ENOTDIR)
                throw RunTimeError(76, QStringLiteral("Path not found"));
            if (error == EACCES || error == EPERM)
                throw RunTimeError(70, QStringLiteral("Permission denied"));
            if (error != 0)
                throw RunTimeError(75, QStringLiteral("Path/File access error"));
        }

        // A folder counts as a step of the walk like a file does: a tree of
        // folders without files must not hold the window (or a Cancel) up.
        YieldToMessageLoop();

        trap.Line(50);
        const QString base = ValidateDir(folder);
        const NameMatcher matcher(patterns);
        // What the search would have looked at but cannot reach: a file the
        // pattern takes, a subfolder it would have entered. Each is logged.
        for (const UnreachableEntry& entry : unreachable) {
            if (entry.folder ? !chkSearchSubFolder->isChecked() : !(everyName || matcher.Matches(entry.shown)))
                continue;
            ++SkippedNames;
            ErrorTrap skipped = Trap("LoadFiles");
            skipped.Line(50);
            skipped.Log(RunTimeError(52, QStringLiteral("Bad file name or number: ") + base + EscapedName(entry.bytes)
                                             + (entry.folder ? QStringLiteral(" (folder)") : QString())
                                             + QStringLiteral(" is not valid UTF-8 and was not searched")));
        }
        for (const Entry& entry : files) {
            if (CancelRequested)
                break;
            ++LastSearchTimings.files;
            bool matches = everyName;
            if (!matches) {
                StageClock clock(LastSearchTimings.walk);
                matches = matcher.Matches(entry.name);
            }
            if (matches) {
                trap.Line(60);
                FoundFile found;
                bool listed = false;
                {
                    StageClock clock(LastSearchTimings.filter);
                    // A file that vanished or cannot be looked at is passed
                    // over; the rest of the folder is still scanned.
                    listed = IsFileFound(base + entry.name, found) && PassesAdvancedFilter(found);
                }
                if (listed) {
                    trap.Line(70);
                    AddResultRow(folder, found);
                    if (loading_)
                        loading_->UpdateStatus(grdSearchList->RowCount() - 1);
                }
            }
            trap.Line(80);
            YieldToMessageLoop();
        }

        trap.Line(90);
        if (chkSearchSubFolder->isChecked()) {
            for (const Entry& sub : folders)
                LoadFiles(base + sub.name, false);
        }
    } catch (...) {
        trap.Log();
    }
    if (entered)
        scanPath_.pop_back();
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

void frmMain::GenerateFilterPatternArray(const QString& pattern, QStringList& patterns)
{
    ErrorTrap trap = Trap("GenerateFilterPatternArray");
    try {
        trap.Line(10);
        if (pattern.trimmed() == QLatin1String("*.*"))
            return;
        trap.Line(20);
        if (pattern.contains(QLatin1Char(';')))
            patterns = pattern.split(QLatin1Char(';'));
        else if (pattern.contains(QLatin1Char(',')))
            patterns = pattern.split(QLatin1Char(','));
        else
            patterns = QStringList{pattern, QString()};
    } catch (...) {
        trap.Log();
    }
}

bool frmMain::IsFileFound(const QString& path, FoundFile& file)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return false;
    file.name = info.fileName();
    file.size = info.size();
    file.created = info.birthTime();
    if (!file.created.isValid())
        file.created = info.metadataChangeTime();
    file.modified = info.lastModified();
    file.accessed = info.lastRead();
    return true;
}

bool frmMain::PassesAdvancedFilter(const FoundFile& file)
{
    try {
        if (!ChkUseAdvOpt->isChecked())
            return true;
        const bool byDate = chkSearchByDate->isChecked();
        const bool bySize = chkSearchBySize->isChecked();
        if (!byDate && !bySize)
            return true;

        if (byDate) {
            const QDate today = Today();
            QDate from;
            QDate to;
            if (optInPeriod->isChecked()) {
                const std::optional<std::int16_t> n = WholeNumber<std::int16_t>(txtInPeriod->text());
                if (!n)
                    return false;
                if (*n >= 1) {
                    // Going back whole months keeps the day of the month,
                    // clamped to the end of a shorter month.
                    from = cboDateInPeriod->currentText() == PeriodUnits.value(0) ? today.addDays(-*n)
                                                                                   : today.addMonths(-*n);
                    to = today;
                } else {
                    from = today;
                    to = today;
                }
            } else {
                from = dtpDateFrom->date();
                to = dtpDateTo->date();
            }
            const QString kind = cboDateRangeType->currentText();
            QDateTime when;
            bool tested = true;
            if (kind == DateRangeTypes.value(0))
                when = file.created;
            else if (kind == DateRangeTypes.value(1))
                when = file.modified;
            else if (kind == DateRangeTypes.value(2))
                when = file.accessed;
            else
                tested = false;
            if (tested) {
                if (!when.isValid() || !from.isValid() || !to.isValid())
                    return false;
                const QDate day = when.toLocalTime().date();
                if (day < from || day > to)
                    return false;
            }
        }

        if (bySize) {
            const std::int64_t kb = RoundUpSizeKB(file.size);
            if (optSizeAt->isChecked()) {
                const std::optional<std::int32_t> limit = WholeNumber<std::int32_t>(txtSizeLeastMost->text());
                if (!limit)
                    return false;
                if (cboLeastMost->currentText() == SizeLimitKinds.value(0)) {
                    if (kb < *limit)
                        return false;
                } else if (kb > *limit) {
                    return false;
                }
            } else {
                const std::optional<std::int32_t> lo = WholeNumber<std::int32_t>(txtSizeFrom->text());
                const std::optional<std::int32_t> hi = WholeNumber<std::int32_t>(txtSizeTo->text());
                if (!lo || !hi || kb < *lo || kb > *hi)
                    return false;
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

std::int64_t frmMain::RoundUpSizeKB(std::int64_t bytes)
{
    if (bytes <= 0)
        return 0;
    return bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
}

QString frmMain::GetExtensionOfPath(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString frmMain::FormatFileDate(const QDateTime& when)
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
    return two(d.day()) + dateSep + two(d.month()) + dateSep + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'))
           + QLatin1Char(' ') + two(hour12) + timeSep + two(t.minute()) + QLatin1Char(' ')
           + (t.hour() < 12 ? am : pm);
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
            const com::HRESULT hr = tiff ? TiffPageCounter.CountPages(path, pages) : PdfPageCounter.CountPages(path, pages);
            // A counter that fails or cannot count the file makes the cell
            // read "Error"; the search goes on with the next file.
            if (hr >= 0 && (tiff ? pages >= 0 : pages > 0))
                text = QString::number(pages);
        } catch (...) {
        }
    }
    grdSearchList->SetCellText(row, searchColumns_.pages, text);
}

void frmMain::RefreshResultRow(int row)
{
    Grid& g = *grdSearchList;
    const int name = GetColumnIndexByKey(QStringLiteral("Name"));
    const QString path = ValidateDir(g.CellText(row, GetColumnIndexByKey(QStringLiteral("Location"))))
                         + g.CellText(row, name);
    FoundFile file;
    // A file that has gone keeps its row as it was.
    if (!IsFileFound(path, file))
        return;
    g.SetCellText(row, GetColumnIndexByKey(QStringLiteral("Size (In KB)")),
                  GroupedNumber(RoundUpSizeKB(file.size)) + QStringLiteral(" KB"));
    g.SetCellText(row, GetColumnIndexByKey(QStringLiteral("Created Date")), FormatFileDate(file.created));
    g.SetCellText(row, GetColumnIndexByKey(QStringLiteral("Modified Date")), FormatFileDate(file.modified));
    searchColumns_.pages = GetColumnIndexByKey(QStringLiteral("Pages"));
    ColumnVisibleArray = TheSettings().ColumnVisibility().split(QLatin1Char(','));
    if (ColumnVisibleArray.value(searchColumns_.pages) == QLatin1String("1"))
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
        ColumnVisibleArray = TheSettings().ColumnVisibility().split(QLatin1Char(','));

        const SearchColumns& c = searchColumns_;
        g.SetCellText(row, c.name, file.name);
        g.SetCellAttribute(Grid::kAttrPicture, row, c.name, IconOf(typeName, file.name));
        g.SetCellText(row, c.location, folder);
        g.SetCellText(row, c.size, GroupedNumber(RoundUpSizeKB(file.size)) + QStringLiteral(" KB"));
        g.SetCellText(row, c.type, typeName);
        g.SetCellText(row, c.created, FormatFileDate(file.created));
        g.SetCellText(row, c.modified, FormatFileDate(file.modified));
    }
    // The Pages column is counted only while it is shown.
    if (ColumnVisibleArray.value(searchColumns_.pages) == QLatin1String("1"))
        FillPagesCell(row, path);
}
