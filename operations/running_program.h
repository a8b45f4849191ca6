#pragma once
// Which of the two programs is running. Both programs carry the same shared
// code; where the command-line program behaves differently (which error
// paths log, which helpers trap), the code asks this once-selected value.
//
// Each program selects itself once at start-up, before anything else runs:
//     SelectRunningProgram(RunningProgram::CommandLine);   // VelmoraCMD
// Until then the desktop program is assumed.

enum class RunningProgram { Desktop, CommandLine };

void SelectRunningProgram(RunningProgram program) noexcept;
RunningProgram CurrentProgram() noexcept;

inline bool IsCommandLineProgram() noexcept
{
    return CurrentProgram() == RunningProgram::CommandLine;
}
