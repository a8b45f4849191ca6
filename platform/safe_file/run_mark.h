#pragma once
// The mark of a run's private folder: a small file a run creates inside the
// folder before anything else, holding a token of that run. Only a folder
// that carries it is a run's: a later run may sweep it when the run that
// made it was killed (stale_debris.h), and no folder search enters it. A
// folder of the user's under the same name, whatever its mode and content,
// has no mark and is left alone.

#include <cstdint>
#include <string>

namespace safe_file {

// The mark's name inside the private folder.
inline constexpr char kRunMarkName[] = ".velmora-run";

// Creates the mark in the open, empty folder `folderFd`; an errno value, or
// 0 when it is there.
int WriteRunMark(int folderFd);

// Whether the open folder `folderFd` carries a run's mark: a regular file
// (not a link) of that name and form. With `ownOnly`, also this user's,
// made in this very folder (not in one it was copied from).
bool HasRunMark(int folderFd, bool ownOnly);

// The 0-based index of an engine page file name ("page<k>.tif", exactly
// as the engine writes it); -1 for any other name.
std::int64_t EnginePageIndex(const std::string& name);

// What a split in two writes into a private folder: <prefix>1.tif and
// <prefix>2.tif.
inline constexpr char kSplitPartPrefix[] = "part";

// Whether a name (no folder) is one a run creates inside its private
// folder: the mark, an engine page file, a part of a split in two, or a
// temporary sibling of one of these.
bool IsRunFileName(const std::string& name);

// Whether `folder` is a run's private folder, live or left by a killed run:
// a real folder (not a link) under a private folder's name that carries
// the mark. A folder that cannot be looked into does not count.
bool IsRunFolder(const std::string& folder);
// The same for the entry `name` of the open folder `parentFd`.
bool IsRunFolderAt(int parentFd, const char* name);

} // namespace safe_file
