#pragma once
// The number of the run-time error a call raises, for tests that expect one.

#include "platform/runtime/run_time_error.h"

#include <functional>

// Runs `f`; the number of the RunTimeError it throws, or 0 when it throws none.
inline long ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const RunTimeError& e) {
        return e.number();
    }
    return 0;
}
