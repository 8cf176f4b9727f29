// Runs the built nomvary-cli on temporary folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

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

// The renames come in the folder's own order; the count line stays last.
std::string RenameLinesSorted(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(out.substr(start, end - start + 1));
    }
    if (lines.size() > 1) std::sort(lines.begin(), lines.end() - 1);
    std::string joined;
    for (const std::string& line : lines) joined += line;
    return joined + out.substr(start);
}

const std::string kUsage =
    "usage: nomvary-cli [--blank-to-underscore] [--all-files] [--capitalize] [--except-brackets] "
    "[--exclude-feat] [--exclude-vs] [--dry-run] FOLDER\n";

TEST(CliTest, RefusalsTouchNothing) {
    TempFolder dir("nomvary-cli");
    dir.WriteAll({{"a_b.mp3", "x"}, {"file", "f"}});
    const std::string folder = dir.Path().string();
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {{"--bogus", folder}, "unknown option \"--bogus\"\n"},
        {{}, "no FOLDER given\n"},
        {{folder, folder}, "more than one FOLDER given\n"},
        {{folder + "/missing"}, "cannot read folder \"" + folder + "/missing\": No such file or directory\n"},
        {{folder + "/file"}, "cannot read folder \"" + folder + "/file\": Not a directory\n"},
    };
    for (const auto& row : rows) {
        const RunResult result = RunCli(row.args);
        EXPECT_EQ(result.status, 2) << row.message;
        EXPECT_EQ(result.out, "") << row.message;
        EXPECT_EQ(result.err.rfind("nomvary-cli: " + row.message + "\n" + kUsage, 0), 0u) << result.err;
    }
    EXPECT_EQ(dir.Contents(), (Files{{"a_b.mp3", "x"}, {"file", "f"}}));
    const RunResult help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(kUsage, 0), 0u);
}

TEST(CliTest, Runs) {
    const struct {
        const char* what;
        std::vector<std::string> options;
        Files before;
        int status;
        std::string out;
        Files after;
        std::string err;
    } rows[] = {
        {"defaults", {}, {{"a_b.mp3", "1"}, {"C_D.MP3", "2"}, {"x_y.txt", "3"}}, 0,
         "C_D.MP3 -> C D.mp3\na_b.mp3 -> a b.mp3\n2 files renamed.\n",
         {{"a b.mp3", "1"}, {"C D.mp3", "2"}, {"x_y.txt", "3"}}, ""},
        {"options", {"--blank-to-underscore", "--all-files", "--capitalize", "--except-brackets", "--exclude-vs"},
         {{"x vs y (LIVE).txt", "1"}, {"Done.mp3", "2"}}, 0, "x vs y (LIVE).txt -> X_vs_Y_(live).txt\n1 file renamed.\n",
         {{"X_vs_Y_(live).txt", "1"}, {"Done.mp3", "2"}}, ""},
        {"brackets need --capitalize", {"--except-brackets"}, {{"A (B).mp3", "1"}}, 0, "No files were renamed.\n",
         {{"A (B).mp3", "1"}}, ""},
        {"collision", {}, {{"a_b.mp3", "1"}, {"a b.mp3", "2"}, {"c_d.mp3", "3"}}, 1, "c_d.mp3 -> c d.mp3\n1 file renamed.\n",
         {{"a_b.mp3", "1"}, {"a b.mp3", "2"}, {"c d.mp3", "3"}},
         "nomvary-cli: cannot rename \"a_b.mp3\" to \"a b.mp3\": File exists\n"},
        {"dry run", {"--dry-run", "--capitalize"}, {{"a_b.mp3", "1"}, {"A B.mp3", "2"}, {"B_C.mp3", "3"}, {"d.mp3", "4"}},
         1,
         "B_C.mp3 -> B C.mp3\na_b.mp3 -> A B.mp3  (the new name already exists: would fail)\n"
         "d.mp3 -> D.mp3\nDry run: 2 files would be renamed.\n",
         {{"a_b.mp3", "1"}, {"A B.mp3", "2"}, {"B_C.mp3", "3"}, {"d.mp3", "4"}}, ""},
    };
    for (const auto& row : rows) {
        TempFolder dir("nomvary-cli");
        dir.WriteAll(row.before);
        std::vector<std::string> args = row.options;
        args.push_back(dir.Path().string());
        const RunResult result = RunCli(args);
        EXPECT_EQ(result.status, row.status) << row.what;
        EXPECT_EQ(RenameLinesSorted(result.out), RenameLinesSorted(row.out)) << row.what;
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
