// Rule files that are huge, unreadable, or folders: LoadRules answers, and
// the library goes on answering every export afterwards.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "talvo/frame/host.h"
#include "testing/permissions_binding.h"
#include "testing/export_call.h"

namespace {

namespace fs = std::filesystem;

using testkit::AnswerFor;
using testkit::CallExport;

fs::path RulePath(const std::string& extension) { return fs::path("Talvo") / "Rules" / ("Talvo." + extension); }

// The library still answers each export as it should.
bool KeepsWorking() {
    return CallExport(Magic, "bxkqwz!zxvq@irc.example.net") == AnswerFor(1) && CallExport(RuleFilter, "6 1 x") == AnswerFor(-5) &&
           CallExport(RuleFilter, "x") == AnswerFor(-1);
}

using testkit::Outcome;
using testkit::WithPermissionsBinding;

bool Check(bool holds, const std::string& what) {
    if (!holds) {
        std::fprintf(stderr, "failed: %s\n", what.c_str());
    }
    return holds;
}

class RuleFilesHostileTest : public ::testing::Test {
protected:
    void TearDown() override { UnloadDll(2); }
    testkit::RuleFolder m_folder;
};

TEST_F(RuleFilesHostileTest, FoldersAndMissingPlaces) {
    struct Case {
        const char* what;
        std::function<void(const testkit::RuleFolder&)> arrange;
        int entries;
        std::vector<std::pair<std::string, int>> requests;
    } cases[] = {
        {"a folder in place of a rule file",
         [](const auto& folder) {
             folder.WriteRules("_cur", "*hell*\n");
             folder.Write(RulePath("_spm") / "inside.txt", "*x\n");
         },
         1, {{"3 1 hello", 1}, {"13 1 x", 0}}},
        {"an empty folder in place of every rule file",
         [](const auto& folder) {
             for (const char* extension : {"_alt", "_avo", "_chn", "_cur", "_file", "_frd", "_name", "_nck", "_prv",
                                           "_qp", "_rep", "_rsp", "_spm", "_sus", "_vfi"}) {
                 fs::create_directories(folder.Path() / RulePath(extension));
             }
         },
         0, {{"0 1 x", 0}, {"4 1 x", 0}, {"15 1 x", 0}}},
        {"a file in place of the rules folder",
         [](const auto& folder) { folder.Write(fs::path("Talvo") / "Rules", "*x\n"); },
         0, {{"13 1 x", 0}, {"1 1 bob!x", 0}}},
        {"no Talvo folder at all", [](const auto&) {}, 0, {{"13 1 x", 0}, {"6 1 x", -5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testkit::RuleFolder folder;
        c.arrange(folder);
        EXPECT_EQ(CallExport(LoadRules, ""), AnswerFor(c.entries));
        for (const auto& [request, answer] : c.requests) {
            EXPECT_EQ(CallExport(RuleFilter, request), AnswerFor(answer)) << request;
        }
        EXPECT_TRUE(KeepsWorking());
    }
}

TEST_F(RuleFilesHostileTest, UnreadableRuleFile) {
    m_folder.WriteRules("_cur", "*hell*\n");
    m_folder.WriteRules("_spm", "*x\n*y\n");
    const fs::path unreadable = m_folder.Path() / RulePath("_spm");
    fs::permissions(unreadable, fs::perms::none);

    const Outcome outcome = WithPermissionsBinding([&] {
        // The premise: this process cannot read the file.
        if (std::FILE* file = std::fopen(unreadable.c_str(), "rb")) {
            std::fclose(file);
            _exit(77);
        }
        bool held = Check(CallExport(LoadRules, "") == AnswerFor(1), "LoadRules counts only the readable file");
        held &= Check(CallExport(RuleFilter, "13 1 x") == AnswerFor(0), "the unreadable file's set is empty");
        held &= Check(CallExport(RuleFilter, "3 1 hello") == AnswerFor(1), "the readable file's set is loaded");
        held &= Check(KeepsWorking(), "the library keeps working");
        // Readable again, the next LoadRules reads it.
        fs::permissions(unreadable, fs::perms::owner_read | fs::perms::owner_write);
        held &= Check(CallExport(LoadRules, "") == AnswerFor(3), "LoadRules reads the file once it is readable");
        held &= Check(CallExport(RuleFilter, "13 1 y") == AnswerFor(2), "the set is there after the reload");
        return held;
    });
    if (outcome == Outcome::Unavailable) {
        GTEST_SKIP() << "file permissions cannot be made to bind here (running as root and the capabilities that "
                        "override them cannot be dropped), so no file is unreadable";
    }
    EXPECT_EQ(outcome, Outcome::Held);
}

TEST_F(RuleFilesHostileTest, HugeRuleFileWithoutLineFeed) {
    // 50 MB without a line feed: 102,400 pieces of 512 bytes, the last of
    // which is a mask for any text holding "needle".
    constexpr std::size_t kPiece = 512;
    constexpr std::size_t kPieces = 50 * 1024 * 1024 / kPiece;
    std::string last = "*needle*";
    last.resize(kPiece, '*');
    m_folder.WriteRules("_cur", "*hell*\n");
    {
        std::ofstream out(m_folder.Path() / RulePath("_spm"), std::ios::binary);
        const std::string block(1024 * 1024, 'a');
        for (int megabyte = 0; megabyte < 49; ++megabyte) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size() - kPiece));
        out.write(last.data(), static_cast<std::streamsize>(last.size()));
        ASSERT_TRUE(out.good());
    }
    ASSERT_EQ(fs::file_size(m_folder.Path() / RulePath("_spm")), 50u * 1024 * 1024);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(CallExport(LoadRules, ""), AnswerFor(static_cast<int>(kPieces) + 1));
    EXPECT_EQ(CallExport(RuleFilter, "13 1 a haystack with a needle"), AnswerFor(static_cast<int>(kPieces)));
    EXPECT_EQ(CallExport(RuleFilter, "13 1 hello"), AnswerFor(0));
    EXPECT_EQ(CallExport(RuleFilter, "3 1 hello"), AnswerFor(1));
    EXPECT_TRUE(KeepsWorking());
    // Loading again frees the huge set first.
    fs::remove(m_folder.Path() / RulePath("_spm"));
    EXPECT_EQ(CallExport(LoadRules, ""), AnswerFor(1));
    EXPECT_EQ(CallExport(RuleFilter, "13 1 needle"), AnswerFor(0));
    std::printf("huge rule file: loaded and searched in %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

}  // namespace
