#pragma once
// The run-time error that stands for a system error code (an errno value):
// its number is the code combined with 10000 by a bitwise Or (an errno
// value below 10000 thus reads as 10000 plus the value), its description
// the system's text for the code (ApiErrorText).

#include "platform/runtime/run_time_error.h"

#include <cstdint>

RunTimeError SystemError(std::int32_t errorCode);
