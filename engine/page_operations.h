#pragma once
// File-level page operations of the page engine. Plain functions of file
// names (UTF-8 paths) and page numbers; no state survives a call.
//
// Page-number conventions:
//   SplitFile, DeletePage, SwapPages, InsertPages: 1-based page numbers;
//   ExtractPageRange: 0-based page indices.
//
// Every file written is little-endian. Every output, and the input of an
// in-place change, is written to a temporary sibling (TempSiblingName) and
// renamed over its name only after a complete, checked write; on failure
// the name is left as it was. A link under an output name is replaced as a
// name, never written through; an existing file is replaced only when the
// caller may write it, and keeps its permission bits, owner and group
// (platform/safe_file/replace_rule.h). Page files extracted into a live
// private folder (platform/safe_file/private_folder.h), where no name is a
// final one, are written under their names at once when those are free.
// An in-place change holds an advisory lock on its input and waits (up to
// a minute) while another run holds it.
// FailureReason() (failure_reason.h) tells the system's reason for a
// failure, where there was one.
//
// A page that cannot be copied unchanged is never written: one whose data
// lies outside its file or that claims more data than its file holds, and
// one whose compressed samples wider than a byte would need their byte
// order turned. No output passes 4 GiB (the reach of its 32-bit offsets),
// all outputs of one call together (failed and temporary ones included)
// take at most twice the size of its inputs plus 256 MiB, and one page's
// copy at most its file's size plus 1 MiB: a page that would pass any of
// these is refused before it is written, with EFBIG as the reason. Failed
// outputs are removed.

#include <cstdint>
#include <string>
#include <vector>

namespace stavren {

// Merges the pages of the inputs, in order, into output. False when the
// output could not be written completely (it is then removed), and when no
// input has pages (no file is made).
bool MergeFiles(const std::vector<std::string>& inputs, std::string output);

// Writes every page i of input to ExtractedPageFile(folder, i).
// Returns the input's page count, or -1 when a page could not be written
// (a damaged page, an output that cannot be created or written); the intact
// pages are written all the same.
std::int32_t ExtractAllPages(std::string input, std::string folder);

// Writes the pages whose 0-based index lies in start..end and in the file to
// ExtractedPageFile(folder, index). Returns the input's page count (also
// for an empty range), or -1 when a selected page could not be written.
// Only the directories up to the range's end are read; those after it are
// counted.
std::int32_t ExtractPageRange(std::string input, std::int32_t start, std::int32_t end, std::string folder);

// ExtractPageRange for a caller that needs no page count: true when the
// input has pages and every selected page was written (when the count
// ExtractPageRange answers would be above 0). The chain is walked no
// further than the range's end.
bool ExtractPagesInRange(std::string input, std::int32_t start, std::int32_t end, std::string folder);

// Pages 1..t-1 to out1, t..n to out2. False when t is outside 2..n or an
// output could not be written; both are complete before either is put in
// place, and on failure neither is.
bool SplitFile(std::string input, std::int32_t t, std::string out1, std::string out2);

// True when the file opens for reading (a folder does not count).
bool CanOpenFile(const std::string& name);

// Removes page p. False when p is outside 1..n, n is 1, or the rewrite failed.
bool DeletePage(std::string input, std::int32_t p);

// Exchanges pages p1 and p2. True at once when p1 == p2.
bool SwapPages(std::string input, std::int32_t p1, std::int32_t p2);

// The number of pages of the file; 0 when it cannot be read.
std::int32_t CountTiffPages(std::string input);

// Inserts the pages of `from` before the 1-based page `at` of input
// (at <= 1: first; at > n: after the last page). A missing input is created
// with the pages of `from`. False when the rewrite failed, when `from` has
// no pages, and when the input exists but no page of it can be read (it is
// never replaced then).
bool InsertPages(std::string input, std::int32_t at, std::string from);

// folder + "/page" + index + ".tif", the folder used exactly as given.
std::string ExtractedPageFile(const std::string& folder, std::int32_t index);

// The temporary sibling an in-place change of input would be written to
// first: input + ".velmora.tmp" (see platform/safe_file/temporary_name.h).
std::string TempSiblingName(const std::string& input);

} // namespace stavren
