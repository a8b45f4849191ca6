#pragma once
// The folder search behind the main window's result grid, without the
// window: which files a search takes, in which order, and what it passes
// over.
//
// A search reads its options once (SearchCriteria), then a FolderScan walks
// the folder: its own files in name order, then (with subfolders on) each
// subfolder in turn, depth first. Every file whose name matches the pattern
// and that passes the date and size filters goes to the caller's callback;
// after each folder listed and each name looked at the scan gives the
// caller a step (where the window lets its message loop run), and it looks
// at the cancel flag before each file.
//
// A folder is listed by readdir, each entry's kind taken from the listing:
// regular files and links to them are files, real folders are subfolders;
// links to folders are never followed, pipes, sockets and devices are left
// out, and a run's private folder (platform/safe_file/run_mark.h) is never
// entered. Each list is in name order without regard to case (ties by the
// exact name), the same on every file system. A file that is gone, or
// cannot be looked at, by the time it is looked at is passed over.
//
// The search is the main window's: failures are logged as errors of its
// procedure "LoadFiles". A folder that fails is left at that point and the
// scan goes on with the next one.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class ErrorTrap;

// What the search knows of one file (one status call).
struct FoundFile {
    QString name;
    std::int64_t size = 0;
    QDateTime created; // birth time, else the last status change
    QDateTime modified;
    QDateTime accessed;
};

// The options of one search as the window shows them. Typed numbers stay
// text here: how they are read is the filters' business.
struct SearchCriteria {
    // The pattern list ("*.tif,*.tiff"); "*.*" takes every name.
    QString pattern;
    bool subfolders = false;

    // The advanced options: nothing below counts while `advanced` is off.
    bool advanced = false;

    // Date filter: files created, modified or last accessed in the last n
    // days or months (n < 1: today only), or between two dates, both days
    // included. A kind that is none of the three compares no date.
    enum class DateKind { Created, Modified, Accessed, None };
    bool byDate = false;
    DateKind dateKind = DateKind::Created;
    bool inPeriod = true;
    QString periodCount;
    bool periodInMonths = false;
    QDate dateFrom;
    QDate dateTo;
    // The day the period counts back from; when empty, the current day as
    // each file is looked at.
    QDate today;

    // Size filter, in whole KB rounded up: at least or at most one size, or
    // between two.
    bool bySize = false;
    bool sizeAtLimit = true;
    bool sizeAtLeast = true;
    QString sizeLimit;
    QString sizeFrom;
    QString sizeTo;
};

// The option lists of the window's combo boxes, in list order: the date
// kinds (SearchCriteria::DateKind order), the period units (days, months)
// and the size limits (least, most).
const QStringList& DateKindCaptions();
const QStringList& PeriodUnitCaptions();
const QStringList& SizeLimitCaptions();

// The pattern list split into its patterns: at ";" when it has one, else at
// ","; a single pattern is followed by an empty entry. "*.*" leaves
// `patterns` as it is.
void GenerateFilterPatternArray(const QString& pattern, QStringList& patterns);

// Size in whole KB, rounded up: 0 bytes 0 KB, 1 to 1024 bytes 1 KB.
std::int64_t RoundUpSizeKB(std::int64_t bytes);

// True when `path` names a regular file (a link to one counts) that can be
// looked at now; fills `file`.
bool IsFileFound(const QString& path, FoundFile& file);

class FolderScan {
public:
    struct Callbacks {
        // A file the search takes, in the folder as the walk spelled it.
        std::function<void(const QString& folder, const FoundFile& file)> fileFound;
        // After each folder listed and each name looked at.
        std::function<void()> step;
    };
    // Where the scan spent its time (nanoseconds), and how many names it
    // looked at.
    struct Timings {
        std::int64_t walk = 0;   // listing folders, ordering and matching names
        std::int64_t filter = 0; // looking at matching files, date and size filters
        std::int64_t files = 0;  // names looked at
    };

    // `cancel` is looked at before each folder and each file.
    FolderScan(const SearchCriteria& criteria, const bool& cancel);
    ~FolderScan();
    FolderScan(const FolderScan&) = delete;
    FolderScan& operator=(const FolderScan&) = delete;

    // One search of `folder`; the counts and timings below are this run's.
    void Run(const QString& folder, const Callbacks& callbacks);

    // Names passed over because they are not valid UTF-8 (no path of this
    // program can reach such a file); each was logged.
    int SkippedNames() const { return skippedNames_; }
    const Timings& ScanTimings() const { return timings_; }

    // The date and size filters alone.
    bool PassesAdvancedFilter(const FoundFile& file) const;
    // Takes the date and size filters of `criteria` for the files still to
    // be looked at (the window's advanced options stay open to changes
    // while a search runs). The pattern and the subfolder choice stay as
    // the scan started.
    void SetAdvancedFilter(const SearchCriteria& criteria);

private:
    class NameMatcher;
    struct Limits;
    // What entering a folder came to.
    enum class Visit { Entered, Unknown, Again };
    void LoadFiles(const QString& folder);
    Visit Enter(const QString& folder);
    void TakeFile(const QString& folder, const QString& path, const QString& name, ErrorTrap& trap);
    void Step();

    const bool& cancel_;
    bool subfolders_ = false;
    bool everyName_ = false;
    std::unique_ptr<NameMatcher> matcher_;
    std::unique_ptr<Limits> limits_;
    const Callbacks* callbacks_ = nullptr;
    int skippedNames_ = 0;
    Timings timings_;
    // Folders being scanned, by device and inode (no folder is entered twice
    // on one path, whatever mounts say).
    std::vector<std::pair<std::uint64_t, std::uint64_t>> scanPath_;
};
