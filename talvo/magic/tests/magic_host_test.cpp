// Puts every classifier case through the stand-in host program and the built
// shared library, the way the chat client calls the Magic export.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "magic_cases.h"
#include "scoped_temp_folder.h"

namespace {

TEST(MagicHostTest, EveryCaseThroughTalvoHost) {
    const talvo_test::ScopedTempFolder folder;
    std::string calls;
    for (const magic_cases::MagicCase& c : magic_cases::kCases) {
        calls += std::string("Magic ") + c.text + "\n";
    }
    folder.Write("calls.txt", calls);
    const std::string command = std::string("'") + TALVO_HOST_PROGRAM + "' --library '" + TALVO_LIBRARY_FILE +
                                "' < calls.txt > answers.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::ifstream answers(folder.Path() / "answers.txt", std::ios::binary);
    std::string line;
    for (const magic_cases::MagicCase& c : magic_cases::kCases) {
        ASSERT_TRUE(std::getline(answers, line)) << "no answer for " << c.text;
        EXPECT_EQ(line, "var %match = " + std::to_string(c.level)) << c.text << " (" << c.why << ")";
    }
    EXPECT_FALSE(std::getline(answers, line)) << "extra output: " << line;
}

}  // namespace
