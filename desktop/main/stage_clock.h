#pragma once
// Where a search spends its time: a steady clock in nanoseconds, and a
// scope that adds its length to a counter.

#include <chrono>
#include <cstdint>

inline std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class StageClock {
public:
    explicit StageClock(std::int64_t& sum) : sum_(sum), start_(NowNs()) {}
    ~StageClock() { sum_ += NowNs() - start_; }
    StageClock(const StageClock&) = delete;
    StageClock& operator=(const StageClock&) = delete;

private:
    std::int64_t& sum_;
    std::int64_t start_;
};
