#include "engine/output_target.h"

#include "engine/failure_reason.h"

namespace stavren {

OutputTarget::OutputTarget(std::string name, std::uint64_t* budget, safe_file::Staging staging) : staged_(name, staging)
{
    file_ = std::make_unique<OutputFile>(staged_.Descriptor(), std::move(name));
    if (!staged_.Ok()) {
        NoteFailureReason(staged_.Error());
        file_->Fail();
    }
    file_->ShareBudget(budget);
}

OutputTarget::~OutputTarget()
{
    if (!finished_)
        Abandon();
}

bool OutputTarget::Close()
{
    if (closed_)
        return !file_->Failed();
    closed_ = true;
    if (!file_->Close()) {
        Abandon();
        return false;
    }
    return true;
}

bool OutputTarget::Publish()
{
    if (!Close())
        return false;
    finished_ = true;
    if (!staged_.Commit()) {
        NoteFailureReason(staged_.Error());
        return false;
    }
    return true;
}

void OutputTarget::Abandon()
{
    NoteFailureReason(file_->Error());
    if (!closed_) {
        closed_ = true;
        file_->Fail();
        file_->Close();
    }
    staged_.Discard();
    finished_ = true;
}

} // namespace stavren
