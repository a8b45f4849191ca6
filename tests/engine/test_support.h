#pragma once
// Shared helpers of the engine tests: a private temporary folder and the
// check that an output holds exactly the expected decoded pages.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/engine/tiff_oracle.h"

namespace stavren::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    // Names of the files in the folder, sorted.
    std::vector<std::string> Files() const;
    std::string path;
};

// The pages `picks` (0-based, of the concatenated pages of `sources`).
std::vector<DecodedPage> Pick(const std::vector<const DecodedFile*>& sources, const std::vector<int>& picks);

// `output` opens in libtiff with no new message, is little-endian and holds
// exactly `expected`, in order.
::testing::AssertionResult HoldsPages(const std::string& output, const std::vector<DecodedPage>& expected,
                                      const std::vector<const DecodedFile*>& sources);

bool FileExists(const std::string& path);

// Runs `work` in a child process; true when it returns true within
// `seconds`. A guard against a hang, not a measurement: the bound is far
// above what the work needs.
bool FinishesWithin(unsigned seconds, const std::function<bool()>& work);

} // namespace stavren::test
