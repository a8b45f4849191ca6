#include "engine/output_target.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/page_operations.h"

namespace stavren {

namespace {
// A temporary sibling is made under a new name and never replaces a file;
// when a name turns out to be taken, a longer one is tried, a few times.
constexpr int kTempAttempts = 8;

// A regular file already stands under the name (FIFOs, folders and the
// like are left to fail when opened).
bool RegularFileExists(const std::string& name) {
    struct stat st {};
    return ::lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
}

OutputTarget::OutputTarget(std::string name, bool staged, std::uint64_t* budget)
    : name_(std::move(name)), staged_(staged || RegularFileExists(name_)) {
    // A file already under the name is replaced only by a complete output:
    // a write that fails halfway must not leave it emptied.
    if (!staged_) {
        written_ = name_;
        file_ = std::make_unique<OutputFile>(written_);
    } else {
        std::string candidate = TempSiblingName(name_);
        for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
            file_ = std::make_unique<OutputFile>(candidate, true);
            if (!file_->Existed())
                break;
            candidate = TempSiblingName(candidate);
        }
        written_ = file_->Failed() ? std::string() : candidate;
        struct stat st {};
        if (!file_->Failed() && ::stat(name_.c_str(), &st) == 0)
            file_->SetMode(st.st_mode & 07777);
    }
    if (file_->Failed())
        written_.clear();
    file_->ShareBudget(budget);
}

OutputTarget::~OutputTarget() {
    if (!finished_)
        Abandon();
}

bool OutputTarget::Close() {
    if (closed_)
        return !file_->Failed();
    closed_ = true;
    if (!file_->Close()) {
        Abandon();
        return false;
    }
    return true;
}

bool OutputTarget::Publish() {
    if (!Close())
        return false;
    if (staged_ && std::rename(written_.c_str(), name_.c_str()) != 0) {
        Abandon();
        return false;
    }
    finished_ = true;
    return true;
}

void OutputTarget::Abandon() {
    if (!closed_) {
        closed_ = true;
        file_->Fail();
        file_->Close();
    }
    if (!written_.empty())
        ::unlink(written_.c_str());
    written_.clear();
    finished_ = true;
}

} // namespace stavren
