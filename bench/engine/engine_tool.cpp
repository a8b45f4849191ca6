// Command-line driver over the page-engine operations, for timing them
// against other tools. Usage:
//   engine_tool count IN
//   engine_tool extract-all IN FOLDER
//   engine_tool extract-range IN START END FOLDER      (0-based indices)
//   engine_tool extract-pages IN START END FOLDER      (the same, as the
//                                     command line asks it: no page count)
//   engine_tool split IN T OUT1 OUT2
//   engine_tool merge OUT IN... | merge OUT @LISTFILE  (one name a line)
//   engine_tool delete IN P | swap IN P1 P2 | insert IN AT FROM
// Prints the operation's result; exits 0 when it reports success.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/page_operations.h"

namespace {

int Usage()
{
    std::fprintf(
        stderr,
        "usage: engine_tool count|extract-all|extract-range|extract-pages|split|merge|delete|swap|insert ...\n");
    return 2;
}

int Report(bool ok)
{
    std::printf("%s\n", ok ? "true" : "false");
    return ok ? 0 : 1;
}

int Report(std::int32_t n)
{
    std::printf("%d\n", n);
    return n >= 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string op = argv[1];
    std::vector<std::string> a(argv + 2, argv + argc);
    using namespace stavren;
    if (op == "count")
        return Report(CountTiffPages(a[0]));
    if (op == "extract-all" && a.size() == 2)
        return Report(ExtractAllPages(a[0], a[1]));
    if (op == "extract-range" && a.size() == 4)
        return Report(ExtractPageRange(a[0], std::atoi(a[1].c_str()), std::atoi(a[2].c_str()), a[3]));
    if (op == "extract-pages" && a.size() == 4)
        return Report(ExtractPagesInRange(a[0], std::atoi(a[1].c_str()), std::atoi(a[2].c_str()), a[3]));
    if (op == "split" && a.size() == 4)
        return Report(SplitFile(a[0], std::atoi(a[1].c_str()), a[2], a[3]));
    if (op == "merge" && a.size() >= 2) {
        std::vector<std::string> inputs;
        if (a.size() == 2 && a[1].size() > 1 && a[1][0] == '@') {
            std::ifstream list(a[1].substr(1));
            for (std::string line; std::getline(list, line);)
                if (!line.empty())
                    inputs.push_back(line);
        } else {
            inputs.assign(a.begin() + 1, a.end());
        }
        return Report(MergeFiles(inputs, a[0]));
    }
    if (op == "delete" && a.size() == 2)
        return Report(DeletePage(a[0], std::atoi(a[1].c_str())));
    if (op == "swap" && a.size() == 3)
        return Report(SwapPages(a[0], std::atoi(a[1].c_str()), std::atoi(a[2].c_str())));
    if (op == "insert" && a.size() == 3)
        return Report(InsertPages(a[0], std::atoi(a[1].c_str()), a[2]));
    return Usage();
}
