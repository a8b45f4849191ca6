// The folder walk, the name patterns and the date and size filters, without
// a window: a scan over a temporary tree with the options set directly.

#include "desktop/main/folder_search.h"

#include "file_tree.h"
#include "platform/safe_file/private_folder.h"
#include "storage_fixture.h"
#include "tests/support/killed_run_folder.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <functional>
#include <unistd.h>
#include <vector>

namespace {

struct Found {
    QString folder;
    QString name;
};

class FolderSearchTest : public StorageFolderTest {
protected:
    void SetUp() override
    {
        StorageFolderTest::SetUp();
        ASSERT_TRUE(tree_.isValid());
        root = QDir(tree_.path()).canonicalPath();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        criteria.pattern = QStringLiteral("*.tif,*.tiff");
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QString MakeFile(const QString& relative, qint64 bytes = 10) { return MakeFileUnder(root, relative, bytes); }

    // The files a scan of `folder` (the whole tree when empty) takes, in the
    // order it gives them; `onFile` runs for each as it is found.
    std::vector<Found> Scan(const QString& folder = QString(), const std::function<void(const FoundFile&)>& onFile = {})
    {
        std::vector<Found> found;
        FolderScan::Callbacks callbacks;
        callbacks.fileFound = [&](const QString& in, const FoundFile& file) {
            found.push_back({in, file.name});
            if (onFile)
                onFile(file);
        };
        FolderScan scan(criteria, cancel);
        scan.Run(folder.isEmpty() ? root : folder, callbacks);
        return found;
    }

    QStringList Names(const QString& folder = QString())
    {
        QStringList names;
        for (const Found& f : Scan(folder))
            names.append(f.name);
        return names;
    }

    QTemporaryDir tree_;
    QString root;
    SearchCriteria criteria;
    bool cancel = false;
};

TEST_F(FolderSearchTest, PatternListsAreSplitAsWritten)
{
    QStringList p;
    GenerateFilterPatternArray("*.tif,*.tiff", p);
    EXPECT_EQ(p, QStringList({"*.tif", "*.tiff"}));
    GenerateFilterPatternArray("*.a; *.b,c", p);
    EXPECT_EQ(p, QStringList({"*.a", " *.b,c"}));
    GenerateFilterPatternArray("scan?.tif", p);
    EXPECT_EQ(p, QStringList({"scan?.tif", ""}));
    p = QStringList{"kept"};
    GenerateFilterPatternArray(" *.* ", p);
    EXPECT_EQ(p, QStringList({"kept"}));

    // Other patterns than "*.ext" reach the wildcard matcher.
    criteria.pattern = "scan?.tif;*_x.TIFF";
    MakeFile("scan1.tif");
    MakeFile("scan12.tif");
    MakeFile("a_X.tiff");
    MakeFile("b_y.tiff");
    EXPECT_EQ(Names(), QStringList({"a_X.tiff", "scan1.tif"}));
}

TEST_F(FolderSearchTest, WalkListsAFoldersFilesBeforeEachSubfolderTreeInNameOrder)
{
    MakeFile("z.tif");
    MakeFile("A.tif");
    MakeFile("sub1/b.tif");
    MakeFile("sub1/deep/c.tif");
    MakeFile("Sub0/e.tif");
    MakeFile("sub2/d.tif");
    criteria.subfolders = true;
    const std::vector<Found> found = Scan();
    QStringList names;
    for (const Found& f : found)
        names.append(f.name);
    EXPECT_EQ(names, QStringList({"A.tif", "z.tif", "e.tif", "b.tif", "c.tif", "d.tif"}));
    EXPECT_EQ(found[2].folder, root + "/Sub0");
    EXPECT_EQ(found[4].folder, root + "/sub1/deep");

    // Without subfolders only the folder's own files.
    criteria.subfolders = false;
    EXPECT_EQ(Names(), QStringList({"A.tif", "z.tif"}));
    // An empty folder gives nothing.
    QDir().mkpath(root + "/sub2/none");
    EXPECT_TRUE(Names(root + "/sub2/none").isEmpty());
}

TEST_F(FolderSearchTest, LinksToFoldersAreNotFollowedAndLinksToFilesAreListed)
{
    MakeFile("sub/x.tif");
    ASSERT_EQ(::symlink(QFile::encodeName(root).constData(), QFile::encodeName(root + "/sub/loop").constData()), 0);
    ASSERT_EQ(::symlink("sub/x.tif", QFile::encodeName(root + "/link.tif").constData()), 0);
    ASSERT_EQ(::symlink("nowhere.tif", QFile::encodeName(root + "/dangling.tif").constData()), 0);
    ASSERT_EQ(::symlink("sub", QFile::encodeName(root + "/dir.tif").constData()), 0);
    criteria.subfolders = true;
    EXPECT_EQ(Names(), QStringList({"link.tif", "x.tif"}));
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(FolderSearchTest, ARunsPrivateFolderIsNeverEntered)
{
    MakeFile("a.tif");
    MakeFile("sub/c.tif");
    MakeFile(".velmora-backup/b.tif"); // the user's own
    // A live run's, and one a killed run left.
    safe_file::PrivateFolder live(QFile::encodeName(root).toStdString());
    ASSERT_TRUE(live.Valid());
    MakeFileUnder(QString::fromStdString(live.Path()), "page0.tif", 10);
    ASSERT_FALSE(KilledRunFolder(QFile::encodeName(root + "/sub").toStdString(), {{"page0.tif", "page"}}).empty());
    criteria.subfolders = true;
    EXPECT_EQ(Names(), QStringList({"a.tif", "b.tif", "c.tif"}));
}

TEST_F(FolderSearchTest, AVanishedFileIsPassedOverAndTheFolderScanGoesOn)
{
    MakeFile("a.tif");
    MakeFile("b.tif");
    MakeFile("c.tif");
    MakeFile("d.tif");
    // Taking a.tif takes b.tif away before the scan gets to it.
    QStringList names;
    for (const Found& f : Scan(QString(), [this](const FoundFile& file) {
             if (file.name == "a.tif")
                 QFile::remove(root + "/b.tif");
         }))
        names.append(f.name);
    EXPECT_EQ(names, QStringList({"a.tif", "c.tif", "d.tif"}));
    EXPECT_TRUE(LogLines().isEmpty()) << LogLines().join('\n').toStdString();
}

TEST_F(FolderSearchTest, SizeFilterWorksInWholeKilobytesRoundedUp)
{
    const qint64 sizes[] = {0, 1, 1024, 1025, 2048, 2049};
    for (qint64 s : sizes)
        MakeFile(QStringLiteral("s%1.tif").arg(s, 4, 10, QLatin1Char('0')), s);
    criteria.advanced = true;
    criteria.bySize = true;
    const auto names = [&](const char* least, const QString& limit) {
        criteria.sizeAtLimit = true;
        criteria.sizeAtLeast = QString(least) == "Least";
        criteria.sizeLimit = limit;
        return Names().join(' ');
    };
    EXPECT_EQ(names("Least", "2"), "s1025.tif s2048.tif s2049.tif");
    EXPECT_EQ(names("Least", "0"), "s0000.tif s0001.tif s1024.tif s1025.tif s2048.tif s2049.tif");
    EXPECT_EQ(names("Most", "0"), "s0000.tif");
    EXPECT_EQ(names("Most", "1"), "s0000.tif s0001.tif s1024.tif");
    EXPECT_EQ(names("Most", "1.5"), "s0000.tif s0001.tif s1024.tif s1025.tif s2048.tif"); // 1.5 rounds to 2
    EXPECT_EQ(names("Most", "two"), "");
    EXPECT_EQ(names("Most", "99999999999"), "");

    criteria.sizeAtLimit = false;
    criteria.sizeFrom = "1";
    criteria.sizeTo = "2";
    EXPECT_EQ(Names().join(' '), "s0001.tif s1024.tif s1025.tif s2048.tif");
    criteria.sizeTo = "";
    EXPECT_TRUE(Names().isEmpty());

    // The whole advanced pane off: every file, whatever the boxes say.
    criteria.advanced = false;
    EXPECT_EQ(Names().size(), 6);

    // Sizes beyond 32 bits, compared in full.
    for (qint64 s : sizes)
        QFile::remove(root + QStringLiteral("/s%1.tif").arg(s, 4, 10, QLatin1Char('0')));
    MakeFile("big.tif", 5LL * 1024 * 1024 * 1024 + 1);
    criteria.advanced = true;
    EXPECT_EQ(names("Least", "5242882"), "");
    EXPECT_EQ(names("Least", "5242881"), "big.tif");
}

TEST_F(FolderSearchTest, DateFilterCountsBackFromToday)
{
    const auto at = [](int y, int m, int d, int h = 12) { return QDateTime(QDate(y, m, d), QTime(h, 0)); };
    const struct {
        const char* name;
        QDateTime modified;
    } files[] = {
        {"feb27.tif", at(2023, 2, 27)},     {"feb28.tif", at(2023, 2, 28, 0)}, {"mar30.tif", at(2023, 3, 30)},
        {"mar31.tif", at(2023, 3, 31, 23)}, {"apr01.tif", at(2023, 4, 1)},
    };
    for (const auto& f : files) {
        MakeFile(f.name);
        // Accessed a year earlier, so the access-date test tells them apart.
        SetFileTimes(root + "/" + f.name, f.modified.addYears(-1), f.modified);
    }
    criteria.today = QDate(2023, 3, 31);
    criteria.advanced = true;
    criteria.byDate = true;
    criteria.dateKind = SearchCriteria::DateKind::Modified;
    criteria.inPeriod = true;
    const auto names = [&](const QString& n, const char* unit) {
        criteria.periodCount = n;
        criteria.periodInMonths = QString(unit) == "Month(s)";
        return Names().join(' ');
    };
    // One month back from 31 March is the last day of February.
    EXPECT_EQ(names("1", "Month(s)"), "feb28.tif mar30.tif mar31.tif");
    EXPECT_EQ(names("1", "Day(s)"), "mar30.tif mar31.tif");
    EXPECT_EQ(names("0", "Day(s)"), "mar31.tif");
    EXPECT_EQ(names("-3", "Month(s)"), "mar31.tif");
    EXPECT_EQ(names("soon", "Day(s)"), "");
    EXPECT_EQ(names("40000", "Day(s)"), ""); // beyond a 16-bit number
    // Counting back across a year.
    criteria.today = QDate(2024, 3, 31);
    EXPECT_EQ(names("13", "Month(s)"), "apr01.tif feb28.tif mar30.tif mar31.tif");

    // Between two dates, both days included; reversed lets nothing pass.
    criteria.inPeriod = false;
    criteria.dateFrom = QDate(2023, 2, 28);
    criteria.dateTo = QDate(2023, 3, 30);
    EXPECT_EQ(Names().join(' '), "feb28.tif mar30.tif");
    criteria.dateFrom = QDate(2023, 3, 31);
    EXPECT_TRUE(Names().isEmpty());

    // The access date is a year earlier for every file.
    criteria.dateKind = SearchCriteria::DateKind::Accessed;
    criteria.dateFrom = QDate(2022, 3, 30);
    criteria.dateTo = QDate(2022, 3, 31);
    EXPECT_EQ(Names().join(' '), "mar30.tif mar31.tif");

    // Created: the files were made today (by the real clock).
    criteria.dateKind = SearchCriteria::DateKind::Created;
    criteria.inPeriod = true;
    criteria.today = QDate::currentDate();
    EXPECT_EQ(names("0", "Day(s)").split(' ').size(), 5);
    criteria.today = QDate::currentDate().addDays(2);
    EXPECT_EQ(names("1", "Day(s)"), "");
}

} // namespace
