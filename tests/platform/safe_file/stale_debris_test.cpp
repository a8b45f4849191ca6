// What killed runs leave behind is removed by a later run: only its own
// kind of debris, only this user's, only what is older than the run and not
// held by a live run, and never through a link. Private folders are never
// removed with a page in them while their run goes on, and release their
// pages into the folder they were made in.

#include "safe_file_fixture.h"

#include "platform/safe_file/private_folder.h"
#include "platform/safe_file/staged_file.h"
#include "platform/safe_file/stale_debris.h"
#include "tests/support/killed_run_folder.h"

#include <sys/file.h>

using namespace safe_file;

namespace {

class StaleDebrisTest : public SafeFileTest {
protected:
    // A folder holding one file, last changed an hour ago, closed to others
    // as a run's private folder is, but without a run's mark.
    void OldFolder(const std::string& name)
    {
        ASSERT_EQ(mkdir(At(name).c_str(), 0700), 0);
        Save(At(name + "/page0.tif"), "page");
        MakeOld(At(name + "/page0.tif"));
        MakeOld(At(name));
    }
    // What a killed run left an hour ago in `folder` (relative): its
    // private folder with `files`. Its name.
    std::string OldRunFolder(const std::string& folder,
                             const std::vector<std::pair<std::string, std::string>>& files = {{"page0.tif", "page"}})
    {
        const std::string path = KilledRunFolder(At(folder), files);
        EXPECT_FALSE(path.empty());
        MakeOld(path);
        return path.substr(path.rfind('/') + 1);
    }
    // Sweeps the folder `folder` (a path) as a run does.
    static bool Sweep(const std::string& folder)
    {
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool swept = fd >= 0 && SweepStaleDebrisAt(fd, folder);
        if (fd >= 0)
            close(fd);
        return swept;
    }
    // An old temporary file beginning as every file written through one
    // does, with a TIFF header.
    void OldFile(const std::string& name)
    {
        Save(At(name), std::string("II*\0part", 8));
        MakeOld(At(name));
    }
};

TEST_F(StaleDebrisTest, OnlyOwnOldUnheldDebrisGoesAndLinksAreNotFollowed)
{
    // Debris of killed runs: a private folder (with a link a run never
    // makes, which goes as a name) and temporary files.
    const std::string killed = OldRunFolder(".");
    ASSERT_EQ(mkdir(At("outside").c_str(), 0755), 0);
    Save(At("outside/keep.tif"), "keep");
    ASSERT_EQ(symlink(At("outside/keep.tif").c_str(), At(killed + "/page9.tif").c_str()), 0);
    MakeOld(At(killed));
    OldFile("a.tif.velmora.tmp");
    OldFile("b.tif.velmora-3.tmp");
    OldFile(".velmora-0123456789abcdef.tmp");
    // Not debris: a killed run's folder that holds a name no run writes,
    // one that a live run holds, a link to a folder, a kept folder of
    // unplaced pages, the user's own files, and folders of the user's that
    // only look like ours (open to others, or closed to them and holding
    // TIFF files, even under a run's page names, but without a run's mark),
    // and a text file named like a temporary one.
    const std::string withNotes = OldRunFolder(".", {{"page0.tif", "page"}, {"notes.txt", "mine"}});
    const std::string held = OldRunFolder(".");
    const int heldFd = open(At(held).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(heldFd, 0);
    ASSERT_EQ(flock(heldFd, LOCK_EX), 0);
    OldFolder(".velmora-gggggg");
    ASSERT_EQ(chmod(At(".velmora-gggggg").c_str(), 0755), 0);
    MakeOld(At(".velmora-gggggg"));
    OldFolder(".velmora-ab12cd");
    Save(At(".velmora-ab12cd/old.tif"), std::string("II*\0mine", 8));
    MakeOld(At(".velmora-ab12cd"));
    ASSERT_EQ(mkdir(At(".velmora-backup").c_str(), 0700), 0);
    Save(At(".velmora-backup/a.tif"), std::string("II*\0mine", 8));
    MakeOld(At(".velmora-backup"));
    ASSERT_EQ(mkdir(At(".velmora-bbbbbb").c_str(), 0755), 0);
    // A copy of a killed run's folder, mark and all, is the user's.
    const std::string copied = OldRunFolder("outside");
    ASSERT_EQ(mkdir(At(".velmora-cccccc").c_str(), 0700), 0);
    for (const char* name : {"/.velmora-run", "/page0.tif"})
        Save(At(".velmora-cccccc") + name, Load(At("outside/" + copied) + name));
    MakeOld(At(".velmora-cccccc"));
    OldFolder("outside/target");
    ASSERT_EQ(symlink(At("outside/target").c_str(), At(".velmora-dddddd").c_str()), 0);
    OldFolder("velmora-split-eeeeee");
    OldFile("a.tif.tmp");
    OldFile("c.tif.velmora.tmp");
    Save(At("report.velmora.tmp"), "the quarterly report");
    MakeOld(At("report.velmora.tmp"));
    const bool othersFile = geteuid() == 0;
    if (othersFile) {
        ASSERT_EQ(lchown(At("c.tif.velmora.tmp").c_str(), 12345, 12345), 0); // another user's
    }

    ASSERT_TRUE(Sweep(dir));
    close(heldFd);

    std::vector<std::string> expected{".velmora-ab12cd",
                                      ".velmora-backup",
                                      ".velmora-bbbbbb",
                                      ".velmora-cccccc",
                                      ".velmora-dddddd",
                                      ".velmora-gggggg",
                                      withNotes,
                                      held,
                                      "a.tif.tmp",
                                      "outside",
                                      "report.velmora.tmp",
                                      "velmora-split-eeeeee"};
    if (othersFile)
        expected.push_back("c.tif.velmora.tmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(dir), expected);
    EXPECT_EQ(Load(At("outside/keep.tif")), "keep");
    EXPECT_EQ(Names(At("outside/target")), std::vector<std::string>{"page0.tif"});
    EXPECT_EQ(Names(At("velmora-split-eeeeee")), std::vector<std::string>{"page0.tif"});
    EXPECT_EQ(Names(At(".velmora-gggggg")), std::vector<std::string>{"page0.tif"});
    EXPECT_EQ(Names(At(".velmora-ab12cd")), (std::vector<std::string>{"old.tif", "page0.tif"}));
    EXPECT_EQ(Names(At(".velmora-backup")), std::vector<std::string>{"a.tif"});
    EXPECT_EQ(Names(At(withNotes)), (std::vector<std::string>{".velmora-run", "notes.txt", "page0.tif"}));
    EXPECT_EQ(Load(At("report.velmora.tmp")), "the quarterly report");

    // A folder is looked through once per run.
    OldFile("later.tif.velmora.tmp");
    EXPECT_TRUE(Sweep(dir + "/"));
    EXPECT_TRUE(Exists(At("later.tif.velmora.tmp")));
}

// The private folder holds the output folder it was made in: when that is
// moved, or a link to elsewhere takes its name, the pages still go into it,
// and nothing goes through the link.
TEST_F(StaleDebrisTest, APrivateFolderReleasesItsPagesWhereItWasMadeWhereverThatIsNow)
{
    ASSERT_EQ(mkdir(At("out").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(At("elsewhere").c_str(), 0755), 0);
    {
        PrivateFolder folder(At("out"));
        ASSERT_TRUE(folder.Valid());
        Save(folder.Path() + "/page0.tif", "page 1");
        ASSERT_EQ(rename(At("out").c_str(), At("moved").c_str()), 0);
        ASSERT_EQ(mkdir(At("out").c_str(), 0755), 0);
        EXPECT_TRUE(folder.ReleaseLeftovers());
        EXPECT_EQ(folder.Finish(), "");
    }
    EXPECT_EQ(Names(At("moved")), std::vector<std::string>{"page0.tif"});
    EXPECT_EQ(Load(At("moved/page0.tif")), "page 1");
    EXPECT_EQ(Names(At("out")), std::vector<std::string>{});

    std::string kept;
    {
        PrivateFolder folder(At("out"));
        ASSERT_TRUE(folder.Valid());
        const std::string name = folder.Path().substr(At("out/").size());
        Save(folder.Path() + "/page0.tif", "page 1");
        Save(folder.Path() + "/page1.tif", "page 2");
        Save(At("out/page1.tif"), "user's");
        ASSERT_EQ(rename(At("out").c_str(), At("real").c_str()), 0);
        ASSERT_EQ(symlink(At("elsewhere").c_str(), At("out").c_str()), 0);
        EXPECT_FALSE(folder.ReleaseLeftovers());
        kept = folder.Finish();
        EXPECT_EQ(kept, At("real/velmora-split-") + name.substr(9));
    }
    EXPECT_EQ(Names(At("elsewhere")), std::vector<std::string>{});
    EXPECT_EQ(Load(At("real/page0.tif")), "page 1");
    EXPECT_EQ(Load(At("real/page1.tif")), "user's");
    EXPECT_EQ(Names(kept), std::vector<std::string>{"page1.tif"});
}

TEST_F(StaleDebrisTest, APrivateFolderIsHeldWhileUsedAndNeverRemovedWithPagesInIt)
{
    ASSERT_EQ(mkdir(At("out").c_str(), 0755), 0);
    OldRunFolder("out"); // left by a killed run: goes
    std::string kept;
    {
        PrivateFolder folder(At("out"));
        ASSERT_TRUE(folder.Valid());
        const std::string name = folder.Path().substr(At("out/").size());
        EXPECT_EQ(name.rfind(".velmora-", 0), 0u);
        EXPECT_EQ(Names(At("out")), std::vector<std::string>{name});
        // In use: even when it looks old, nobody takes it for debris.
        MakeOld(folder.Path());
        const int outFd = open(At("out").c_str(), O_RDONLY | O_DIRECTORY);
        EXPECT_FALSE(RemoveStaleFolder(outFd, name));
        close(outFd);

        // Leftovers join the output folder, never over what stands there.
        Save(folder.Path() + "/page0.tif", "page 1");
        Save(folder.Path() + "/page1.tif", "page 2");
        Save(folder.Path() + "/page2.tif", "page 3");
        Save(At("out/page1.tif"), "user's");
        ASSERT_EQ(symlink("/dev/null", At("out/page2.tif").c_str()), 0);
        EXPECT_EQ(folder.FileCount(), 3u);
        EXPECT_FALSE(folder.ReleaseLeftovers());
        EXPECT_EQ(Load(At("out/page0.tif")), "page 1");
        EXPECT_EQ(Load(At("out/page1.tif")), "user's");
        kept = folder.Finish();
        EXPECT_EQ(kept, At("out/velmora-split-") + name.substr(9));
    }
    EXPECT_EQ(Names(kept), (std::vector<std::string>{"page1.tif", "page2.tif"}));

    // An empty one goes.
    {
        PrivateFolder folder(At("out"));
        ASSERT_TRUE(folder.Valid());
    }
    EXPECT_EQ(Names(At("out")).size(), 4u); // page0, page1, page2 and the kept folder
    EXPECT_FALSE(PrivateFolder(At("missing")).Valid());
}

// Only a live run's own private folder lets a file be written there under
// its own name; there it never replaces anything, and a failed file goes.
TEST_F(StaleDebrisTest, FilesAreWrittenUnderTheirNamesOnlyInALivePrivateFolder)
{
    auto write = [](const std::string& target, const std::string& text, bool fail) {
        StagedFile file(target, Staging::InPrivateFolder);
        if (fail)
            file.Fail(ENOSPC);
        else if (!file.Ok() || ::write(file.Descriptor(), text.data(), text.size()) != ssize_t(text.size()))
            return false;
        return file.Commit();
    };
    ASSERT_EQ(mkdir(At("out").c_str(), 0755), 0);
    PrivateFolder folder(At("out"));
    ASSERT_TRUE(folder.Valid());
    const std::string page = folder.Path() + "/page0.tif";
    EXPECT_TRUE(IsLivePrivateFolder(folder.Path()));
    EXPECT_TRUE(IsLivePrivateFolder(folder.Path() + "/"));
    {
        StagedFile file(page, Staging::InPrivateFolder);
        ASSERT_TRUE(file.Ok());
        EXPECT_EQ(folder.Files(), std::vector<std::string>{"page0.tif"});
        file.Fail(ENOSPC);
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(folder.FileCount(), 0u);
    // A file that fails after its output folder was moved goes all the same.
    {
        StagedFile file(page, Staging::InPrivateFolder);
        ASSERT_TRUE(file.Ok());
        ASSERT_EQ(rename(At("out").c_str(), At("moved").c_str()), 0);
        file.Fail(ENOSPC);
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(folder.FileCount(), 0u);
        ASSERT_EQ(rename(At("moved").c_str(), At("out").c_str()), 0);
    }
    EXPECT_TRUE(write(page, "page 1", false));
    EXPECT_EQ(Load(page), "page 1");
    // A taken name goes the usual way: a failed file leaves it as it was.
    EXPECT_FALSE(write(page, "", true));
    EXPECT_EQ(Load(page), "page 1");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"page0.tif"});

    // Not live: a link to one, one of the name that nobody holds, one that
    // others may enter, and a folder of another name.
    ASSERT_EQ(symlink(folder.Path().c_str(), At("out/.velmora-linked").c_str()), 0);
    EXPECT_FALSE(IsLivePrivateFolder(At("out/.velmora-linked")));
    ASSERT_EQ(mkdir(At(".velmora-unheld").c_str(), 0700), 0);
    EXPECT_FALSE(IsLivePrivateFolder(At(".velmora-unheld")));
    ASSERT_EQ(mkdir(At(".velmora-shared").c_str(), 0755), 0);
    const int held = open(At(".velmora-shared").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    EXPECT_FALSE(IsLivePrivateFolder(At(".velmora-shared")));
    close(held);
    EXPECT_FALSE(IsLivePrivateFolder(At("out")));
    const std::string path = folder.Path();
    folder.Finish();
    EXPECT_FALSE(IsLivePrivateFolder(path));
}

} // namespace
