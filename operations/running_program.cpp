#include "operations/running_program.h"

#include <atomic>

namespace {
std::atomic<RunningProgram> g_program{RunningProgram::Desktop};
}

void SelectRunningProgram(RunningProgram program) noexcept
{
    g_program.store(program);
}

RunningProgram CurrentProgram() noexcept
{
    return g_program.load();
}
