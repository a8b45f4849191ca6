#pragma once
// One output file of a page operation.
//
// Every output, new or replacing a file, is written through a temporary
// sibling (safe_file::StagedFile) and takes its name only once it is
// complete and every write was checked. What already stands under the name
// is judged by the replacement rule: a link is replaced as a name and never
// written through; an existing file is replaced only when the caller may
// write it, keeps its permission bits, owner and group, and is flushed to
// the disk with its folder; anything else is refused. On failure nothing
// written is left behind and the name is left as it was; the system's
// reason goes to the operation's failure reason. An output inside a live
// private folder is written there under its own name when that is free
// (safe_file::Staging::InPrivateFolder): no name there is a final one.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/output_file.h"
#include "platform/safe_file/staged_file.h"

namespace stavren {

class OutputTarget {
public:
    OutputTarget(std::string name, std::uint64_t* budget, safe_file::Staging staging = safe_file::Staging::Sibling);
    ~OutputTarget();
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    OutputFile& File() { return *file_; }
    // Finishes writing; false (and everything removed) when any write failed.
    bool Close();
    // Puts the closed file under its name; false (and removed) on failure.
    bool Publish();
    // Removes whatever was written.
    void Abandon();

private:
    safe_file::StagedFile staged_;
    std::unique_ptr<OutputFile> file_;
    bool closed_ = false;
    bool finished_ = false;
};

} // namespace stavren
