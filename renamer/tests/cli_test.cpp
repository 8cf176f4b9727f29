// Runs the built nomvary-cli on temporary folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "nomvary-cli-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        entries[entry.path().filename().string()] = entry.is_directory() ? "<dir>" : ReadFile(entry.path());
    }
    return entries;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result RunCli(const std::vector<std::string>& args) {
    TempDir io;
    std::string command = Quoted(NOMVARY_CLI);
    for (const std::string& arg : args) command += " " + Quoted(arg);
    command += " >" + Quoted((io.Path() / "out").string()) + " 2>" + Quoted((io.Path() / "err").string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(io.Path() / "out"), ReadFile(io.Path() / "err")};
}

const char* kUsageLine =
    "usage: nomvary-cli [--blank-to-underscore] [--all-files] [--capitalize] [--except-brackets] "
    "[--exclude-feat] [--exclude-vs] [--dry-run] FOLDER\n";

TEST(CliTest, RefusalsTouchNothing) {
    TempDir dir;
    WriteFile(dir.Path() / "a_b.mp3", "x");
    WriteFile(dir.Path() / "file", "f");
    const std::string folder = dir.Path().string();
    const struct {
        std::vector<std::string> args;
        const char* message;
    } rows[] = {
        {{"--bogus", folder}, "nomvary-cli: unknown option \"--bogus\"\n"},
        {{}, "nomvary-cli: no FOLDER given\n"},
        {{folder, folder}, "nomvary-cli: more than one FOLDER given\n"},
        {{folder + "/missing"}, "nomvary-cli: cannot read folder"},
        {{folder + "/file"}, "nomvary-cli: cannot read folder"},
    };
    for (const auto& row : rows) {
        const Result result = RunCli(row.args);
        EXPECT_EQ(result.status, 2) << row.message;
        EXPECT_EQ(result.out, "") << row.message;
        EXPECT_EQ(result.err.rfind(row.message, 0), 0u) << result.err;
        EXPECT_NE(result.err.find(kUsageLine), std::string::npos) << row.message;
    }
    EXPECT_EQ(Contents(dir.Path()), (std::map<std::string, std::string>{{"a_b.mp3", "x"}, {"file", "f"}}));
}

TEST(CliTest, Help) {
    const Result result = RunCli({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind(kUsageLine, 0), 0u);
    EXPECT_EQ(result.err, "");
}

TEST(CliTest, Runs) {
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::map<std::string, std::string> before;
        int status;
        std::string out;
        std::map<std::string, std::string> after;
        const char* err;
    } rows[] = {
        {"defaults", {}, {{"a_b.mp3", "1"}, {"C_D.MP3", "2"}, {"x_y.txt", "3"}}, 0,
         "C_D.MP3 -> C D.mp3\na_b.mp3 -> a b.mp3\n2 files renamed.\n",
         {{"a b.mp3", "1"}, {"C D.mp3", "2"}, {"x_y.txt", "3"}}, ""},
        {"options", {"--blank-to-underscore", "--all-files", "--capitalize", "--except-brackets", "--exclude-vs"},
         {{"x vs y (LIVE).txt", "1"}, {"Done.mp3", "2"}}, 0, "x vs y (LIVE).txt -> X_vs_Y_(live).txt\n1 file renamed.\n",
         {{"X_vs_Y_(live).txt", "1"}, {"Done.mp3", "2"}}, ""},
        {"brackets only with capitalize", {"--except-brackets"}, {{"A (B).mp3", "1"}}, 0, "No files were renamed.\n",
         {{"A (B).mp3", "1"}}, ""},
        {"collision", {}, {{"a_b.mp3", "first"}, {"a b.mp3", "second"}}, 1, "No files were renamed.\n",
         {{"a_b.mp3", "first"}, {"a b.mp3", "second"}},
         "nomvary-cli: cannot rename \"a_b.mp3\" to \"a b.mp3\": File exists\n"},
        {"dry run", {"--dry-run", "--capitalize"}, {{"a_b.mp3", "first"}, {"A B.mp3", "second"}, {"c.mp3", "third"}},
         1, "a_b.mp3 -> A B.mp3  (the new name already exists: would fail)\nc.mp3 -> C.mp3\n"
            "Dry run: 1 file would be renamed.\n",
         {{"a_b.mp3", "first"}, {"A B.mp3", "second"}, {"c.mp3", "third"}}, ""},
        {"dry run sees its own plans", {"--dry-run", "--capitalize"}, {{"a_b.mp3", "1"}, {"a b.mp3", "2"}}, 1,
         "a b.mp3 -> A B.mp3\na_b.mp3 -> A B.mp3  (the new name already exists: would fail)\n"
         "Dry run: 1 file would be renamed.\n",
         {{"a_b.mp3", "1"}, {"a b.mp3", "2"}}, ""},
    };
    for (const auto& row : rows) {
        TempDir dir;
        for (const auto& [name, bytes] : row.before) WriteFile(dir.Path() / name, bytes);
        std::vector<std::string> args = row.options;
        args.push_back(dir.Path().string());
        const Result result = RunCli(args);
        EXPECT_EQ(result.status, row.status) << row.what;
        EXPECT_EQ(result.out, row.out) << row.what;
        EXPECT_EQ(result.err, row.err) << row.what;
        EXPECT_EQ(Contents(dir.Path()), row.after) << row.what;
    }
}

TEST(CliTest, RelativeFolderAndNoSettingsFile) {
    TempDir dir;
    fs::create_directory(dir.Path() / "sub");
    WriteFile(dir.Path() / "sub" / "a_b.mp3", "x");
    const std::string command = "cd " + Quoted(dir.Path().string()) + " && " + Quoted(NOMVARY_CLI) +
                                " sub >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(Contents(dir.Path() / "sub"), (std::map<std::string, std::string>{{"a b.mp3", "x"}}));
    EXPECT_FALSE(fs::exists(fs::path(NOMVARY_CLI).parent_path() / "nomvary.ini"));
}

}  // namespace
