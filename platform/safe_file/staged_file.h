#pragma once
// The one way a file is written under a name: a temporary sibling is
// created exclusively, written, checked, and only then renamed over the
// name. Whatever stands under the name is judged by the replacement rule
// (replace_rule.h); when it is an existing file, the new file is flushed to
// the disk before the rename and the folder after it, so that a power loss
// leaves the old file or the new one, never an empty one. On any failure
// the temporary file is removed and the name is left as it was.
//
//     StagedFile file(target);
//     if (!file.Ok()) ...                       // file.Error() says why
//     write(file.Descriptor(), ...);            // failures: file.Fail(errno)
//     if (!file.Commit()) ...                   // nothing changed
//
// PlaceFileAt puts a complete file that already exists (in the same file
// system) under a final name by the same rule.
//
// Inside a live private folder (private_folder.h) no name is a final one:
// a file is written there under its own name when that name is free
// (Staging::InPrivateFolder), and is moved out to its final name later.
// Nothing else can appear there, so it needs no sibling, no rename and no
// lock of its own; a failed file is removed all the same, from the folder
// it was made in even when that folder has been moved since. A name that
// is taken there is written through a sibling, as anywhere else.

#include "platform/safe_file/replace_rule.h"

#include <string>

namespace safe_file {

enum class Staging {
    Sibling,         // through a temporary sibling renamed over the name
    InPrivateFolder, // the target lies in a live private folder
};

class StagedFile {
public:
    explicit StagedFile(std::string target, Staging staging = Staging::Sibling);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool Ok() const { return error_ == 0 && fd_ >= 0; }
    // The errno value of the first failure; 0 while all is well.
    int Error() const { return error_; }
    // The temporary file, open for writing; -1 after a failure.
    int Descriptor() const { return fd_; }
    // Whether an existing file will be replaced.
    bool Replaces() const { return replacement_.kind == Replacement::Kind::File; }

    // Records a failed write (the errno value, or EIO when there is none).
    void Fail(int error);
    // Flushes, closes (checked) and renames the file over the target. True
    // when it now stands under the target name.
    bool Commit();
    // Removes the temporary file; the target is left alone.
    void Discard();

private:
    void CloseFolder();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    int error_ = 0;
    bool done_ = false;
    bool direct_ = false; // written under the target name itself
    int folderFd_ = -1;   // its folder, while written there directly
    std::string name_;    // its name in that folder
    Replacement replacement_;
};

// Moves the complete file, the entry `from` of the open folder `fromFd`, to
// the entry `target` of the open folder `toFd` (either may be AT_FDCWD) by
// the replacement rule. False with `error` (an errno value) when the rule
// refuses the target or the move fails; `from` is then left where it was.
bool PlaceFileAt(int fromFd, const std::string& from, int toFd, const std::string& target, int& error);

// Moves the complete file `from` to `target` (entries of open folders, as
// above) only when nothing stands under that name, in one step that can
// never replace anything. True when it did; false with `error` EEXIST when
// the name is taken, EINVAL or ENOSYS when the file system cannot promise
// it, or the system's reason why the move failed; `from` is then where it
// was and PlaceFileAt decides.
bool PlaceFileIfFreeAt(int fromFd, const std::string& from, int toFd, const std::string& target, int& error);

} // namespace safe_file
