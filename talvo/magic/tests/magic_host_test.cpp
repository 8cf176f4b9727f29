// Puts every classifier case through the stand-in host program and the built
// shared library, the way the chat client calls the Magic export.

#include <gtest/gtest.h>

#include <string>

#include "magic_cases.h"
#include "testing/subprocess.h"

namespace {

TEST(MagicHostTest, EveryCaseThroughTalvoHost) {
    std::string calls;
    std::string expected;
    for (const magic_cases::MagicCase& c : magic_cases::kCases) {
        calls += std::string("Magic ") + c.text + "\n";
        expected += "var %match = " + std::to_string(c.level) + "\n";
    }
    const testkit::RunResult run = testkit::Run({TALVO_HOST_PATH, "--library", TALVO_LIBRARY_PATH}, calls);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
}

}  // namespace
