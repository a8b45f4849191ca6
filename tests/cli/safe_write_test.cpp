// What a run may and may not do to files that are not its outputs: the
// run's own sources however the output folder is reached, files behind
// links under output names, write-protected and other users' files, files
// cut short by a failed write, debris of killed runs, concurrent changes of
// one file, and FIFOs and links planted in the storage folder.

#include "cli_fixture.h"

#include "cli/command_line_run.h"
#include "cli/mod_master.h"
#include "operations/error_trap.h"
#include "platform/safe_file/private_folder.h"
#include "tests/support/test_user.h"

#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

namespace {

using V = std::vector<int>;

class SafeWriteTest : public CliTest {
protected:
    static QByteArray Native(const QString& path) { return QFile::encodeName(path); }
    static struct stat Status(const QString& path)
    {
        struct stat st {};
        ::lstat(Native(path).constData(), &st);
        return st;
    }
    // Gives a planted file or folder a last change an hour ago.
    static void MakeOld(const QString& path)
    {
        const struct timespec times[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, Native(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    QStringList Entries(const QString& folder) const
    {
        return QDir(Work(folder))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    }
    QString ErrorLog() const { return QString::fromUtf8(ReadFile(Storage() + QStringLiteral("/Errors.Log"))); }
    // The following runs go as the user velmoratest; nothing (with the
    // reason in `why`) when that cannot be.
    std::optional<TestUser> AsTestUser(std::string& why)
    {
        std::optional<TestUser> user = EnsureTestUser(why);
        if (!user)
            return user;
        QProcess probe;
        probe.start(QStringLiteral("runuser"),
                    {QStringLiteral("-u"), QString::fromLatin1(kTestUserName), QStringLiteral("--"),
                     QStringLiteral("/usr/bin/test"), QStringLiteral("-x"), QStringLiteral(VELMORA_CMD_PATH)});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
            why = "the user velmoratest cannot reach " VELMORA_CMD_PATH;
            return std::nullopt;
        }
        OpenFoldersToEveryone();
        RunAs(QString::fromLatin1(kTestUserName));
        return user;
    }
    void Own(const QString& path, const TestUser& user, mode_t mode)
    {
        ASSERT_EQ(::chown(Native(path).constData(), user.uid, user.gid), 0);
        ASSERT_EQ(::chmod(Native(path).constData(), mode), 0);
    }
};

TEST_F(SafeWriteTest, AnOutputFolderReachedThroughALinkNeverReplacesTheSources)
{
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("d")));
    MakeTiff(Work(QStringLiteral("d/a.tif")), {1, 2, 3, 4, 5});
    MakeTiff(Work(QStringLiteral("d/a1.tif")), {11, 12, 13, 14, 15, 16, 17});
    MakeTiff(Work(QStringLiteral("d/x1.tif")), {21, 22, 23, 24});
    ASSERT_TRUE(QFile::link(Work(QStringLiteral("d")), Work(QStringLiteral("L"))));

    Result r = Run({QStringLiteral("/d"), Work(QStringLiteral("d")), QStringLiteral("/o"), Work(QStringLiteral("L"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Error : ") + Work(QStringLiteral("d/a.tif")))) << r.err.toStdString();
    EXPECT_EQ(Pages(Work(QStringLiteral("d/a1.tif"))), (V{11, 12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(Pages(Work(QStringLiteral("d/a2.tif"))), (V{2}));
    // The page that found its name taken stays under the engine's name.
    EXPECT_EQ(Pages(Work(QStringLiteral("d/page0.tif"))), (V{1}));

    for (const QString& line : {QStringLiteral("/i d/x1.tif /n x? /o L"), QStringLiteral("/i d/x1.tif /n x? /o L?3")}) {
        r = Run(line);
        EXPECT_EQ(r.exitCode, 1) << line.toStdString();
        EXPECT_EQ(r.err.trimmed(), QStringLiteral("Velmora 3.1: Error in spliting file.")) << line.toStdString();
        EXPECT_EQ(Pages(Work(QStringLiteral("d/x1.tif"))), (V{21, 22, 23, 24})) << line.toStdString();
    }
}

TEST_F(SafeWriteTest, LinksUnderOutputNamesAreReplacedNeverWrittenThrough)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("x")));
    MakeTiff(Work(QStringLiteral("x/precious.tif")), {99});
    const QByteArray precious = ReadFile(Work(QStringLiteral("x/precious.tif")));
    ASSERT_TRUE(QFile::link(Work(QStringLiteral("x/precious.tif")), Work(QStringLiteral("out/a1.tif"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), Work(QStringLiteral("out/a2.tif"))));
    Result r = Run(QStringLiteral("/i a.tif /o out?3"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("out/a1.tif")), (V{1, 2}));
    EXPECT_EQ(PagesIn(QStringLiteral("out/a2.tif")), (V{3}));
    EXPECT_TRUE(S_ISREG(Status(Work(QStringLiteral("out/a2.tif"))).st_mode));

    // A dangling link makes no file where it points, outside the folder.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out2")));
    ASSERT_TRUE(QFile::link(Work(QStringLiteral("x/new.tif")), Work(QStringLiteral("out2/a1.tif"))));
    ASSERT_TRUE(QFile::link(Work(QStringLiteral("x/precious.tif")), Work(QStringLiteral("out2/a2.tif"))));
    r = Run(QStringLiteral("/i a.tif /o out2"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("out2/a1.tif")), (V{1}));
    EXPECT_EQ(PagesIn(QStringLiteral("out2/a2.tif")), (V{2}));
    EXPECT_EQ(Entries(QStringLiteral("x")), QStringList{QStringLiteral("precious.tif")});
    EXPECT_EQ(ReadFile(Work(QStringLiteral("x/precious.tif"))), precious);
}

// A write that fails (here: at the file size limit, as on a full disk) is
// reported as the operation's failure with the system's reason in the
// error log, and leaves no file cut short under any name.
TEST_F(SafeWriteTest, AFailedWriteIsReportedAndLeavesNoPartialFile)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3, 4});
    const QByteArray before = ReadFile(Work(QStringLiteral("a.tif")));
    LimitFileSize(400); // one page fits, two do not
    Result r = Run(QStringLiteral("/i a.tif /del 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("VelmoraCMD: a.tif: File too large\n"
                                    "Velmora 3.1: Wrong page no in Following files.\na.tif\n"));
    EXPECT_EQ(ReadFile(Work(QStringLiteral("a.tif"))), before);
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("(File too large) in procedure DeleteTiffPage at Line No. ")))
        << ErrorLog().toStdString();

    r = Run(QStringLiteral("/i a.tif /o out?2"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.trimmed(),
              QStringLiteral("VelmoraCMD: a.tif: File too large\nVelmora 3.1: Error in spliting file."));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("(File too large) in procedure SplitTiffFiles")));

    r = Run(QStringLiteral("/i a.tif /a a.tif"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Entries(QStringLiteral("out")), QStringList{});
    EXPECT_EQ(Entries(QString()), (QStringList{QStringLiteral("a.tif"), QStringLiteral("out")}));
    EXPECT_EQ(ReadFile(Work(QStringLiteral("a.tif"))), before);
}

TEST_F(SafeWriteTest, DebrisOfKilledRunsIsRemovedButNothingElse)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    MakeTiffIn(QStringLiteral("big.tif"), ManyPages(3000));
    // Left by killed runs.
    const QString killed = KilledRunFolder(QStringLiteral("big.tif"), Work(QStringLiteral("out")));
    ASSERT_FALSE(killed.isEmpty());
    MakeTiff(Work(QStringLiteral("out/a1.tif.velmora.tmp")), {7});
    MakeTiff(Work(QStringLiteral("a.tif.velmora.tmp")), {7});
    // Not ours to remove.
    MakeTiff(Work(QStringLiteral("a.tif.tmp")), {8});
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out/velmora-split-Zz99Yy")));
    MakeTiff(Work(QStringLiteral("out/velmora-split-Zz99Yy/page4.tif")), {8});
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("keep")));
    MakeTiff(Work(QStringLiteral("keep/page0.tif")), {8});
    ASSERT_TRUE(QFile::link(Work(QStringLiteral("keep")), Work(QStringLiteral("out/.velmora-link"))));
    // The user's own names that merely start like ours, or are even shaped
    // like ours, closed to others as a run makes its folders and holding
    // only TIFF files, a run's page names among them; a text file named
    // like a temporary one.
    for (const char* folder : {"out/.velmora-mynotes", "out/.velmora-notes", "out/.velmora-my-bak",
                               "out/.velmora-backup", "out/.velmora-drafts", "out/.velmora-ab12cd"})
        ASSERT_TRUE(QDir(Work()).mkpath(QString::fromLatin1(folder)));
    for (const char* folder : {"out/.velmora-backup", "out/.velmora-drafts", "out/.velmora-ab12cd"})
        ASSERT_EQ(::chmod(QFile::encodeName(Work(QString::fromLatin1(folder))).constData(), 0700), 0);
    MakeTiff(Work(QStringLiteral("out/.velmora-mynotes/important.tif")), {8});
    MakeTiff(Work(QStringLiteral("out/.velmora-backup/a.tif")), {8});
    MakeTiff(Work(QStringLiteral("out/.velmora-backup/b.tif")), {8});
    MakeTiff(Work(QStringLiteral("out/.velmora-ab12cd/page3.tif")), {8});
    MakeTiff(Work(QStringLiteral("out/.velmora-ab12cd/old.tif")), {8});
    MakeTiff(Work(QStringLiteral("out/.velmora-drafts/thesis.txt")), {8});
    MakeTiff(Work(QStringLiteral("out/x.velmora.tmpfoo")), {8});
    {
        QFile report(Work(QStringLiteral("out/report.velmora.tmp")));
        ASSERT_TRUE(report.open(QIODevice::WriteOnly));
        report.write("the quarterly report\n");
    }
    for (const QString& old : QStringList{killed,
                                          QStringLiteral("out/a1.tif.velmora.tmp"),
                                          "a.tif.velmora.tmp",
                                          "a.tif.tmp",
                                          "out/velmora-split-Zz99Yy",
                                          "out/.velmora-link",
                                          "out/.velmora-mynotes/important.tif",
                                          "out/.velmora-mynotes",
                                          "out/.velmora-notes",
                                          "out/.velmora-my-bak",
                                          "out/x.velmora.tmpfoo",
                                          "out/.velmora-backup/a.tif",
                                          "out/.velmora-backup/b.tif",
                                          "out/.velmora-backup",
                                          "out/.velmora-ab12cd/page3.tif",
                                          "out/.velmora-ab12cd/old.tif",
                                          "out/.velmora-ab12cd",
                                          "out/.velmora-drafts/thesis.txt",
                                          "out/.velmora-drafts",
                                          "out/report.velmora.tmp"})
        MakeOld(old == killed ? old : Work(old));

    Result r = Run(QStringLiteral("/i a.tif /o out"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Entries(QStringLiteral("out")),
              (QStringList{QStringLiteral(".velmora-ab12cd"), QStringLiteral(".velmora-backup"),
                           QStringLiteral(".velmora-drafts"), QStringLiteral(".velmora-link"),
                           QStringLiteral(".velmora-my-bak"), QStringLiteral(".velmora-mynotes"),
                           QStringLiteral(".velmora-notes"), QStringLiteral("a1.tif"), QStringLiteral("a2.tif"),
                           QStringLiteral("a3.tif"), QStringLiteral("report.velmora.tmp"),
                           QStringLiteral("velmora-split-Zz99Yy"), QStringLiteral("x.velmora.tmpfoo")}));
    EXPECT_EQ(Pages(Work(QStringLiteral("keep/page0.tif"))), (V{8}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/.velmora-mynotes/important.tif"))), (V{8}));
    EXPECT_EQ(Entries(QStringLiteral("out/.velmora-backup")), (QStringList{"a.tif", "b.tif"}));
    EXPECT_EQ(Entries(QStringLiteral("out/.velmora-ab12cd")), (QStringList{"old.tif", "page3.tif"}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/.velmora-ab12cd/page3.tif"))), (V{8}));
    EXPECT_EQ(Pages(Work(QStringLiteral("out/.velmora-drafts/thesis.txt"))), (V{8}));
    EXPECT_EQ(ReadFile(Work(QStringLiteral("out/report.velmora.tmp"))), QByteArray("the quarterly report\n"));
    r = Run(QStringLiteral("/i a.tif /del 1"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Entries(QString()),
              (QStringList{QStringLiteral("a.tif"), QStringLiteral("a.tif.tmp"), QStringLiteral("big.tif"),
                           QStringLiteral("keep"), QStringLiteral("out")}));
}

// The output folder moved, or swapped for a link, while the engine writes:
// every page written reaches a name in the folder the run made it in, none
// stays hidden for a later run to sweep, and nothing goes where the link
// points. A page taken away before it is named fails the file.
TEST_F(SafeWriteTest, PagesGoWhereTheRunMadeThemAndAMissingOneIsAFailure)
{
    MakeTiffIn(QStringLiteral("big.tif"), ManyPages(3000));
    const QStringList run{QStringLiteral("/i"), QStringLiteral("big.tif"), QStringLiteral("/o")};
    auto namedPages = [this](const QString& folder) {
        QStringList names = Entries(folder);
        for (const QString& name : std::as_const(names)) {
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^big[0-9]+\\.tif$")).match(name).hasMatch())
                << folder.toStdString() << ": " << name.toStdString();
            const int page = name.mid(3, name.size() - 7).toInt();
            EXPECT_EQ(Pages(Work(folder + QLatin1Char('/') + name)), (V{(page - 1) % 250 + 1})) << name.toStdString();
        }
        return names.size();
    };

    Result r =
        RunInterrupted(run + QStringList{QStringLiteral("out")}, Work(QStringLiteral("out")), [this](const QString&) {
            ASSERT_TRUE(QDir(Work()).rename(QStringLiteral("out"), QStringLiteral("out.moved")));
        });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("VelmoraCMD: out: the folder was moved or removed while pages were written\n"
                                    "Velmora 3.1: Error in spliting file.\n"));
    const qsizetype moved = namedPages(QStringLiteral("out.moved"));
    EXPECT_GE(moved, 2);
    // A later run into that folder finds nothing of the first run's to sweep.
    MakeTiffIn(QStringLiteral("c.tif"), {9});
    EXPECT_EQ(Run(QStringLiteral("/i c.tif /o out.moved")).exitCode, 0);
    EXPECT_EQ(Entries(QStringLiteral("out.moved")).size(), moved + 1);

    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out2")));
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("elsewhere")));
    r = RunInterrupted(run + QStringList{QStringLiteral("out2")}, Work(QStringLiteral("out2")), [this](const QString&) {
        ASSERT_TRUE(QDir(Work()).rename(QStringLiteral("out2"), QStringLiteral("out2.real")));
        ASSERT_TRUE(QFile::link(Work(QStringLiteral("elsewhere")), Work(QStringLiteral("out2"))));
    });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_GE(namedPages(QStringLiteral("out2.real")), 2);
    EXPECT_EQ(Entries(QStringLiteral("elsewhere")), QStringList{});

    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out3")));
    r = RunInterrupted(
        run + QStringList{QStringLiteral("out3")}, Work(QStringLiteral("out3")),
        [](const QString& privateFolder) { QFile::remove(privateFolder + QStringLiteral("/page0.tif")); });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.trimmed(),
              QStringLiteral("VelmoraCMD: big.tif: 1 page missing\nVelmora 3.1: Error in spliting file."));
    EXPECT_EQ(namedPages(QStringLiteral("out3")), 2999);
    EXPECT_FALSE(QFile::exists(Work(QStringLiteral("out3/big1.tif"))));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("Error 53 (1 page missing) in procedure RenamePageFiles")))
        << ErrorLog().toStdString();

    // A folder run holds each file's pages against the file as it is just
    // before its pages are written, not as the scan found it.
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("in")));
    ASSERT_TRUE(QDir(Work()).mkpath(QStringLiteral("out4")));
    ASSERT_TRUE(QFile::rename(Work(QStringLiteral("big.tif")), Work(QStringLiteral("in/a_big.tif"))));
    MakeTiffIn(QStringLiteral("in/b.tif"), {1, 2, 3, 4});
    r = RunInterrupted({QStringLiteral("/d"), QStringLiteral("in"), QStringLiteral("/o"), QStringLiteral("out4")},
                       Work(QStringLiteral("out4")), [this](const QString&) {
                           MakeTiffIn(QStringLiteral("b3.tif"), {2, 3, 4});
                           ASSERT_EQ(::rename(Native(Work(QStringLiteral("b3.tif"))).constData(),
                                              Native(Work(QStringLiteral("in/b.tif"))).constData()),
                                     0);
                       });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(Pages(Work(QStringLiteral("out4/b3.tif"))), V{4});
    EXPECT_FALSE(QFile::exists(Work(QStringLiteral("out4/b4.tif"))));
}

TEST_F(SafeWriteTest, AWriteProtectedFileIsNotChanged)
{
    std::string why;
    const std::optional<TestUser> user = AsTestUser(why);
    if (!user)
        GTEST_SKIP() << why;
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    MakeTiffIn(QStringLiteral("c.tif"), {9});
    Own(Work(QStringLiteral("a.tif")), *user, 0444);
    Own(Work(QStringLiteral("c.tif")), *user, 0644);
    const QByteArray before = ReadFile(Work(QStringLiteral("a.tif")));

    Result r = Run(QStringLiteral("/i a.tif /del 2"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("VelmoraCMD: a.tif: Permission denied\n"
                                    "Velmora 3.1: Wrong page no in Following files.\na.tif\n"));
    r = Run(QStringLiteral("/i a.tif /a c.tif"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("VelmoraCMD: a.tif: Permission denied\n"
                                    "Velmora 3.1: Following files could not be Appended.\na.tif\n"));
    EXPECT_EQ(ReadFile(Work(QStringLiteral("a.tif"))), before);
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("(Permission denied) in procedure DeleteTiffPage")));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("(Permission denied) in procedure AppendFileTiffFile")));

    // A page name that is a write-protected file is not replaced either.
    MakeTiffIn(QStringLiteral("out/c1.tif"), {5});
    Own(Work(QStringLiteral("out/c1.tif")), *user, 0444);
    r = Run(QStringLiteral("/i c.tif /o out"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(PagesIn(QStringLiteral("out/c1.tif")), (V{5}));
    EXPECT_EQ(PagesIn(QStringLiteral("out/page0.tif")), (V{9}));
}

TEST_F(SafeWriteTest, AChangedFileKeepsItsOwnerOrIsNotChanged)
{
    std::string why;
    const std::optional<TestUser> user = EnsureTestUser(why);
    if (!user)
        GTEST_SKIP() << why;
    // Root changing a user's private file: it stays the user's.
    MakeTiffIn(QStringLiteral("mine.tif"), {1, 2, 3});
    Own(Work(QStringLiteral("mine.tif")), *user, 0600);
    Result r = Run(QStringLiteral("/i mine.tif /del 1"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const struct stat st = Status(Work(QStringLiteral("mine.tif")));
    EXPECT_EQ(st.st_uid, user->uid);
    EXPECT_EQ(st.st_gid, user->gid);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(PagesIn(QStringLiteral("mine.tif")), (V{2, 3}));

    // A user changing their own set-id files: the bits survive the writes
    // (the system clears them on a write by anyone but root).
    if (!AsTestUser(why))
        GTEST_SKIP() << why;
    for (const mode_t mode : {04700, 02751}) {
        MakeTiffIn(QStringLiteral("setid.tif"), {1, 2, 3});
        Own(Work(QStringLiteral("setid.tif")), *user, mode);
        r = Run(QStringLiteral("/i setid.tif /del 1"));
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(Status(Work(QStringLiteral("setid.tif"))).st_mode & 07777, mode);
        EXPECT_EQ(PagesIn(QStringLiteral("setid.tif")), (V{2, 3}));
    }

    // A user changing their own set-group-id file whose group they are not
    // in: the new file could not keep that group, so it is not changed.
    MakeTiffIn(QStringLiteral("rootgroup.tif"), {1, 2, 3});
    ASSERT_EQ(::chown(Native(Work(QStringLiteral("rootgroup.tif"))).constData(), user->uid, 0), 0);
    ASSERT_EQ(::chmod(Native(Work(QStringLiteral("rootgroup.tif"))).constData(), 02755), 0);
    r = Run(QStringLiteral("/i rootgroup.tif /del 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Status(Work(QStringLiteral("rootgroup.tif"))).st_gid, 0u);
    EXPECT_EQ(Status(Work(QStringLiteral("rootgroup.tif"))).st_mode & 07777, 02755u);
    EXPECT_EQ(PagesIn(QStringLiteral("rootgroup.tif")), (V{1, 2, 3}));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("(Operation not permitted) in procedure DeleteTiffPage")));

    // A user changing another user's file that the group may write, in a
    // folder everyone may write: the new file could not keep its owner.
    MakeTiffIn(QStringLiteral("theirs.tif"), {1, 2, 3});
    ASSERT_EQ(::chown(Native(Work(QStringLiteral("theirs.tif"))).constData(), 0, user->gid), 0);
    ASSERT_EQ(::chmod(Native(Work(QStringLiteral("theirs.tif"))).constData(), 0664), 0);
    r = Run(QStringLiteral("/i theirs.tif /del 1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Status(Work(QStringLiteral("theirs.tif"))).st_uid, 0u);
    EXPECT_EQ(PagesIn(QStringLiteral("theirs.tif")), (V{1, 2, 3}));
    EXPECT_TRUE(ErrorLog().contains(QStringLiteral("(Operation not permitted) in procedure DeleteTiffPage")));
}

TEST_F(SafeWriteTest, InPlaceChangesWorkForTheLongestNamesAndTakeTurns)
{
    const QString longName = QString(251, QLatin1Char('n')) + QStringLiteral(".tif"); // 255 bytes
    MakeTiffIn(longName, {1, 2, 3});
    Result r = Run(QStringList{QStringLiteral("/i"), longName, QStringLiteral("/del"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(PagesIn(longName), (V{2, 3}));

    // Two runs deleting a page of one file at the same time: both pages go.
    for (int round = 0; round < 3; ++round) {
        MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3, 4});
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 0; i < 2; ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setProcessEnvironment(Environment());
            runs.back()->setWorkingDirectory(Work());
        }
        for (auto& p : runs)
            p->start(QStringLiteral(VELMORA_CMD_PATH),
                     {QStringLiteral("/i"), QStringLiteral("a.tif"), QStringLiteral("/del"), QStringLiteral("1")});
        for (auto& p : runs) {
            ASSERT_TRUE(p->waitForFinished(30000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        }
        EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{3, 4})) << round;
    }
}

TEST_F(SafeWriteTest, FifosInTheStorageFolderBlockNothingAndLinksThereAreNotFollowed)
{
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    ASSERT_TRUE(QDir().mkpath(Storage()));
    for (const char* name : {"/Errors.Log", "/Log.txt"})
        ASSERT_EQ(::mkfifo(Native(Storage() + QString::fromLatin1(name)).constData(), 0600), 0);
    // The result that cannot go to Log.txt goes to standard error.
    Result r = Run(QStringLiteral("/i a.tif /silent /del 1"));
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("successfully deleted pages from file."))) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{2, 3}));
    r = Run(QStringLiteral("/i a.tif?x /del 1")); // an error for the error log
    EXPECT_EQ(r.exitCode, 3);

    // The write test's file: the test fails, and says so, instead of waiting.
    ASSERT_EQ(::mkfifo(Native(Storage() + QStringLiteral("/Testtemp.sys")).constData(), 0600), 0);
    r = Run(QStringLiteral("/i a.tif /del 1"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{2, 3}));

    // Links planted under the log names: the files they name get nothing.
    MakeTiffIn(QStringLiteral("x.tif"), {7});
    const QByteArray planted = ReadFile(Work(QStringLiteral("x.tif")));
    for (const char* name : {"/Errors.Log", "/Log.txt", "/Testtemp.sys"})
        ASSERT_TRUE(QFile::remove(Storage() + QString::fromLatin1(name)));
    for (const char* name : {"/Errors.Log", "/Log.txt"})
        ASSERT_TRUE(QFile::link(Work(QStringLiteral("x.tif")), Storage() + QString::fromLatin1(name)));
    r = Run(QStringLiteral("/i a.tif /silent /del 1"));
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("successfully deleted pages from file."))) << r.err.toStdString();
    EXPECT_EQ(PagesIn(QStringLiteral("a.tif")), (V{3}));
    r = Run(QStringLiteral("/i a.tif?x /del 1"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(ReadFile(Work(QStringLiteral("x.tif"))), planted);

    // A hard link planted under the log's name gets nothing either.
    ASSERT_TRUE(QFile::remove(Storage() + QStringLiteral("/Log.txt")));
    ASSERT_EQ(::link(Native(Work(QStringLiteral("x.tif"))).constData(),
                     Native(Storage() + QStringLiteral("/Log.txt")).constData()),
              0);
    MakeTiffIn(QStringLiteral("a.tif"), {1, 2, 3});
    r = Run(QStringLiteral("/i a.tif /silent /del 1"));
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(r.err.contains(QStringLiteral("successfully deleted pages from file."))) << r.err.toStdString();
    EXPECT_EQ(ReadFile(Work(QStringLiteral("x.tif"))), planted);
}

// The engine numbers pages without limit; so does the renaming.
TEST(RenamePageFilesBeyondAMillion, EveryPageFileTheEngineWroteIsRenamed)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    safe_file::PrivateFolder extract(QFile::encodeName(work.path()).toStdString());
    ASSERT_TRUE(extract.Valid());
    for (const char* name : {"page999999.tif", "page1000000.tif", "page1234567.tif"}) {
        QFile f(QString::fromStdString(extract.Path()) + QLatin1Char('/') + QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ModMaster master;
    ErrorTrap trap(QStringLiteral("Main"), ObjectKind::Module, QStringLiteral("modMaster"));
    CommandLineRun run(master, trap);
    EXPECT_TRUE(
        run.RenamePageFiles(QStringLiteral(".tif"), -1, work.path(), QStringLiteral("s.tif"), -1, -1, false, extract));
    EXPECT_EQ(
        QDir(work.path()).entryList(QDir::Files, QDir::Name),
        (QStringList{QStringLiteral("s1000000.tif"), QStringLiteral("s1000001.tif"), QStringLiteral("s1234568.tif")}));
    EXPECT_EQ(extract.FileCount(), 0u);
}

} // namespace
