// Runs the built nomvary-cli on temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "testing/doc_examples.h"
#include "testing/man_page.h"
#include "testing/read_only_mount.h"
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

// The README's examples of nomvary-cli, run one after another in one
// temporary folder as a reader would, print what the README shows.
TEST(CliTest, ReadmeExamples) {
    const std::vector<testkit::DocExample> examples = testkit::MarkdownExamples(
        testkit::Lines(testkit::ReadFile(NOMVARY_README)), "<!-- nomvary-cli example -->");
    EXPECT_GE(examples.size(), 1u);
    TempFolder dir("nomvary-readme");
    const std::string setup =
        "PATH='" + std::filesystem::path(NOMVARY_CLI).parent_path().native() + "':\"$PATH\"; export PATH; exec 2>&1\n";
    for (const testkit::DocExample& example : examples) {
        const RunResult run = testkit::Run({"/bin/sh", "-c", setup + example.script}, {}, dir.Path().native());
        EXPECT_EQ(run.out, example.expected) << "README.md:" << example.line << "\n" << example.script;
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
    std::istringstream help(RunCli({"--help"}).out);
    for (std::string line; std::getline(help, line);) EXPECT_LE(line.size(), 80u) << line;
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
        {"control bytes, one line per rename", {}, {{"a\nb_c.mp3", "1"}, {"t\tu.mp3", "2"}}, 0,
         "$'a\\nb_c.mp3' -> $'a\\nb c.mp3'\n1 file renamed.\n", {{"a\nb c.mp3", "1"}, {"t\tu.mp3", "2"}}, ""},
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

// Output that cannot be written never leaves the folder half renamed: the
// run finishes, then one line on standard error and exit status 1.
TEST(CliTest, OutputThatCannotBeWritten) {
    const struct {
        const char* what;
        testkit::Stdout to;
        std::string file, reason;
    } rows[] = {
        {"a full device", testkit::Stdout::file, "/dev/full", "No space left on device"},
        {"a pipe closed early", testkit::Stdout::brokenPipe, "", "Broken pipe"},
        {"a closed output", testkit::Stdout::closed, "", "Bad file descriptor"},
    };
    for (const auto& row : rows) {
        TempFolder dir("nomvary-cli");
        Files before, after;
        for (int k = 0; k < 300; ++k) {  // more than one buffer of output
            const std::string tail = std::string(40, 'x') + std::to_string(k) + ".mp3";
            before["a_" + tail] = after["a " + tail] = "x";
        }
        dir.WriteAll(before);
        const RunResult result = testkit::Run({NOMVARY_CLI, dir.Path().string()}, {}, {}, row.to, row.file);
        EXPECT_EQ(result.status, 1) << row.what;
        EXPECT_EQ(result.err, "nomvary-cli: write error: " + row.reason + "\n") << row.what;
        EXPECT_EQ(dir.Contents(), after) << row.what;
    }
}

// A folder that cannot be written: the dry run says so of every rename and
// answers what the run answers. As root only a read-only mount stops a
// rename.
TEST(CliTest, FolderThatCannotBeWritten) {
    TempFolder dir("nomvary-cli");
    const Files files = {{"a_b.mp3", "1"}, {"c_d.mp3", "2"}};
    dir.WriteAll(files);
    const testkit::ReadOnlyMount readOnly(dir.Path().string());
    if (!readOnly.Active()) GTEST_SKIP() << "cannot mount the folder read-only here: " << readOnly.Refusal();
    const std::string folder = dir.Path().string();
    const RunResult dry = RunCli({"-n", folder});
    EXPECT_EQ(dry.out,
              "a_b.mp3 -> a b.mp3  (folder not writable: would fail)\n"
              "c_d.mp3 -> c d.mp3  (folder not writable: would fail)\n"
              "Dry run: no files would be renamed.\n");
    EXPECT_EQ(dry.status, 1);
    const RunResult run = RunCli({folder});
    EXPECT_EQ(run.err,
              "nomvary-cli: cannot rename \"a_b.mp3\" to \"a b.mp3\": Read-only file system\n"
              "nomvary-cli: cannot rename \"c_d.mp3\" to \"c d.mp3\": Read-only file system\n");
    EXPECT_EQ(run.status, dry.status);
    EXPECT_EQ(dir.Contents(), files);
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
