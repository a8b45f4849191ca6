#pragma once
// A set of broken and hostile TIFF files, each with what the page engine
// must make of it: the pages its directory chain holds, and which of them
// can be written. Shared by the engine tests and the page counter tests
// (counter and engine must agree on every one).

#include <cstdint>
#include <string>
#include <vector>

namespace stavren::test {

struct Hostile {
    std::string name;
    std::vector<std::uint8_t> bytes;
    // One element per page the chain reaches: whether it can be written
    // (false for a damaged page, and for one whose copy would pass what an
    // operation may write).
    std::vector<bool> writable;
};

std::vector<Hostile> HostileFiles();

} // namespace stavren::test
