// Two runs changing one file take turns.

#include "safe_file_fixture.h"

#include "platform/safe_file/edit_lock.h"

#include <atomic>
#include <cerrno>
#include <sys/file.h>
#include <thread>

using namespace safe_file;
using namespace std::chrono_literals;

namespace {

class EditLockTest : public SafeFileTest {};

TEST_F(EditLockTest, WaitsForTheHolderThenLocksTheFileThatReplacedIt)
{
    const std::string path = At("a.tif");
    Save(path, "first");
    const int holder = open(path.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    std::atomic<bool> locked{false};
    std::atomic<bool> release{false};
    std::thread other([&] {
        EditLock lock(path, 10s);
        locked = lock.Held();
        while (!release)
            std::this_thread::sleep_for(5ms);
    });
    std::this_thread::sleep_for(150ms);
    EXPECT_FALSE(locked); // still waiting
    // The holder puts its new version in place, then lets go.
    Save(At("new"), "second");
    ASSERT_EQ(rename(At("new").c_str(), path.c_str()), 0);
    close(holder);
    for (int i = 0; i < 200 && !locked; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(locked);
    // It holds the file now under the name, not the one replaced.
    const int probe = open(path.c_str(), O_RDONLY);
    EXPECT_NE(flock(probe, LOCK_EX | LOCK_NB), 0);
    release = true;
    other.join();
    EXPECT_EQ(flock(probe, LOCK_EX | LOCK_NB), 0);
    close(probe);
}

TEST_F(EditLockTest, GivesUpAfterItsPatience)
{
    const std::string path = At("a.tif");
    Save(path, "x");
    const int holder = open(path.c_str(), O_RDONLY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    const EditLock lock(path, 100ms);
    EXPECT_FALSE(lock.Held());
    EXPECT_EQ(lock.Error(), EWOULDBLOCK);
    close(holder);
    const EditLock missing(At("missing.tif"), 100ms);
    EXPECT_FALSE(missing.Held());
    EXPECT_EQ(missing.Error(), ENOENT);
}

} // namespace
