// Runs the built talvo-host against the built library, so the export names
// and the calling form are exercised as a host sees them.

#include <gtest/gtest.h>
#include <string>

#include "run_host.h"
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
         "var %match = 2\nvar %match = 2\nvar %match = -5\nvar %match = 0\nvar %match = -1\n", false, 0},
        {"verbose", library + "-v LoadRules", "",
         "> LoadRules \"\"\nvar %match = 2\n< 2: the host performs the command in the data buffer\n", false, 0},
        {"unknown export", library + "Frobnicate x", "", "unknown export \"Frobnicate\"", true, 2},
        {"unknown export on a line", library, "RuleFilter 3 1 hello\nLoadDll x\n",
         "var %match = 2\ntalvo-host: unknown export \"LoadDll\"", true, 2},
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

}  // namespace
