#pragma once
// Why a page operation failed, as the system told it: the errno value of the
// first system call that failed (a full disk, the file size limit, a refused
// replacement, a file another run kept locked). 0 when the failure had no
// such cause (a page number outside the file, a damaged page). Kept per
// thread from ClearFailureReason() on; the operations only ever add to it.

namespace stavren {

void ClearFailureReason();
// Records `error` unless a reason is already recorded (0 is ignored).
void NoteFailureReason(int error);
int FailureReason();

} // namespace stavren
