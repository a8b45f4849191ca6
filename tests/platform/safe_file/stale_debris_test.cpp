// What killed runs leave behind is removed by a later run: only its own
// kind of debris, only this user's, only what is older than the run and not
// held by a live run, and never through a link. Private folders are never
// removed with a page in them.

#include "safe_file_fixture.h"

#include "platform/safe_file/private_folder.h"
#include "platform/safe_file/staged_file.h"
#include "platform/safe_file/stale_debris.h"

#include <sys/file.h>

using namespace safe_file;

namespace {

class StaleDebrisTest : public SafeFileTest {
protected:
    // A folder holding one file, last changed an hour ago, closed to others
    // as a run's private folder is.
    void OldFolder(const std::string& name)
    {
        ASSERT_EQ(mkdir(At(name).c_str(), 0700), 0);
        Save(At(name + "/page0.tif"), "page");
        MakeOld(At(name + "/page0.tif"));
        MakeOld(At(name));
    }
    void OldFile(const std::string& name)
    {
        Save(At(name), "part");
        MakeOld(At(name));
    }
};

TEST_F(StaleDebrisTest, OnlyOwnOldUnheldDebrisGoesAndLinksAreNotFollowed)
{
    // Debris of killed runs.
    OldFolder(".velmora-aaaaaa");
    ASSERT_EQ(mkdir(At("outside").c_str(), 0755), 0);
    Save(At("outside/keep.tif"), "keep");
    ASSERT_EQ(symlink(At("outside/keep.tif").c_str(), At(".velmora-aaaaaa/page9.tif").c_str()), 0);
    MakeOld(At(".velmora-aaaaaa"));
    OldFile("a.tif.velmora.tmp");
    OldFile("b.tif.velmora-3.tmp");
    OldFile(".velmora-0123456789abcdef.tmp");
    // Not debris: a live run's folder, a held one, a link to a folder, a
    // kept folder of unplaced pages, the user's own files, and folders of
    // the user's that only look like ours (open to others, or holding what
    // a run never writes).
    OldFolder(".velmora-gggggg");
    ASSERT_EQ(chmod(At(".velmora-gggggg").c_str(), 0755), 0);
    MakeOld(At(".velmora-gggggg"));
    OldFolder(".velmora-hhhhhh");
    Save(At(".velmora-hhhhhh/notes.txt"), "mine");
    MakeOld(At(".velmora-hhhhhh/notes.txt"));
    MakeOld(At(".velmora-hhhhhh"));
    ASSERT_EQ(mkdir(At(".velmora-bbbbbb").c_str(), 0755), 0);
    OldFolder(".velmora-cccccc");
    const int held = open(At(".velmora-cccccc").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    OldFolder("outside/target");
    ASSERT_EQ(symlink(At("outside/target").c_str(), At(".velmora-dddddd").c_str()), 0);
    OldFolder("velmora-split-eeeeee");
    OldFile("a.tif.tmp");
    OldFile("c.tif.velmora.tmp");
    const bool othersFile = geteuid() == 0;
    if (othersFile) {
        ASSERT_EQ(lchown(At("c.tif.velmora.tmp").c_str(), 12345, 12345), 0); // another user's
    }

    ASSERT_TRUE(SweepStaleDebris(dir));
    close(held);

    std::vector<std::string> expected{".velmora-bbbbbb", ".velmora-cccccc", ".velmora-dddddd", ".velmora-gggggg",
                                      ".velmora-hhhhhh", "a.tif.tmp",       "outside",         "velmora-split-eeeeee"};
    if (othersFile)
        expected.insert(expected.begin() + 6, "c.tif.velmora.tmp");
    EXPECT_EQ(Names(dir), expected);
    EXPECT_EQ(Load(At("outside/keep.tif")), "keep");
    EXPECT_EQ(Names(At("outside/target")), std::vector<std::string>{"page0.tif"});
    EXPECT_EQ(Names(At("velmora-split-eeeeee")), std::vector<std::string>{"page0.tif"});
    EXPECT_EQ(Names(At(".velmora-gggggg")), std::vector<std::string>{"page0.tif"});
    EXPECT_EQ(Names(At(".velmora-hhhhhh")), (std::vector<std::string>{"notes.txt", "page0.tif"}));

    // A folder is looked through once per run.
    OldFile("later.tif.velmora.tmp");
    EXPECT_TRUE(SweepStaleDebris(dir + "/"));
    EXPECT_TRUE(Exists(At("later.tif.velmora.tmp")));
}

TEST_F(StaleDebrisTest, APrivateFolderIsHeldWhileUsedAndNeverRemovedWithPagesInIt)
{
    ASSERT_EQ(mkdir(At("out").c_str(), 0755), 0);
    OldFolder("out/.velmora-ffffff"); // left by a killed run: goes
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
        EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"page0.tif"});
        file.Fail(ENOSPC);
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(folder.FileCount(), 0u);
    EXPECT_TRUE(write(page, "page 1", false));
    EXPECT_EQ(Load(page), "page 1");
    // A taken name goes the usual way: a failed file leaves it as it was.
    EXPECT_FALSE(write(page, "", true));
    EXPECT_EQ(Load(page), "page 1");
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"page0.tif"});

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
