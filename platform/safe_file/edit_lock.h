#pragma once
// An advisory lock (flock) on a file for the length of an in-place change,
// so that two runs changing one file at once take turns instead of one
// silently undoing the other. A run that finds the file locked waits for it,
// up to `patience`. The lock is taken on the file the name stands for when
// the lock is granted: a run that waited while the file was replaced locks
// the new file.

#include <chrono>
#include <string>

namespace safe_file {

class EditLock {
public:
    EditLock(const std::string& path, std::chrono::milliseconds patience);
    ~EditLock();
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    // Why it is not held: ENOENT (no such file), EWOULDBLOCK (still locked
    // after waiting), or what opening the file said.
    int Error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

} // namespace safe_file
