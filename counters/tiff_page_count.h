#pragma once
// The count behind TiffPageCounter, without Qt: the page engine's own walk
// of the directory chain (engine/directory_chain.h), so that the count a
// user sees is the count every operation acts on. Only the header, the
// entry counts and the next offsets are read, never what the entries
// point at: counting costs in proportion to the directories.

#include <cstdint>

namespace counters {

// The page count of the regular file at `path` (symbolic links followed;
// a FIFO or device is never opened for reading), or -1 when it has no page
// the engine would read: not a TIFF file, unreadable, a BigTIFF file.
std::int32_t CountTiffFilePages(const char* path);

// The same count, walking the chain no further than `atMost` pages: the
// count when the file has fewer, else `atMost`. A check such as "does the
// file reach page N" needs no more.
std::int32_t CountTiffFilePagesUpTo(const char* path, std::int32_t atMost);

} // namespace counters
