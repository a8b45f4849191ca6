// Files that must be regular files (the logs, the write test) are opened
// without ever blocking on a FIFO, and nothing else is written to.

#include "safe_file_fixture.h"

#include "platform/safe_file/regular_file.h"

#include <cerrno>

using namespace safe_file;

namespace {

class RegularFileTest : public SafeFileTest {};

TEST_F(RegularFileTest, OnlyRegularFilesOpenAndNothingBlocks)
{
    ASSERT_EQ(mkfifo(At("Errors.Log").c_str(), 0644), 0);
    ASSERT_EQ(mkdir(At("folder").c_str(), 0755), 0);
    for (int flags : {O_WRONLY | O_APPEND | O_CREAT, O_RDONLY, O_WRONLY | O_CREAT | O_TRUNC}) {
        errno = 0;
        EXPECT_EQ(OpenRegular(At("Errors.Log"), flags), -1);
        EXPECT_EQ(errno, ENXIO);
        EXPECT_EQ(OpenRegular(At("folder"), O_RDONLY), -1);
        EXPECT_EQ(errno, EISDIR);
    }

    Save(At("Log.txt"), "earlier");
    int fd = OpenRegular(At("Log.txt"), O_WRONLY | O_APPEND | O_CREAT);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, " later", 6), 6);
    close(fd);
    EXPECT_EQ(Load(At("Log.txt")), "earlier later");

    // Truncation only once the name proved to be a regular file.
    fd = OpenRegular(At("Log.txt"), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(Load(At("Log.txt")), "");
    ASSERT_EQ(symlink(At("Log.txt").c_str(), At("link").c_str()), 0);
    EXPECT_EQ(OpenRegular(At("link"), O_WRONLY | O_NOFOLLOW), -1);
}

} // namespace
