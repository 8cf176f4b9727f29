#include "linux_file_system.h"
#include "linux_settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include "fake_platform.h"
#include "rename_run.h"
#include "settings.h"
#include "testing/temp_folder.h"

namespace nomvary {
namespace {

namespace fs = std::filesystem;
using fakes::FakeControls;
using testkit::Files;
using testkit::ReadFile;
using testkit::TempFolder;

// The real file system with a program folder of our choosing, noting what
// it lists.
class TestFs : public LinuxFileSystem {
public:
    std::string programFolder = fs::temp_directory_path().string();
    std::vector<std::string> listed;

    std::string ListMatchingNames(const std::string& text) override { return Note(LinuxFileSystem::ListMatchingNames(text)); }
    std::string ListMatchingNames() override { return Note(LinuxFileSystem::ListMatchingNames()); }
    std::string ProgramFolder() override { return programFolder; }

    // One run over the ".mp3" files of `folder`; answers its summary.
    std::string Run(const fs::path& folder, bool capitalize) {
        RenameOptions options;
        options.capcheck = capitalize;
        listed.clear();
        return RenameSummary(RenameMatchingFiles(*this, folder.string(), "*.mp3", options).count);
    }
    std::vector<std::string> ListAll(const std::string& text) {
        listed.clear();
        for (std::string name = ListMatchingNames(text); !name.empty(); name = ListMatchingNames()) {
        }
        // The folder's own order is the listing's; the tests compare sets.
        std::vector<std::string> sorted = listed;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

private:
    std::string Note(std::string name) {
        if (!name.empty()) listed.push_back(name);
        return name;
    }
};

TEST(PatternMatchesTest, Table) {
    const struct {
        const char *pattern, *name;
        bool matches;
    } rows[] = {
        {"*.mp3", "A.MP3", true}, {"*.MP3", "a.mp3", true},   {"*.mp3", "a.mp3x", false},    {"*.mp3", "mp3", false},
        {"*.*", "README", true},  {"a*b*c", "aXbYbZc", true}, {"a*b*c", "aXbYbZ", false},    {"*.mp3", "\xFF.MP3", true},
        {"\xE9*", "\xC9x", false},  // only ASCII letters fold
    };
    for (const auto& row : rows) EXPECT_EQ(PatternMatches(row.pattern, row.name), row.matches) << row.name;
}

TEST(LinuxListingTest, OnlyVisibleRegularFiles) {
    TempFolder dir("nomvary-linux");
    dir.WriteAll({{"a.mp3", ""}, {"B.MP3", ""}, {".hidden.mp3", ""}, {"README", ""}, {"x.txt", ""}});
    fs::create_directory(dir.Path() / "sub.mp3");
    fs::create_symlink(dir.Path() / "a.mp3", dir.Path() / "link.mp3");
    fs::create_directory_symlink(dir.Path() / "sub.mp3", dir.Path() / "dirlink.mp3");
    TestFs posix;
    const std::string folder = dir.Path().string();
    EXPECT_EQ(posix.ListAll(folder + "/*.mp3"), (std::vector<std::string>{"B.MP3", "a.mp3", "link.mp3"}));
    EXPECT_EQ(posix.ListAll(folder + "/*.*"), (std::vector<std::string>{"B.MP3", "README", "a.mp3", "link.mp3", "x.txt"}));
    EXPECT_TRUE(posix.ListAll(folder + "/missing/*.*").empty());
}

TEST(LinuxRenameTest, Runs) {
    const struct {
        const char* what;
        Files before;
        bool capitalize;
        const char* summary;
        Files after;
    } rows[] = {
        {"collision", {{"a_b.mp3", "1"}, {"a b.mp3", "2"}, {"c_d.mp3", "3"}}, false, "1 file renamed.",
         {{"a_b.mp3", "1"}, {"a b.mp3", "2"}, {"c d.mp3", "3"}}},
        {"case only", {{"SONG.MP3", "s"}}, false, "1 file renamed.", {{"SONG.mp3", "s"}}},
        {"case only beside its other spelling", {{"T1.MP3", "1"}, {"T1.mp3", "2"}, {"T2.MP3", "3"}}, false,
         "1 file renamed.", {{"T1.MP3", "1"}, {"T1.mp3", "2"}, {"T2.mp3", "3"}}},
        {"bytes", {{"\xFF\xFE_song\x80.mp3", "b"}}, true, "1 file renamed.", {{"\xFF\xFE Song\x80.mp3", "b"}}},
    };
    for (const auto& row : rows) {
        TempFolder dir("nomvary-linux");
        dir.WriteAll(row.before);
        TestFs posix;
        EXPECT_EQ(posix.Run(dir.Path(), row.capitalize), row.summary) << row.what;
        EXPECT_EQ(dir.Contents(), row.after) << row.what;
    }
}

TEST(LinuxRenameTest, NeverReplacesAndRefusesPaths) {
    TempFolder dir("nomvary-linux");
    dir.WriteAll({{"a", "a"}, {"b", "b"}});
    fs::create_hard_link(dir.Path() / "a", dir.Path() / "A");  // a case variant that is another entry
    TestFs posix;
    posix.ListAll(dir.Path().string() + "/*.*");
    for (const auto& [to, error] : std::vector<std::pair<std::string, int>>{
             {"b", EEXIST}, {"A", EEXIST}, {"../a", EINVAL}, {"x/y", EINVAL}, {"", EINVAL}, {"..", EINVAL}}) {
        EXPECT_FALSE(posix.RenameFile("a", to)) << to;
        EXPECT_EQ(posix.LastRenameError(), error) << to;
    }
    EXPECT_TRUE(posix.NameTaken("a", "b"));
    EXPECT_EQ(dir.Contents(), (Files{{"A", "a"}, {"a", "a"}, {"b", "b"}}));
}

TEST(LinuxRenameTest, ManyFilesAreEachListedOnce) {
    TempFolder dir("nomvary-linux");
    for (int k = 0; k < 500; ++k) dir.Write(("track_" + std::to_string(k) + ".mp3"), std::to_string(k));
    TestFs posix;
    EXPECT_EQ(posix.Run(dir.Path(), true), "500 files renamed.");
    EXPECT_EQ(posix.listed.size(), 500u);
    EXPECT_EQ(std::set<std::string>(posix.listed.begin(), posix.listed.end()).size(), 500u);
    const Files after = dir.Contents();
    ASSERT_EQ(after.size(), 500u);
    for (int k = 0; k < 500; ++k) EXPECT_EQ(after.at("Track " + std::to_string(k) + ".mp3"), std::to_string(k));
}

// A vfat image through FUSE: case-insensitive, and without the no-replace
// flag, so the placeholder fallback is what runs.
TEST(LinuxRenameTest, CaseInsensitiveFileSystem) {
    TempFolder dir("nomvary-linux");
    const fs::path image = dir.Path() / "image", mount = dir.Path() / "mnt";
    fs::create_directory(mount);
    const std::string make = "dd if=/dev/zero of=" + image.string() + " bs=1M count=4 status=none && mkfs.vfat " +
                             image.string() + " >/dev/null 2>&1 && fusefat -o rw+ " + image.string() + " " +
                             mount.string() + " >/dev/null 2>&1";
    if (access("/dev/fuse", R_OK | W_OK) != 0 || std::system(make.c_str()) != 0) {
        GTEST_SKIP() << "no FUSE vfat mount here (needs /dev/fuse, fusefat, mkfs.vfat)";
    }
    struct Unmount {
        std::string command;
        ~Unmount() { [[maybe_unused]] int ignored = std::system(command.c_str()); }
    } unmount{"fusermount -u -z " + mount.string()};
    struct stat outer {}, inner {};
    if (stat(dir.Path().c_str(), &outer) != 0 || stat(mount.c_str(), &inner) != 0 || outer.st_dev == inner.st_dev) {
        GTEST_SKIP() << "fusefat did not mount";
    }

    dir.WriteAll({{"mnt/song.MP3", "song"}, {"mnt/a_b.mp3", "first"}, {"mnt/a b.mp3", "second"}});
    TestFs posix;
    EXPECT_EQ(posix.Run(mount, true), "2 files renamed.");
    EXPECT_EQ(dir.Contents("mnt"), (Files{{"A B.mp3", "second"}, {"Song.mp3", "song"}, {"a_b.mp3", "first"}}));
    posix.ListAll(mount.string() + "/*.*");
    EXPECT_FALSE(posix.RenameFile("a_b.mp3", "SONG.MP3"));
    EXPECT_EQ(posix.LastRenameError(), EEXIST);
    EXPECT_TRUE(posix.NameTaken("a_b.mp3", "song.mp3"));
    EXPECT_FALSE(posix.NameTaken("Song.mp3", "SONG.mp3"));
    EXPECT_EQ(dir.Contents("mnt"), (Files{{"A B.mp3", "second"}, {"Song.mp3", "song"}, {"a_b.mp3", "first"}}));
}

std::string Padded(std::string text) {
    text.resize(kSettingsTextSize, ' ');
    return text;
}

TEST(LinuxSettingsTest, SavedBytesAndA300CharacterFolder) {
    TempFolder program("nomvary-program"), music("nomvary-music");
    const fs::path deep = music.Path() / std::string(150, 'd') / std::string(150, 'e');
    fs::create_directories(deep);
    TestFs posix;
    LinuxSettingsFile settingsFile;
    FakeControls controls;
    posix.programFolder = program.Path().string();
    controls.folders.insert(deep.string());
    ASSERT_TRUE(controls.SetFolderListPath(deep.string()));
    controls.options = {1, 1};
    controls.checks = {true, true, true, false, false};
    SaveSettings({posix, settingsFile, controls, controls});
    EXPECT_EQ(ReadFile(program.Path() / "nomvary.ini"),
              Padded("/") + deep.string().substr(0, 256) + std::string("\1\1\1\1\1\0\0", 7));
}

TEST(LinuxSettingsTest, FilesOfEveryLength) {
    TempFolder program("nomvary-program");
    const fs::path file = program.Path() / "nomvary.ini";
    const std::string tail(81, '\x7F');
    const struct {
        const char* what;
        std::string bytes;
        bool blankToUnderscore, autorun, capsubcheck, capsubEnabled;
        std::size_t savedSize;
    } rows[] = {
        {"0 bytes", "", false, false, false, false, 519},
        {"100 bytes", std::string(100, ' '), false, false, false, false, 519},
        {"519 bytes", Padded("/") + Padded(program.Path().string()) + std::string("\1\0\1\0\1\0\0", 7), true, true,
         true, false, 519},
        // Autorun asked for, but no folder stored to run in.
        {"600 bytes", Padded("/") + Padded("") + std::string(7, '\1') + tail, true, false, true, true, 600},
        {"sevens", Padded("") + Padded("") + std::string(7, '\7'), true, false, true, false, 519},
    };
    for (const auto& row : rows) {
        testkit::WriteFile(file, row.bytes);
        TestFs posix;
        LinuxSettingsFile settingsFile;
        FakeControls controls;
        posix.programFolder = program.Path().string();
        controls.folders.insert(posix.programFolder);
        MainformValues values;
        LoadSettings(values, {posix, settingsFile, controls, controls});
        EXPECT_EQ(values.blankToUnderscore, row.blankToUnderscore) << row.what;
        EXPECT_EQ(values.autorunPending, row.autorun) << row.what;
        EXPECT_EQ(controls.IsChecked(CheckBox::capsubcheck), row.capsubcheck) << row.what;
        EXPECT_EQ(controls.IsEnabled(CheckBox::capsubcheck), row.capsubEnabled) << row.what;
        EXPECT_EQ(ReadFile(file), row.bytes) << row.what << ": loading wrote";
        SaveSettings({posix, settingsFile, controls, controls});
        const std::string saved = ReadFile(file);
        EXPECT_EQ(saved.size(), row.savedSize) << row.what;
        EXPECT_EQ(saved[512], row.blankToUnderscore ? 1 : 0) << row.what;
        EXPECT_EQ(saved.substr(519), row.savedSize == 600 ? tail : "") << row.what;
    }
}

TEST(LinuxSettingsTest, ProgramFolderHoldsTheRunningProgram) {
    TestFs posix;
    EXPECT_EQ(posix.LinuxFileSystem::ProgramFolder(), fs::canonical("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace nomvary
