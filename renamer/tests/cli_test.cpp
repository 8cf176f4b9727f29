// Runs the built nomvary-cli on temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "testing/man_page.h"
#include "testing/subprocess.h"
#include "testing/temp_folder.h"

namespace nomvary {
namespace {

using testkit::Files;
using testkit::RunResult;
using testkit::TempFolder;

RunResult RunCli(std::vector<std::string> args, const std::string& in = {}) {
    args.insert(args.begin(), NOMVARY_CLI);
    return testkit::Run(args, {}, in);
}

// The manual page is written by hand: its synopsis and its option list name
// exactly the options --help names.
TEST(CliTest, ManPageNamesTheOptionsOfHelp) {
    const std::set<std::string> help = testkit::OptionNames(RunCli({"--help"}).out);
    const std::string page = testkit::ReadFile(NOMVARY_CLI_MAN_PAGE);
    EXPECT_TRUE(help.count("--dry-run")) << "the help text names no options";
    for (const char* section : {"SYNOPSIS", "OPTIONS"}) {
        EXPECT_EQ(testkit::OptionNames(testkit::ManSection(page, section)), help) << section;
    }
}

// What a command line that ends the program at once prints and answers.
TEST(CliTest, CommandLinesThatRenameNothing) {
    TempFolder dir("nomvary-cli");
    dir.WriteAll({{"a_b.mp3", "x"}, {"file", "f"}});
    const std::string folder = dir.Path().string();
    const std::string tryHelp = "Try 'nomvary-cli --help'.\n";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err;  // `out` only as far as given
    } rows[] = {
        {{"--bogus", folder}, 2, "", "nomvary-cli: unknown option \"--bogus\"\n" + tryHelp},
        {{"-x", folder}, 2, "", "nomvary-cli: unknown option \"-x\"\n" + tryHelp},
        {{}, 2, "", "nomvary-cli: no FOLDER given\n" + tryHelp},
        {{folder, folder}, 2, "", "nomvary-cli: more than one FOLDER given\n" + tryHelp},
        {{folder + "/missing"}, 2, "",
         "nomvary-cli: cannot read folder \"" + folder + "/missing\": No such file or directory\n"},
        {{folder + "/file"}, 2, "", "nomvary-cli: cannot read folder \"" + folder + "/file\": Not a directory\n"},
        {{"--help"}, 0, "usage: nomvary-cli [--blank-to-underscore]", ""},
        {{"--version"}, 0, "nomvary-cli 1.0.0\n", ""},
    };
    for (const auto& row : rows) {
        const RunResult result = RunCli(row.args);
        EXPECT_EQ(result.status, row.status) << row.err;
        EXPECT_EQ(result.out.substr(0, row.out.size()), row.out) << row.err;
        EXPECT_EQ(result.err, row.err);
    }
    EXPECT_EQ(dir.Contents(), (Files{{"a_b.mp3", "x"}, {"file", "f"}}));
}

TEST(CliTest, Runs) {
    const Files kCollide = {{"a b.mp3", "1"}, {"a_b.mp3", "2"}, {"x y.MP3", "3"}, {"x_y.mp3", "4"}};
    const struct {
        const char* what;
        std::vector<std::string> options;
        Files before;
        int status;
        std::string out;
        Files after;
        std::string err;
    } rows[] = {
        {"defaults", {}, {{"a_b.mp3", "1"}, {"C_D.MP3", "2"}, {"x_y.txt", "3"}, {".h_i.mp3", "4"}}, 0,
         "C_D.MP3 -> C D.mp3\na_b.mp3 -> a b.mp3\n2 files renamed.\n",
         {{"a b.mp3", "1"}, {"C D.mp3", "2"}, {"x_y.txt", "3"}, {".h_i.mp3", "4"}}, ""},
        {"options", {"--blank-to-underscore", "--all-files", "--capitalize", "--except-brackets", "--exclude-vs"},
         {{"x vs y (LIVE).txt", "1"}, {"Done.mp3", "2"}}, 0, "x vs y (LIVE).txt -> X_vs_Y_(live).txt\n1 file renamed.\n",
         {{"X_vs_Y_(live).txt", "1"}, {"Done.mp3", "2"}}, ""},
        {"brackets need --capitalize", {"--except-brackets"}, {{"A (B).mp3", "1"}}, 0, "No files were renamed.\n",
         {{"A (B).mp3", "1"}}, ""},
        // A run and its dry run, in the same (name) order: one new name is
        // held by a file, one by an earlier rename of the run.
        {"collisions", {}, kCollide, 1, "x y.MP3 -> x y.mp3\n1 file renamed.\n",
         {{"a b.mp3", "1"}, {"a_b.mp3", "2"}, {"x y.mp3", "3"}, {"x_y.mp3", "4"}},
         "nomvary-cli: cannot rename \"a_b.mp3\" to \"a b.mp3\": File exists\n"
         "nomvary-cli: cannot rename \"x_y.mp3\" to \"x y.mp3\": File exists\n"},
        {"dry run", {"-n"}, kCollide, 1,
         "a_b.mp3 -> a b.mp3  (taken by an existing file: would fail)\nx y.MP3 -> x y.mp3\n"
         "x_y.mp3 -> x y.mp3  (taken by an earlier rename of this run: would fail)\n"
         "Dry run: 1 file would be renamed.\n",
         kCollide, ""},
    };
    for (const auto& row : rows) {
        TempFolder dir("nomvary-cli");
        dir.WriteAll(row.before);
        std::vector<std::string> args = row.options;
        args.push_back(dir.Path().string());
        const RunResult result = RunCli(args);
        EXPECT_EQ(result.status, row.status) << row.what;
        EXPECT_EQ(result.out, row.out) << row.what;
        EXPECT_EQ(result.err, row.err) << row.what;
        EXPECT_EQ(dir.Contents(), row.after) << row.what;
    }
}

TEST(CliTest, RelativeFolderAndNoSettingsFile) {
    TempFolder dir("nomvary-cli");
    dir.Write("sub/a_b.mp3", "x");
    EXPECT_EQ(RunCli({"sub"}, dir.Path().string()).status, 0);
    EXPECT_EQ(dir.Contents("sub"), (Files{{"a b.mp3", "x"}}));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(NOMVARY_CLI).parent_path() / "nomvary.ini"));
}

}  // namespace
}  // namespace nomvary
