#pragma once
// Temporary siblings: the names a file is written under before it takes
// its final name, and their exclusive creation.
//
// The sibling of "<folder>/<name>" is "<folder>/<name>.velmora.tmp", then
// "<name>.velmora-2.tmp", "<name>.velmora-3.tmp", ... while those are taken.
// A name too long to carry that ending (the file system's 255-byte limit)
// gets ".velmora-<16 hex digits>.tmp" (a hash of the name), "-2", ...
// instead, in the same folder. The endings make them recognisable as this
// program's own, so that a later run can remove what a killed run left.

#include <string>
#include <sys/types.h>

namespace safe_file {

// The candidate of the given attempt (0, 1, ...); `shortForm` picks the
// hashed form.
std::string TemporaryName(const std::string& target, int attempt, bool shortForm);

// True when a file name (no folder) has the form of a temporary sibling.
bool IsTemporaryName(const std::string& fileName);

// Creates a new, empty temporary sibling of `target` with O_EXCL and
// O_NOFOLLOW (never opening anything that exists), permission bits `mode`
// (less the umask), and marks it as in use for as long as the descriptor
// stays open, also with a mark that outlasts it (MarkTemporaryFile). A
// candidate left by a killed run is removed and taken. The
// write-only descriptor and the chosen name, or -1 with errno set.
int CreateTemporarySibling(const std::string& target, mode_t mode, std::string& name);

// The first candidate that nothing stands under now.
std::string FreeTemporaryName(const std::string& target);

// Marks the open temporary file as a run's (an extended attribute), where
// the file system keeps such marks; and tells whether an open file carries
// that mark. A run's temporary file that was killed before its first write
// is recognised by it. The mark is taken off before the file takes its
// final name (UnmarkTemporaryFile).
void MarkTemporaryFile(int fd);
void UnmarkTemporaryFile(int fd);
bool IsMarkedTemporaryFile(int fd);

} // namespace safe_file
