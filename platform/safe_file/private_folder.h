#pragma once
// A private folder inside an output folder: where the page engine writes
// files under its own names ("page<k>.tif") before they are moved to their
// final names, so that those names never meet a user's files. Being inside
// the output folder, it is on the same file system, and a move out of it is
// a rename.
//
// Its name is ".velmora-" and six letters or digits while a run uses it
// (and holds it locked); a later run removes such a folder only when it is
// the stale debris of a killed run (stale_debris.h), which is also done
// here, once per output folder and run, before a new one is made. A run
// never deletes a file it did not put in its final place: at the end the
// folder is removed when it is empty, and otherwise kept under the visible
// name "velmora-split-" + the same six characters, which no run takes for
// debris.

#include <cstddef>
#include <string>

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
    // The folder, without a trailing "/"; empty when it could not be made.
    const std::string& Path() const { return path_; }
    // The number of entries in it.
    std::size_t FileCount() const;

    // Moves every file left in it to the parent folder under its own name,
    // never over anything that stands there. True when it is empty
    // afterwards.
    bool ReleaseLeftovers();

    // Removes the folder when it is empty, else keeps it under its visible
    // name. The kept folder's path, or "" when it was removed (or never
    // made). Called by the destructor when not called before.
    std::string Finish();

private:
    std::string parent_;
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
};

// True when `folder` (a trailing "/" allowed) is a private folder that a
// live run holds: a real folder (not a link) under a private folder's
// name, this user's, closed to everyone else, and locked. Nobody else can
// put anything there or take it for debris, so a new file may be written
// there under its own name (safe_file::Staging::InPrivateFolder).
bool IsLivePrivateFolder(const std::string& folder);

} // namespace safe_file
