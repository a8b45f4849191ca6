// The one write path: what may stand under an output name, what a
// replacement keeps, and the temporary siblings it goes through.

#include "safe_file_fixture.h"

#include "platform/safe_file/staged_file.h"
#include "platform/safe_file/temporary_name.h"

#include <cerrno>
#include <sys/file.h>

using namespace safe_file;

namespace {

class StagedFileTest : public SafeFileTest {
public:
    // Writes `text` to `target` through a StagedFile; the error, or 0.
    int Stage(const std::string& target, const std::string& text)
    {
        StagedFile file(target);
        if (file.Ok() && ::write(file.Descriptor(), text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            file.Fail(errno);
        return file.Commit() ? 0 : file.Error();
    }
    // Moves a new file holding `text` to `target` with PlaceFileAt; the error, or 0.
    int Place(const std::string& target, const std::string& text)
    {
        const std::string from = At("from");
        Save(from, text);
        int error = 0;
        return PlaceFileAt(AT_FDCWD, from, AT_FDCWD, target, error) ? 0 : error;
    }
};

TEST_F(StagedFileTest, ANewFileTakesItsNameOnlyWhenComplete)
{
    const std::string target = At("a.tif");
    {
        StagedFile file(target);
        ASSERT_TRUE(file.Ok());
        EXPECT_FALSE(Exists(target));
        EXPECT_EQ(Names(dir), std::vector<std::string>{"a.tif.velmora.tmp"});
        ASSERT_EQ(::write(file.Descriptor(), "pages", 5), 5);
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(Load(target), "pages");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"a.tif"});

    // A failed write: the name keeps what it had, the temporary file goes.
    {
        StagedFile file(target);
        file.Fail(ENOSPC);
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(file.Error(), ENOSPC);
    }
    EXPECT_EQ(Load(target), "pages");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"a.tif"});
}

TEST_F(StagedFileTest, LinksAreReplacedAsNamesAndNeverWrittenThrough)
{
    ASSERT_EQ(mkdir(At("elsewhere").c_str(), 0755), 0);
    const std::string precious = At("elsewhere/precious.tif");
    Save(precious, "keep me");
    for (auto write : {&StagedFileTest::Stage, &StagedFileTest::Place}) {
        ASSERT_EQ(mkdir(At("out").c_str(), 0755), 0);
        ASSERT_EQ(symlink(precious.c_str(), At("out/a1.tif").c_str()), 0);
        ASSERT_EQ(symlink(At("elsewhere/new.tif").c_str(), At("out/a2.tif").c_str()), 0); // dangling
        ASSERT_EQ(symlink("/dev/null", At("out/a3.tif").c_str()), 0);
        for (const char* name : {"out/a1.tif", "out/a2.tif", "out/a3.tif"}) {
            EXPECT_EQ((this->*write)(At(name), name), 0) << name;
            struct stat st {};
            ASSERT_EQ(lstat(At(name).c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
            EXPECT_EQ(Load(At(name)), name);
        }
        EXPECT_EQ(Load(precious), "keep me");
        EXPECT_FALSE(Exists(At("elsewhere/new.tif")));
        std::filesystem::remove_all(At("out"));
    }
}

TEST_F(StagedFileTest, AnExistingFileIsReplacedWholeKeepingItsPermissionBits)
{
    const std::string target = At("a.tif");
    for (auto write : {&StagedFileTest::Stage, &StagedFileTest::Place}) {
        Save(target, "old");
        ASSERT_EQ(chmod(target.c_str(), 0640), 0);
        struct stat before {};
        ASSERT_EQ(stat(target.c_str(), &before), 0);
        ASSERT_EQ((this->*write)(target, "new"), 0);
        struct stat after {};
        ASSERT_EQ(stat(target.c_str(), &after), 0);
        EXPECT_EQ(Load(target), "new");
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        EXPECT_NE(after.st_ino, before.st_ino); // renamed into place, not rewritten
        ASSERT_EQ(unlink(target.c_str()), 0);
    }
}

TEST_F(StagedFileTest, FoldersFifosAndDevicesUnderTheNameAreRefused)
{
    ASSERT_EQ(mkdir(At("folder.tif").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(At("fifo.tif").c_str(), 0644), 0);
    for (auto write : {&StagedFileTest::Stage, &StagedFileTest::Place}) {
        EXPECT_EQ((this->*write)(At("folder.tif"), "x"), EISDIR);
        EXPECT_EQ((this->*write)(At("fifo.tif"), "x"), EEXIST); // never opened: no wait
        EXPECT_EQ((this->*write)(At("no/such/folder/a.tif"), "x"), ENOENT);
    }
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"fifo.tif", "folder.tif", "from"}));
}

TEST_F(StagedFileTest, AReplacementKeepsOwnerAndGroup)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a file to another owner needs root";
    const std::string target = At("theirs.tif");
    for (auto write : {&StagedFileTest::Stage, &StagedFileTest::Place}) {
        Save(target, "old");
        ASSERT_EQ(chown(target.c_str(), 12345, 23456), 0);
        ASSERT_EQ(chmod(target.c_str(), 0600), 0);
        ASSERT_EQ((this->*write)(target, "new"), 0);
        struct stat st {};
        ASSERT_EQ(stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 12345u);
        EXPECT_EQ(st.st_gid, 23456u);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_EQ(Load(target), "new");
    }
}

TEST_F(StagedFileTest, AWriteProtectedFileIsRefused)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write any file; the programs' tests check this as a plain user";
    const std::string target = At("a.tif");
    Save(target, "old");
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    EXPECT_EQ(Stage(target, "new"), EACCES);
    EXPECT_EQ(Place(target, "new"), EACCES);
    EXPECT_EQ(Load(target), "old");
}

TEST_F(StagedFileTest, TemporaryNamesAreRecognisableAndFitTheNameLimit)
{
    EXPECT_EQ(TemporaryName("/d/a.tif", 0, false), "/d/a.tif.velmora.tmp");
    EXPECT_EQ(TemporaryName("/d/a.tif", 2, false), "/d/a.tif.velmora-3.tmp");
    EXPECT_EQ(TemporaryName("a.tif", 0, false), "a.tif.velmora.tmp");
    const std::string longName(251, 'x');
    const std::string shortForm = TemporaryName("/d/" + longName + ".tif", 0, false);
    EXPECT_EQ(shortForm.rfind("/d/.velmora-", 0), 0u);
    EXPECT_EQ(shortForm.size(), std::string("/d/.velmora-0123456789abcdef.tmp").size());
    EXPECT_EQ(TemporaryName("/d/" + longName + ".tif", 1, false), shortForm.substr(0, shortForm.size() - 4) + "-2.tmp");
    for (const std::string name : {"a.tif.velmora.tmp", "a.tif.velmora-12.tmp", ".velmora-0123456789abcdef.tmp",
                                   ".velmora-0123456789abcdef-3.tmp"})
        EXPECT_TRUE(IsTemporaryName(name)) << name;
    for (const std::string name : {"a.tif.tmp", "a.tif", ".velmora.tmp", "a.velmora-x.tmp", ".velmora-abc.tmp",
                                   ".velmora-a1b2c3", "a.tif.velmora.tmp.tif"})
        EXPECT_FALSE(IsTemporaryName(name)) << name;

    // A file whose name leaves no room for the ending is still written.
    const std::string target = At(std::string(251, 'n') + ".tif");
    Save(target, "old");
    EXPECT_EQ(Stage(target, "new"), 0);
    EXPECT_EQ(Load(target), "new");
    EXPECT_EQ(Names(dir).size(), 1u);
}

TEST_F(StagedFileTest, ATemporaryFileOfAKilledRunIsTakenOverAndALiveOneLeftAlone)
{
    const std::string target = At("a.tif");
    const std::string first = At("a.tif.velmora.tmp");
    Save(first, std::string("II*\0left by a killed run", 24));
    MakeOld(first);
    EXPECT_EQ(Stage(target, "new"), 0);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"a.tif"});

    // A file of the user's under that name is no run's: it stays.
    Save(first, "my notes");
    MakeOld(first);
    EXPECT_EQ(Stage(target, "newest"), 0);
    EXPECT_EQ(Load(first), "my notes");
    EXPECT_EQ(Load(target), "newest");
    ASSERT_EQ(unlink(first.c_str()), 0);

    // One a run had made and not yet written is known by its mark, where
    // the file system keeps marks; the file under its name carries none.
    std::string made;
    const int empty = CreateTemporarySibling(target, 0666, made);
    ASSERT_GE(empty, 0);
    const bool marks = IsMarkedTemporaryFile(empty);
    close(empty);
    if (marks) {
        MakeOld(made);
        EXPECT_EQ(Stage(target, "new"), 0);
        EXPECT_EQ(Names(dir), std::vector<std::string>{"a.tif"});
        const int placed = open(target.c_str(), O_RDONLY);
        EXPECT_FALSE(IsMarkedTemporaryFile(placed));
        close(placed);
    } else {
        ASSERT_EQ(unlink(made.c_str()), 0);
    }

    // One another run is writing right now (fresh and locked).
    Save(first, "being written");
    const int fd = open(first.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    MakeOld(first); // a run that has been writing for a while
    EXPECT_EQ(FreeTemporaryName(target), At("a.tif.velmora-2.tmp"));
    EXPECT_EQ(Stage(target, "newer"), 0);
    close(fd);
    EXPECT_EQ(Load(first), "being written");
    EXPECT_EQ(Load(target), "newer");
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"a.tif", "a.tif.velmora.tmp"}));
}

} // namespace

TEST_F(StagedFileTest, AFreeNameIsTakenInOneStepAndATakenOneIsLeftAlone)
{
    ASSERT_EQ(mkdir(At("out").c_str(), 0755), 0);
    Save(At("from"), "page");
    int error = 0;
    ASSERT_TRUE(PlaceFileIfFreeAt(AT_FDCWD, At("from"), AT_FDCWD, At("out/a1.tif"), error));
    EXPECT_EQ(Load(At("out/a1.tif")), "page");
    EXPECT_FALSE(Exists(At("from")));

    // A file, a link and a dangling link under the name all count as taken.
    Save(At("elsewhere"), "keep me");
    ASSERT_EQ(symlink(At("elsewhere").c_str(), At("out/a2.tif").c_str()), 0);
    ASSERT_EQ(symlink(At("nowhere").c_str(), At("out/a3.tif").c_str()), 0);
    for (const char* name : {"out/a1.tif", "out/a2.tif", "out/a3.tif"}) {
        Save(At("from"), "other page");
        EXPECT_FALSE(PlaceFileIfFreeAt(AT_FDCWD, At("from"), AT_FDCWD, At(name), error)) << name;
        EXPECT_EQ(Load(At("from")), "other page") << name;
    }
    EXPECT_EQ(Load(At("out/a1.tif")), "page");
    EXPECT_EQ(Load(At("elsewhere")), "keep me");
    EXPECT_FALSE(Exists(At("nowhere")));
}
