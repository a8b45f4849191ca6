#pragma once
// One output file of a page operation.
//
// Written under its own name when nothing stands there yet. When it must
// replace an existing file (one still being read, such as the input of an
// in-place change, or any file already under the name), it is written through a temporary
// sibling, which is renamed over the name only once it is complete, so that
// there is never a moment without the file; the replaced file keeps its
// permission bits. On failure nothing written is left behind, and a staged
// target leaves the file under its name as it was.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/output_file.h"

namespace stavren {

class OutputTarget {
public:
    OutputTarget(std::string name, bool staged, std::uint64_t* budget);
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
    std::string name_;
    std::string written_;   // the name actually written
    bool staged_;
    bool closed_ = false;
    bool finished_ = false;
    std::unique_ptr<OutputFile> file_;
};

} // namespace stavren
