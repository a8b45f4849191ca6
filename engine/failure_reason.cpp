#include "engine/failure_reason.h"

namespace stavren {

namespace {
thread_local int reason = 0;
thread_local std::string firstRefusal;
thread_local long long laterRefusals = 0;
} // namespace

void ClearFailureReason()
{
    reason = 0;
    firstRefusal.clear();
    laterRefusals = 0;
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

void NoteRefusal(const std::string& text)
{
    if (text.empty())
        return;
    if (firstRefusal.empty())
        firstRefusal = text;
    else
        ++laterRefusals;
}

std::string FailureText()
{
    if (laterRefusals == 0)
        return firstRefusal;
    return firstRefusal + "; " + std::to_string(laterRefusals) + (laterRefusals == 1 ? " more page" : " more pages")
           + " refused";
}

} // namespace stavren
