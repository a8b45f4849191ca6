#include "desktop/main/folder_search.h"

#include "desktop/main/stage_clock.h"
#include "operations/error_trap.h"
#include "operations/file_pattern.h"
#include "operations/mod_general.h"
#include "platform/runtime/run_time_error.h"
#include "platform/safe_file/run_mark.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>

namespace {

// The error lines of the search name the main window.
const ProcedureTraps Trap(ObjectKind::Form, QStringLiteral("frmMain"));

const QString kProcedure = QStringLiteral("LoadFiles");

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

// A folder's entries, each list in name order.
struct Listing {
    std::vector<Entry> files;
    std::vector<Entry> folders;
    std::vector<UnreachableEntry> unreachable;
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
// then drops) and real subfolders other than a run's private folder. A link
// to a folder is neither: the scan never follows one. Other kinds (pipes, sockets, devices) are left out, so
// nothing can block on them. Names that are not valid UTF-8 go to
// `unreachable` instead. Returns the errno of a folder that cannot be
// listed, else 0.
int ListFolder(const QString& folder, Listing& listing)
{
    std::vector<Entry>& files = listing.files;
    std::vector<Entry>& folders = listing.folders;
    std::vector<UnreachableEntry>& unreachable = listing.unreachable;
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
        // A run's private folder (live, or left by a killed run) holds
        // pages on their way to their names, no files of the user's.
        if (isFolder && safe_file::IsRunFolderAt(fd, name))
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

// Logs each entry that `wanted` takes as passed over; gives how many.
template <typename Wanted>
int LogUnreachable(const QString& base, const std::vector<UnreachableEntry>& entries, Wanted wanted)
{
    int logged = 0;
    for (const UnreachableEntry& entry : entries) {
        if (!wanted(entry))
            continue;
        ++logged;
        ErrorTrap skipped = Trap(kProcedure);
        skipped.Line(50);
        skipped.Log(RunTimeError(rterr::BadFileName, QStringLiteral("Bad file name or number: ") + base
                                                         + EscapedName(entry.bytes)
                                                         + (entry.folder ? QStringLiteral(" (folder)") : QString())
                                                         + QStringLiteral(" is not valid UTF-8 and was not searched")));
    }
    return logged;
}

// A listing failure as the run-time error it is.
void RaiseListingError(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        throw RunTimeError(rterr::PathNotFound, QStringLiteral("Path not found"));
    if (error == EACCES || error == EPERM)
        throw RunTimeError(rterr::PermissionDenied, QStringLiteral("Permission denied"));
    if (error != 0)
        throw RunTimeError(rterr::PathFileAccessError, QStringLiteral("Path/File access error"));
}

} // namespace

// The name patterns of a search, prepared once. A pattern of the common
// form "*.ext" is a case-insensitive test of the name's end; any other goes
// to the shared matcher. The answers are those of
// IsFileMatchWithFilterPattern for the same list.
class FolderScan::NameMatcher {
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

// The date and size filters as numbers and days, worked out once.
struct FolderScan::Limits {
    bool on = false;
    // A typed number that is no number (or out of range) lets no file pass.
    bool rejectAll = false;
    bool byDate = false;
    SearchCriteria::DateKind dateKind = SearchCriteria::DateKind::None;
    // In the last `period` days or months (`period` < 1: today only) when
    // `inPeriod`, else between `from` and `to`.
    bool inPeriod = true;
    std::int16_t period = 0;
    bool periodInMonths = false;
    QDate today;
    QDate from;
    QDate to;
    bool bySize = false;
    bool sizeAtLimit = true;
    bool sizeAtLeast = true;
    std::int64_t low = 0;
    std::int64_t high = 0;

    explicit Limits(const SearchCriteria& c)
        : on(c.advanced && (c.byDate || c.bySize)), byDate(c.byDate), dateKind(c.dateKind), inPeriod(c.inPeriod),
          periodInMonths(c.periodInMonths), today(c.today), from(c.dateFrom), to(c.dateTo), bySize(c.bySize),
          sizeAtLimit(c.sizeAtLimit), sizeAtLeast(c.sizeAtLeast)
    {
        if (!on)
            return;
        if (byDate && inPeriod) {
            const std::optional<std::int16_t> n = WholeNumber<std::int16_t>(c.periodCount);
            if (n)
                period = *n;
            else
                rejectAll = true;
        }
        if (bySize)
            SetSizes(c);
    }

    // The days a file's date may fall on, from the first to the last.
    std::pair<QDate, QDate> Days() const
    {
        if (!inPeriod)
            return {from, to};
        const QDate day = today.isValid() ? today : QDate::currentDate();
        // Going back whole months keeps the day of the month, clamped to
        // the end of a shorter month.
        if (period < 1)
            return {day, day};
        return {periodInMonths ? day.addMonths(-period) : day.addDays(-period), day};
    }

    void SetSizes(const SearchCriteria& c)
    {
        const std::optional<std::int32_t> a = WholeNumber<std::int32_t>(sizeAtLimit ? c.sizeLimit : c.sizeFrom);
        const std::optional<std::int32_t> b = sizeAtLimit ? a : WholeNumber<std::int32_t>(c.sizeTo);
        if (!a || !b) {
            rejectAll = true;
            return;
        }
        low = *a;
        high = *b;
    }

    bool Passes(const FoundFile& file) const
    {
        if (!on)
            return true;
        if (rejectAll)
            return false;
        if (byDate && !DatePasses(file))
            return false;
        if (bySize) {
            const std::int64_t kb = RoundUpSizeKB(file.size);
            if (sizeAtLimit)
                return sizeAtLeast ? kb >= low : kb <= high;
            return kb >= low && kb <= high;
        }
        return true;
    }

    bool DatePasses(const FoundFile& file) const
    {
        QDateTime when;
        switch (dateKind) {
        case SearchCriteria::DateKind::Created: when = file.created; break;
        case SearchCriteria::DateKind::Modified: when = file.modified; break;
        case SearchCriteria::DateKind::Accessed: when = file.accessed; break;
        case SearchCriteria::DateKind::None: return true;
        }
        const auto [first, last] = Days();
        if (!when.isValid() || !first.isValid() || !last.isValid())
            return false;
        const QDate day = when.toLocalTime().date();
        return day >= first && day <= last;
    }
};

const QStringList& DateKindCaptions()
{
    static const QStringList captions{QStringLiteral("Files Created"), QStringLiteral("Files Modified"),
                                      QStringLiteral("Files Last Accessed")};
    return captions;
}

const QStringList& PeriodUnitCaptions()
{
    static const QStringList captions{QStringLiteral("Day(s)"), QStringLiteral("Month(s)")};
    return captions;
}

const QStringList& SizeLimitCaptions()
{
    static const QStringList captions{QStringLiteral("Least"), QStringLiteral("Most")};
    return captions;
}

void GenerateFilterPatternArray(const QString& pattern, QStringList& patterns)
{
    ErrorTrap trap = Trap(QStringLiteral("GenerateFilterPatternArray"));
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

std::int64_t RoundUpSizeKB(std::int64_t bytes)
{
    if (bytes <= 0)
        return 0;
    return bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
}

bool IsFileFound(const QString& path, FoundFile& file)
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

FolderScan::FolderScan(const SearchCriteria& criteria, const bool& cancel)
    : cancel_(cancel), subfolders_(criteria.subfolders), limits_(std::make_unique<Limits>(criteria))
{
    QStringList patterns;
    GenerateFilterPatternArray(criteria.pattern, patterns);
    everyName_ = patterns.isEmpty() && criteria.pattern.trimmed() == QLatin1String("*.*");
    matcher_ = std::make_unique<NameMatcher>(patterns);
}

FolderScan::~FolderScan() = default;

bool FolderScan::PassesAdvancedFilter(const FoundFile& file) const
{
    return limits_->Passes(file);
}

void FolderScan::SetAdvancedFilter(const SearchCriteria& criteria)
{
    limits_ = std::make_unique<Limits>(criteria);
}

void FolderScan::Run(const QString& folder, const Callbacks& callbacks)
{
    callbacks_ = &callbacks;
    skippedNames_ = 0;
    timings_ = Timings();
    scanPath_.clear();
    LoadFiles(folder);
    callbacks_ = nullptr;
}

void FolderScan::LoadFiles(const QString& folder)
{
    if (cancel_)
        return;
    ErrorTrap trap = Trap(kProcedure);
    Visit visit = Visit::Unknown;
    try {
        trap.Line(10);
        Listing listing;
        {
            StageClock clock(timings_.walk);
            visit = Enter(folder);
            if (visit == Visit::Again)
                return;
            trap.Line(40);
            RaiseListingError(folder.isEmpty() ? ENOENT : ListFolder(folder, listing));
        }
        // A folder counts as a step of the walk like a file does: a tree of
        // folders without files must not hold the caller (or a Cancel) up.
        Step();

        trap.Line(50);
        const QString base = ValidateDir(folder);
        // What the search would have looked at but cannot reach: a file
        // the pattern takes, a subfolder it would have entered.
        skippedNames_ += LogUnreachable(base, listing.unreachable, [this](const UnreachableEntry& entry) {
            return entry.folder ? subfolders_ : everyName_ || matcher_->Matches(entry.shown);
        });
        for (const Entry& entry : listing.files) {
            if (cancel_)
                break;
            TakeFile(folder, base + entry.name, entry.name, trap);
            trap.Line(80);
            Step();
        }

        trap.Line(90);
        if (subfolders_) {
            for (const Entry& sub : listing.folders)
                LoadFiles(base + sub.name);
        }
    } catch (...) {
        trap.Log();
    }
    if (visit == Visit::Entered)
        scanPath_.pop_back();
}

FolderScan::Visit FolderScan::Enter(const QString& folder)
{
    // The folder's identity: a folder already being scanned further up (a
    // mount that loops back) is not entered again.
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return Visit::Unknown;
    const std::pair<std::uint64_t, std::uint64_t> id{st.st_dev, st.st_ino};
    if (std::find(scanPath_.begin(), scanPath_.end(), id) != scanPath_.end())
        return Visit::Again;
    scanPath_.push_back(id);
    return Visit::Entered;
}

void FolderScan::TakeFile(const QString& folder, const QString& path, const QString& name, ErrorTrap& trap)
{
    ++timings_.files;
    bool matches = everyName_;
    if (!matches) {
        StageClock clock(timings_.walk);
        matches = matcher_->Matches(name);
    }
    if (!matches)
        return;
    trap.Line(60);
    FoundFile found;
    {
        StageClock clock(timings_.filter);
        // A file that vanished or cannot be looked at is passed over; the
        // rest of the folder is still scanned.
        if (!IsFileFound(path, found) || !PassesAdvancedFilter(found))
            return;
    }
    if (callbacks_->fileFound) {
        trap.Line(70);
        callbacks_->fileFound(folder, found);
    }
}

void FolderScan::Step()
{
    if (callbacks_->step)
        callbacks_->step();
}
