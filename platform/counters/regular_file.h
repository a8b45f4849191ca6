#pragma once
// Opens a path for reading only when it names a regular file, without ever
// blocking (a FIFO or a device given as a file name must not hang a count).

#include <QString>

namespace counters {

// A read-only descriptor of the regular file at path (symbolic links
// followed), or -1. The caller closes it.
int OpenRegularFile(const QString& path);

} // namespace counters
