#include "engine/read_allowance.h"

namespace stavren {

void ReadAllowance::AddInput(std::uint64_t fileSize)
{
    constexpr std::uint64_t kMax = ~std::uint64_t(0);
    const std::uint64_t more = fileSize > kMax / kPerInputByte ? kMax : kPerInputByte * fileSize;
    left_ = more > kMax - left_ ? kMax : left_ + more;
}

bool ReadAllowance::Take(std::uint64_t bytes)
{
    if (spent_ || bytes > left_) {
        spent_ = true;
        left_ = 0;
        return false;
    }
    left_ -= bytes;
    return true;
}

} // namespace stavren
