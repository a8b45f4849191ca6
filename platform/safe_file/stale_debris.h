#pragma once
// What a killed run leaves behind, and its removal by a later run.
//
// Debris is a temporary sibling (IsTemporaryName) or a private folder
// (a folder named ".velmora-" and six letters or digits) that
//   - is this user's own (same owner as the running program),
//   - is a real file or folder, not a link (links are never followed),
//   - was last changed (by a clear second) before this run started, and
//   - is not held by a live run (each run keeps its temporary files and
//     private folders locked while it uses them).
// A temporary sibling goes only when it is recognisably a run's: it begins
// with a TIFF header, as every file written through one does, or carries
// the mark a run gives it (temporary_name.h). A private folder goes only when it
// is closed to other users and carries a run's mark (run_mark.h), as a run
// makes it, and holds nothing but names a run creates there; anything else
// in it keeps it whole.

#include <ctime>
#include <string>
#include <vector>

namespace safe_file {

// The names in the open folder `fd`, "." and ".." left out (the folder is
// read from its start through a descriptor of its own).
std::vector<std::string> EntriesOf(int fd);

// When this run started: when the program, or the module that holds this
// code, was loaded.
const std::timespec& RunStart();

// Removes the temporary file `name` (relative to the folder descriptor
// `folderFd`, or AT_FDCWD) when it is debris. True when it was removed.
bool RemoveStaleFile(int folderFd, const std::string& name);

// Removes the private folder `name` (relative to `folderFd`) with its
// files when it is debris. True when it is gone.
bool RemoveStaleFolder(int folderFd, const std::string& name);

// Removes every piece of debris directly inside the open folder
// `folderFd`, known to the run as `folder`. Each folder is looked through
// once per run (what an earlier run left cannot appear later); false when
// the folder could not be read.
bool SweepStaleDebrisAt(int folderFd, const std::string& folder);

// The prefix of private folder names; six characters of mkdtemp follow.
inline constexpr char kPrivateFolderPrefix[] = ".velmora-";

// Whether a name (no folder) has exactly the form of a private folder's:
// the prefix and six letters or digits (a user's ".velmora-notes" is not).
bool IsPrivateFolderName(const char* name);

} // namespace safe_file
