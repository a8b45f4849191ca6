#pragma once
// A private folder inside an output folder: where the page engine writes
// files under its own names ("page<k>.tif") before they are moved to their
// final names, so that those names never meet a user's files. Being inside
// the output folder, it is on the same file system, and a move out of it is
// a rename.
//
// Its name is ".velmora-" and six letters or digits; the first thing made
// in it is the run's mark (run_mark.h), and a run holds it locked while it
// uses it. A later run removes such a folder only when it is the stale
// debris of a killed run (stale_debris.h), which is also done here, once
// per output folder and run, before a new one is made.
//
// The output folder is held open from the moment the private folder is
// made, and every later step (moving files out, removing or keeping the
// folder) is taken relative to it: when the output folder is moved or
// renamed meanwhile, the files still go into it wherever it now is, and a
// link or folder put under its old name is never followed.
//
// A run never deletes a file it did not put in its final place: at the end
// the folder is removed when it is empty, and otherwise kept under the
// visible name "velmora-split-" + the same six characters, without its
// mark, which no run takes for debris.

#include <cstddef>
#include <string>
#include <vector>

namespace safe_file {

class PrivateFolder {
public:
    explicit PrivateFolder(const std::string& parent);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    bool Valid() const { return fd_ >= 0; }
    // Why it could not be made (an errno value).
    int Error() const { return error_; }
    // The folder as it was made, without a trailing "/"; empty when it
    // could not be made. The engine is given this path.
    const std::string& Path() const { return path_; }
    // The open folder and the open output folder around it.
    int Descriptor() const { return fd_; }
    int ParentDescriptor() const { return parentFd_; }
    // Whether Path() still leads to this folder (neither it nor the output
    // folder has been moved, removed or replaced since it was made).
    bool AtItsPath() const;
    // The names of the files in it (its mark left out), and their number.
    std::vector<std::string> Files() const;
    std::size_t FileCount() const;

    // Moves every file left in it to the output folder under its own name,
    // never over anything that stands there; the names moved in `moved`
    // when given. True when it is empty afterwards.
    bool ReleaseLeftovers(std::vector<std::string>* moved = nullptr);

    // Removes the folder when it is empty, else keeps it under its visible
    // name. The kept folder's path (where the output folder is now), or ""
    // when it was removed (or never made). Called by the destructor when
    // not called before.
    std::string Finish();

private:
    // The output folder's path as it is now (it may have been moved).
    std::string ParentPathNow() const;

    std::string parent_;
    std::string name_;
    std::string path_;
    int parentFd_ = -1;
    int fd_ = -1;
    int error_ = 0;
};

// True when `folder` (a trailing "/" allowed) is a private folder that a
// live run holds: a real folder (not a link) under a private folder's
// name, this user's, closed to everyone else, marked and locked. Nobody
// else can put anything there or take it for debris, so a new file may be
// written there under its own name (safe_file::Staging::InPrivateFolder).
bool IsLivePrivateFolder(const std::string& folder);

} // namespace safe_file
