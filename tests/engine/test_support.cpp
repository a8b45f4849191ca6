#include "tests/engine/test_support.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace stavren::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "engine-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp");
    path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

std::vector<std::string> TempDir::Files() const
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<DecodedPage> Pick(const std::vector<const DecodedFile*>& sources, const std::vector<int>& picks)
{
    std::vector<DecodedPage> all;
    for (const DecodedFile* f : sources)
        all.insert(all.end(), f->pages.begin(), f->pages.end());
    std::vector<DecodedPage> out;
    for (int i : picks)
        out.push_back(all.at(static_cast<std::size_t>(i)));
    return out;
}

::testing::AssertionResult HoldsPages(const std::string& output, const std::vector<DecodedPage>& expected,
                                      const std::vector<const DecodedFile*>& sources)
{
    const DecodedFile got = ReadTiff(output);
    DecodedFile known;
    for (const DecodedFile* f : sources) {
        known.errors.insert(known.errors.end(), f->errors.begin(), f->errors.end());
        known.warnings.insert(known.warnings.end(), f->warnings.begin(), f->warnings.end());
    }
    const std::vector<std::string> bad = NewMessages(known, got);
    if (!bad.empty()) {
        auto r = ::testing::AssertionFailure() << output << ":";
        for (const std::string& m : bad)
            r << "\n  " << m;
        return r;
    }
    if (got.bigEndian)
        return ::testing::AssertionFailure() << output << " is big-endian";
    if (got.pages.size() != expected.size())
        return ::testing::AssertionFailure()
               << output << " has " << got.pages.size() << " pages, expected " << expected.size();
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (!(got.pages[i] == expected[i]))
            return ::testing::AssertionFailure()
                   << output << ": page " << i << " differs (" << got.pages[i].width << "x" << got.pages[i].height
                   << ", " << got.pages[i].pixels.size() << " pixel bytes vs " << expected[i].width << "x"
                   << expected[i].height << ", " << expected[i].pixels.size() << ")";
    return ::testing::AssertionSuccess();
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

bool FinishesWithin(unsigned seconds, const std::function<bool()>& work)
{
    const pid_t child = fork();
    if (child == 0) {
        alarm(seconds);
        _exit(work() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace stavren::test
