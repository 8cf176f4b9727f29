// Runs the built talvo-host against the built library, so the export names
// and the calling form are exercised as a host sees them.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "run_host.h"
#include "testing/man_page.h"
#include "testing/temp_folder.h"
#include "testing/export_call.h"

namespace {

TEST(TalvoHost, CallsTheLibraryAsAHostDoes) {
    const std::string library = std::string("--library '") + TALVO_LIBRARY_PATH + "' ";
    const std::string text29(29, 't');
    struct Case {
        const char* name;
        std::string arguments;
        std::string input;
        std::string output;  // expected exactly, or as a part when `part`
        bool part;
        int status;
    } cases[] = {
        {"call from arguments", library + "RuleFilter 3 1 hello", "", "var %match = 2\n", false, 0},
        {"default library place", "RuleFilter '3 1 hello'", "", "var %match = 2\n", false, 0},
        {"calls from standard input", library,
         "LoadRules\nRuleFilter 3 1 hello\r\n\nRuleFilter 6 1 x\nRuleFilter 3 3 hello\nRuleFilter x\n",
         "var %match = 2\nvar %match = 2\n\nvar %match = -5\nvar %match = 0\nvar %match = -1\n", false, 0},
        {"verbose: each file's entries", library + "-v LoadRules", "",
         "\nfile Talvo._cur set=3 kind=pattern found encoding=cp1251 entries=2\nfile Talvo._file", true, 0},
        {"verbose: a later call's code without its meaning", library + "-v", "LoadRules\nRuleFilter 3 1 hello\n",
         "file Talvo._vfi set=15 kind=pattern missing entries=0\n> RuleFilter \"3 1 hello\"\nvar %match = 2\n< 2\n",
         true, 0},
        {"unknown export", library + "Frobnicate x", "", "unknown export \"Frobnicate\"", true, 2},
        {"unknown export on a line", library, "RuleFilter 3 1 hello\nLoadDll x\n",
         "var %match = 2\nerror: unknown export \"LoadDll\"", true, 2},
        {"text that just fits", library + "--buffer-size 30 RuleFilter " + text29, "", "var %match = -1\n",
         false, 0},
        {"text one byte too long", library + "--buffer-size 29 RuleFilter " + text29, "",
         "does not fit the 29-byte data buffer", true, 2},
        {"library that cannot be loaded", "--library /nonexistent/libtalvo.so LoadRules", "",
         "cannot load the library /nonexistent/libtalvo.so", true, 2},
        {"library without the export", "--library libm.so.6 RuleFilter 3 1 x", "",
         "the library has no export \"RuleFilter\"", true, 2},
        {"buffer too small for an answer", library + "--buffer-size 24 LoadRules", "", "at least 25", true, 2},
    };
    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*bye*\n*hell*\n");
    for (const Case& c : cases) {
        const HostRun run = RunHost(c.arguments, c.input);
        if (c.part) {
            EXPECT_NE(run.output.find(c.output), std::string::npos) << c.name << ": " << run.output;
        } else {
            EXPECT_EQ(run.output, c.output) << c.name;
        }
        EXPECT_EQ(run.status, c.status) << c.name;
    }
}

// A script that reads one answer for every call it writes must never get out
// of step: every input line gives exactly one output line, also a refused,
// empty or blank one, with -v as without it (its lines go to standard error).
TEST(TalvoHost, AnswersEveryInputLineWithOneLine) {
    struct Case {
        std::string line;
        std::string answer;  // the output line, or its start when it begins with "error:"
    } cases[] = {
        {"LoadRules", "var %match = 2"},
        {"", ""},
        {"   ", ""},
        {"\r", ""},
        {"RuleFilter 3 1 hello\r", "var %match = 2"},
        {"Frobnicate x", "error: unknown export \"Frobnicate\""},
        {" RuleFilter 3 1 hello", "error: the line begins with a blank; a call is the export name at the start"},
        {"RuleFilter 3 1 " + std::string(900, 'x'), "error: the text of RuleFilter has 904 bytes"},
        {std::string("RuleFilter 3 1 a\0b", 18), "error: the text of RuleFilter holds a NUL byte"},
        {"RuleFilter", "var %match = -1"},
        {"Magic bxkqwz!zxvq@h", "var %match = 1"},
        {"Magic bxkqwz", "var %match = 0"},  // the last line, without a line feed
    };
    std::string input;
    for (const Case& c : cases) {
        input += (input.empty() ? "" : "\n") + c.line;
    }
    testkit::RuleFolder folder;
    folder.WriteRules("_cur", "*bye*\n*hell*\n");
    for (const char* verbose : {"", "-v"}) {
        std::vector<std::string> argv{TALVO_HOST_PATH, "--library", TALVO_LIBRARY_PATH};
        if (*verbose != '\0') argv.push_back(verbose);
        const testkit::RunResult run = testkit::Run(argv, input);
        std::vector<std::string> lines;
        for (std::size_t start = 0, end; start < run.out.size(); start = end + 1) {
            end = run.out.find('\n', start);
            ASSERT_NE(end, std::string::npos) << "the output ends without a line feed: " << run.out;
            lines.push_back(run.out.substr(start, end - start));
        }
        ASSERT_EQ(lines.size(), std::size(cases)) << verbose << "\n" << run.out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& expected = cases[i].answer;
            EXPECT_EQ(lines[i].substr(0, expected.rfind("error:", 0) == 0 ? expected.size() : std::string::npos),
                      expected)
                << verbose << " line " << i + 1;
        }
        EXPECT_EQ(run.status, 2) << verbose;
    }
}

// The manual page is written by hand: its synopsis and its option list name
// exactly the options --help names.
TEST(TalvoHost, ManPageNamesTheOptionsOfHelp) {
    const std::set<std::string> help = testkit::OptionNames(RunHost("--help", "").output);
    const std::string page = testkit::ReadFile(std::string(TALVO_SOURCE_DIR) + "/talvo/host/talvo-host.1");
    EXPECT_TRUE(help.count("--check")) << "the help text names no options";
    for (const char* section : {"SYNOPSIS", "OPTIONS"}) {
        EXPECT_EQ(testkit::OptionNames(testkit::ManSection(page, section)), help) << section;
    }
}

}  // namespace
