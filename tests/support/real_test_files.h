#pragma once
// Real test files (scripts/fetch-test-files.sh). A test that needs them
// skips when they are absent, unless VELMORA_REQUIRE_TEST_FILES is set to
// 1 (scripts/test.sh sets it, since it fetches them): a missing fetch then
// fails the run instead of passing it quietly.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

inline bool RealTestFilesRequired()
{
    const char* value = std::getenv("VELMORA_REQUIRE_TEST_FILES");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

// Ends the test: a failure when the files are required, else a skip.
#define VELMORA_MISSING_TEST_FILES(message)                                                                            \
    do {                                                                                                               \
        if (RealTestFilesRequired())                                                                                   \
            GTEST_FAIL() << (message);                                                                                 \
        else                                                                                                           \
            GTEST_SKIP() << (message);                                                                                 \
    } while (0)
