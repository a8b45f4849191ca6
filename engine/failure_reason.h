#pragma once
// Why a page operation failed. Two parts, each kept per thread from
// ClearFailureReason() on; the operations only ever add to them:
//   - the errno value of the first system call that failed (a full disk,
//     the file size limit, a refused replacement, a file another run kept
//     locked), or EFBIG for a page past what may be written; 0 when the
//     failure had no such cause (a page number outside the file);
//   - a short text for the first page refused and why ("page 3: no image
//     data", "BigTIFF files are not read"), with the number of pages refused
//     after it.

#include <string>

namespace stavren {

void ClearFailureReason();
// Records `error` unless a reason is already recorded (0 is ignored).
void NoteFailureReason(int error);
int FailureReason();

// Records that a page (or a whole file) was refused and why: the first text
// is kept, later ones are counted. An empty text is ignored.
void NoteRefusal(const std::string& text);
// The text of the first page refused, followed by how many more were
// ("page 3: no image data; 4 more pages refused"); empty when none was.
std::string FailureText();

} // namespace stavren
