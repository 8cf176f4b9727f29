// Puts every classifier case through the stand-in host program and the built
// shared library, the way the chat client calls the Magic export.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "magic_cases.h"

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> serial{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = fs::temp_directory_path() /
                 ("talvo_magic_host_" + std::to_string(::getpid()) + "_" + std::to_string(stamp) + "_" +
                  std::to_string(serial++));
        fs::create_directory(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

TEST(MagicHostTest, EveryCaseThroughTalvoHost) {
    TempFolder folder;
    const fs::path calls = folder.Path() / "calls.txt";
    const fs::path answers = folder.Path() / "answers.txt";
    {
        std::ofstream out(calls, std::ios::binary);
        for (const magic_cases::MagicCase& c : magic_cases::kCases) {
            out << "Magic " << c.text << "\n";
        }
    }
    const std::string command = Quoted(TALVO_HOST_PROGRAM) + " --library " + Quoted(TALVO_LIBRARY_FILE) +
                                " < " + Quoted(calls) + " > " + Quoted(answers);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::ifstream in(answers, std::ios::binary);
    std::string line;
    for (const magic_cases::MagicCase& c : magic_cases::kCases) {
        ASSERT_TRUE(std::getline(in, line)) << "no answer for " << c.text;
        EXPECT_EQ(line, "var %match = " + std::to_string(c.level)) << c.text << " (" << c.why << ")";
    }
    EXPECT_FALSE(std::getline(in, line)) << "extra output: " << line;
}

}  // namespace
