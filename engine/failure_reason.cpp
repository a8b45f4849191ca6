#include "engine/failure_reason.h"

namespace stavren {

namespace {
thread_local int reason = 0;
}

void ClearFailureReason()
{
    reason = 0;
}

void NoteFailureReason(int error)
{
    if (reason == 0)
        reason = error;
}

int FailureReason()
{
    return reason;
}

} // namespace stavren
