// talvo-host --check: one row per kind of finding, each in a folder of its
// own, run through the built program as a user runs it. The whole output on
// the sample rules is an example of talvo/README.md, checked there.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/subprocess.h"
#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kFolder = "<folder>";  // file contents that make a folder instead

struct Case {
    const char* what;
    testkit::Files files;               // paths relative to the folder checked
    std::vector<std::string> warnings;  // each warning line's start after "warning "
    int status;
    std::vector<std::string> arguments = {};  // after --check; "<here>" is the folder
};

std::string Rules(const std::string& extension) { return "Talvo/Rules/Talvo." + extension; }

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    for (std::size_t from = 0, end; from < text.size(); from = end + 1) {
        end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        if (text.compare(from, start.size(), start) == 0) lines.push_back(text.substr(from, end - from));
    }
    return lines;
}

TEST(RuleCheck, ReportsEachKindOfFinding) {
    // Long lines of wildcards in every piece, so that only their length is found.
    const auto repeated = [](const std::string& unit, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i) text += unit;
        return text;
    };
    const std::string y1100 = repeated("y*", 550);
    const std::string x512 = repeated("x*", 256);
    const Case cases[] = {
        {"clean: exceptions, \"-\", bare and masked nicknames, a Ctrl-Z at the very end",
         {{Rules("_spm"), "*free* *offer*\4*not* *free*@*xyz*\r\n*cheap*\4-\n*" + std::string(510, 'x') + "*"},
          {Rules("_nck"), "bob\n bob\n*!*@*.example\nb?b\4bub\n\x1A"},
          {Rules("_file"), "*.exe\n*virus scan*\n"}},
         {},
         0},
        {"catches every text: no words",
         {{Rules("_spm"), "*a*\n   \n  \4*x*\n\4\4*y*\n"}, {Rules("_nck"), "\4\4\n"}},
         {"Talvo._nck:1 catches-every-text \"\\x04\\x04\"", "Talvo._spm:2 catches-every-text \"   \"",
          "Talvo._spm:3 catches-every-text \"  \\x04*x*\""},
         1},
        {"never catches: a group of blanks or of stars, dead blanks, words that exclude each other",
         {{Rules("_spm"), "*a*\4*b*@ \nfree offer\nhello\4*hell*\n*a*\4 -\n*a*\4** *\n*!*\4*!*\n"},
          {Rules("_avo"), "bob jim\nbob\4*!*@host\n*!*@host\4*x*!*\n"},
          {Rules("_file"), " *.scr\n\4\n"}},
         {"Talvo._avo:1 never-catches \"bob jim\"", "Talvo._avo:2 never-catches \"bob\\x04*!*@host\"",
          "Talvo._file:1 never-catches \" *.scr\"", "Talvo._file:2 never-catches \"\\x04\"",
          "Talvo._spm:1 never-catches \"*a*\\x04*b*@ \"", "Talvo._spm:2 never-catches \"free offer\"",
          "Talvo._spm:3 never-catches \"hello\\x04*hell*\"", "Talvo._spm:5 never-catches \"*a*\\x04** *\""},
         1},
        {"catches one text only, blank lines: in a pattern set only; a line feed after 512 bytes is no blank line",
         {{Rules("_spm"), "cheap\n\n*a*\r\n\r\n*b* B\n" + std::string(512, '*') + "\n"},
          {Rules("_cur"), "Hello\4*x*\n"}, {Rules("_nck"), "bob!joe@host\n"}, {Rules("_file"), "a.exe\n"}},
         {"Talvo._cur:1 catches-one-text \"Hello\\x04*x*\": the word \"Hello\" has no wildcard",
          "Talvo._spm:1 catches-one-text \"cheap\"", "Talvo._spm:2 blank-line \"\\x0a\"", "Talvo._spm:4 blank-line",
          "Talvo._spm:5 catches-one-text \"*b* B\"", "Talvo._spm:6 split-at-512"},
         1},
        {"catches, but no address or file name: these texts never come",
         {{Rules("_avo"), "bob \n   \n*\4*!*\n"}, {Rules("_file"), "*.exe \n"}},
         {"Talvo._avo:1 catches-no-address \"bob \"", "Talvo._avo:2 catches-no-address \"   \"",
          "Talvo._avo:3 catches-no-address \"*\\x04*!*\": exception group 1 (\"*!*\") matches every text that holds",
          "Talvo._file:1 catches-no-file-name \"*.exe \""},
         1},
        {"split at 512, once for each line; a line of exactly 512 is not longer",
         {{Rules("_spm"), "*a*\n" + y1100 + "\n" + x512 + "\r\n"}},
         {"Talvo._spm:2 split-at-512 \"" + y1100.substr(0, 60) + "\"...: the line is longer than 512",
          "Talvo._spm:3 split-at-512 \"" + x512.substr(0, 60) + "\"...: the line holds exactly 512 "
          "characters, so its line feed does not fit the piece and was read as an entry of its own (one that "
          "holds only a line feed): 2 entries, 5 to 6"},
         1},
        {"a file read as UTF-8 without a mark: the first line with a character code page 1251 lacks",
         {{Rules("_spm"), "*\xD0\x9A\xD0\x9E\xD0\xA2*\n*\xC3\xBC*\n*\xE2\x82\xAC*\n"}},
         {"Talvo._spm:2 guessed-utf-8 \"*\xC3\xBC*\""},
         1},
        {"cut at a NUL", {{Rules("_spm"), std::string("*a*\n*b\0c*\n", 9)}}, {"Talvo._spm:2 cut-at-nul \"*b\""}, 1},
        {"ignored after a Ctrl-Z",
         {{Rules("_spm"), "*a*\n*b*\x1A*c*\n*d*\n"}},
         {"Talvo._spm:2 ignored-after-ctrl-z \"*b*\""},
         1},
        {"a UTF-8 file is judged by its characters: КОТ and кот are one word, ü and Ü two",
         {{Rules("_spm"), "\xEF\xBB\xBF😀\nü Ü\nКОТ кот\n"}},
         {"Talvo._spm:1 catches-one-text \"😀\"", "Talvo._spm:2 never-catches \"ü Ü\": the word \"ü\" has no wildcard",
          "Talvo._spm:3 catches-one-text \"КОТ кот\""},
         1},
        {"a folder in a file's place", {{Rules("_qp"), kFolder}}, {"Talvo._qp:0 unreadable \"\""}, 1},
        {"the folder named", {{Rules("_spm"), "   \n"}}, {"Talvo._spm:1 catches-every-text"}, 1, {"<here>"}},
        {"no Talvo/Rules folder", {{"Talvo/other", "x"}}, {}, 2},
        {"Talvo/Rules is a file", {{"Talvo/Rules", "x"}}, {}, 2},
        {"the folder named does not exist", {}, {}, 2, {"<here>/missing"}},
        {"two folders named", {}, {}, 2, {"<here>", "<here>"}},
    };
    for (const Case& c : cases) {
        testkit::TempFolder folder("talvo-check");
        for (const auto& [path, bytes] : c.files) {
            if (bytes == kFolder) {
                fs::create_directories(folder.Path() / path);
            } else {
                folder.Write(path, bytes);
            }
        }
        fs::create_directories(folder.Path() / "elsewhere");
        std::vector<std::string> argv{TALVO_HOST_PATH, "--check"};
        for (std::string argument : c.arguments) {
            argv.push_back(argument.replace(0, 6, folder.Path().native()));
        }
        // Run from another folder when one is named, so only the name leads there.
        const testkit::RunResult run =
            testkit::Run(argv, {}, c.arguments.empty() ? folder.Path().native() : folder / "elsewhere");
        SCOPED_TRACE(std::string(c.what) + "\n" + run.out + run.err);
        EXPECT_EQ(run.status, c.status);
        const std::vector<std::string> warnings = LinesStartingWith(run.out, "warning ");
        ASSERT_EQ(warnings.size(), c.warnings.size());
        for (std::size_t i = 0; i < warnings.size(); ++i) {
            EXPECT_EQ(warnings[i].compare(8, c.warnings[i].size(), c.warnings[i]), 0) << warnings[i];
        }
        const std::string folderLine = "folder " + (fs::canonical(folder.Path()) / "Talvo/Rules").native();
        if (c.arguments.size() < 2) {
            EXPECT_EQ(LinesStartingWith(run.out, "folder ").size(), 1u);
        }
        if (c.status != 2) {
            EXPECT_EQ(LinesStartingWith(run.out, "folder ").at(0), folderLine);
            EXPECT_EQ(LinesStartingWith(run.out, "file ").size(), 15u);
            EXPECT_EQ(LinesStartingWith(run.out, "summary ").size(), 1u);
        } else {
            EXPECT_NE(run.err.find("talvo-host: "), std::string::npos);
        }
    }
}

}  // namespace
