// Times commands side by side, taking turns: A B A B ... (the order of each
// round reversed every other round), so that a slow spell of the machine
// falls on all of them alike. Before every timed run the preparing command
// runs (through /bin/sh, not timed). Prints one line per command: its name,
// the median and the fastest wall time in milliseconds.
//
//   alternate [--any-status] RUNS PREPARE NAME1 COMMAND1 NAME2 COMMAND2 ...
//
// Each COMMAND is split at blanks and started directly (no shell), so its
// time is the program's own; leading NAME=VALUE words are set in its
// environment, as env(1) would. PREPARE may be "" for none. A first round is
// run untimed. A command that fails (non-zero exit status) is reported and
// ends the whole run with status 1, unless --any-status is given.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Command {
    std::string name;
    std::string text;
    std::vector<std::string> words;
    std::vector<double> times;
};

// Starts argv (after its leading NAME=VALUE words, which go into its
// environment) and waits for it; the exit status, or -1.
int Run(const std::vector<std::string>& words)
{
    std::vector<char*> argv;
    std::vector<char*> env;
    std::size_t first = 0;
    for (; first < words.size() && words[first].find('=') != std::string::npos; ++first)
        env.push_back(const_cast<char*>(words[first].c_str()));
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    env.push_back(nullptr);
    for (std::size_t i = first; i < words.size(); ++i)
        argv.push_back(const_cast<char*>(words[i].c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The programs' messages are not what is timed.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const bool anyStatus = argc > 1 && std::string(argv[1]) == "--any-status";
    if (anyStatus) {
        --argc;
        ++argv;
    }
    if (argc < 5 || (argc - 3) % 2 != 0) {
        std::fprintf(stderr, "usage: %s RUNS PREPARE NAME COMMAND [NAME COMMAND ...]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string prepare = argv[2];
    std::vector<Command> commands;
    for (int i = 3; i + 1 < argc; i += 2) {
        Command c;
        c.name = argv[i];
        c.text = argv[i + 1];
        std::istringstream words(argv[i + 1]);
        for (std::string w; words >> w;)
            c.words.push_back(w);
        commands.push_back(std::move(c));
    }
    const std::vector<std::string> shell{"/bin/sh", "-c", prepare};
    for (int round = -1; round < runs; ++round) {
        for (std::size_t k = 0; k < commands.size(); ++k) {
            Command& c = commands[round % 2 ? commands.size() - 1 - k : k];
            if (!prepare.empty() && Run(shell) != 0) {
                std::fprintf(stderr, "the preparing command failed: %s\n", prepare.c_str());
                return 1;
            }
            const auto start = std::chrono::steady_clock::now();
            const int status = Run(c.words);
            const auto end = std::chrono::steady_clock::now();
            if (status != 0 && !(anyStatus && status > 0)) {
                std::fprintf(stderr, "%s failed (status %d): %s\n", c.name.c_str(), status, c.text.c_str());
                return 1;
            }
            if (round >= 0)
                c.times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        }
    }
    for (const Command& c : commands)
        std::printf("%s %.4f %.4f\n", c.name.c_str(), Median(c.times),
                    *std::min_element(c.times.begin(), c.times.end()));
    return 0;
}
