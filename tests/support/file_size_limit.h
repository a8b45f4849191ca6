#pragma once
// A lowered limit on the size of the files this process writes, standing in
// for a full disk: writes beyond it fail (also for a privileged user), and
// the signal such a write would raise is ignored while the limit is in force.

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    FileSizeLimit() : saved_(getrlimit(RLIMIT_FSIZE, &old_) == 0), previousHandler_(std::signal(SIGXFSZ, SIG_IGN)) {}
    ~FileSizeLimit() { Restore(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Makes every write beyond `bytes` fail; false when the limit could not be set.
    bool Limit(rlim_t bytes)
    {
        if (!saved_ || restored_)
            return false;
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        return setrlimit(RLIMIT_FSIZE, &small) == 0;
    }

    // Puts back the limit and the signal handler found at construction.
    void Restore()
    {
        if (restored_)
            return;
        restored_ = true;
        if (saved_)
            setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    struct rlimit old_ {};
    bool saved_;
    bool restored_ = false;
    void (*previousHandler_)(int);
};
