#pragma once
// Opening a name that must be a regular file, without ever blocking: a FIFO,
// device or socket planted under the name is refused instead of waited on
// (or written into), and nothing is truncated before the check.

#include <string>
#include <sys/types.h>

namespace safe_file {

// open(2) with `flags` (O_CLOEXEC and O_NOCTTY are added; O_TRUNC is done
// only once the name proved to be a regular file). The descriptor, in
// blocking mode, or -1 with errno set: ENXIO for anything but a regular
// file, EISDIR for a folder.
int OpenRegular(const std::string& path, int flags, mode_t mode = 0666);

} // namespace safe_file
