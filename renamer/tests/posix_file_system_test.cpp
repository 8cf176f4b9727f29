#include "posix_file_system.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "rename_run.h"
#include "settings.h"

namespace nomvary {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "nomvary-posix-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& Path() const { return m_path; }
    std::string Str() const { return m_path.string(); }

private:
    fs::path m_path;
};

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry of a folder with its contents ("<dir>" for folders).
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        entries[entry.path().filename().string()] =
            entry.is_directory() ? "<dir>" : ReadFile(entry.path());
    }
    return entries;
}

// The real file system with controls held in fields and a program folder of
// the test's own choosing.
class TestFs : public PosixFileSystem {
public:
    std::string programFolder;
    std::string folderList;
    std::array<int, 2> options{};
    std::array<bool, 5> checked{};
    std::vector<std::string> questions;
    std::vector<std::string> listed;

    std::string ListMatchingNames(const std::string& text) override {
        return Note(PosixFileSystem::ListMatchingNames(text));
    }
    std::string ListMatchingNames() override { return Note(PosixFileSystem::ListMatchingNames()); }
    std::string ProgramFolder() override { return programFolder; }
    void ProcessPendingEvents() override {}
    bool AskYesNo(const std::string& text, const std::string&) override {
        questions.push_back(text);
        return false;
    }
    void ShowMessage(const std::string&, const std::string&) override {}
    void EndProgram() override {}
    std::string DriveText() override { return "/"; }
    bool SetDriveText(const std::string& text) override { return text == "/"; }
    std::optional<std::string> DriveRoot(const std::string&) override { return "/"; }
    std::string FolderListPath() override { return folderList; }
    bool SetFolderListPath(const std::string& path) override {
        if (!fs::is_directory(path)) return false;
        folderList = path;
        return true;
    }
    int SelectedOption(OptionArray array) override { return options[static_cast<std::size_t>(array)]; }
    void SelectOption(OptionArray array, int index) override { options[static_cast<std::size_t>(array)] = index; }
    bool IsChecked(CheckBox box) override { return checked[static_cast<std::size_t>(box)]; }
    void SetChecked(CheckBox box, bool value) override { checked[static_cast<std::size_t>(box)] = value; }
    bool IsEnabled(CheckBox) override { return true; }
    void SetEnabled(CheckBox, bool) override {}

    // One run over `folder`; answers the first line of its closing message.
    std::string Run(const std::string& folder, bool capitalize, bool allFiles = false) {
        checked[static_cast<std::size_t>(CheckBox::capcheck)] = capitalize;
        MainformValues values;
        values.folderPath = folder;
        values.allFiles = allFiles;
        questions.clear();
        listed.clear();
        RenameFolder(values, *this);
        return questions.empty() ? "" : questions.back().substr(0, questions.back().find('\r'));
    }

private:
    std::string Note(std::string name) {
        if (!name.empty()) listed.push_back(name);
        return name;
    }
};

std::vector<std::string> ListAll(TestFs& fs, const std::string& text) {
    std::vector<std::string> names;
    for (std::string name = fs.ListMatchingNames(text); !name.empty(); name = fs.ListMatchingNames()) {
        names.push_back(name);
    }
    return names;
}

TEST(PatternMatchesTest, Table) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } rows[] = {
        {"*.mp3", "a.mp3", true},       {"*.mp3", "A.MP3", true},      {"*.MP3", "a.mp3", true},
        {"*.mp3", "a.mp3x", false},     {"*.mp3", "mp3", false},       {"*.mp3", ".mp3", true},
        {"*.*", "README", true},        {"*.*", "a.b", true},          {"*", "anything", true},
        {"a*b*c", "aXbYbZc", true},     {"a*b*c", "aXbYbZ", false},    {"*.mp3", "x.mp3.mp3", true},
        {"*.mp3", "\xFF.MP3", true},    {"\xE9*", "\xC9x", false},  // only ASCII letters fold
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PatternMatches(row.pattern, row.name), row.matches) << row.pattern << " / " << row.name;
    }
}

TEST(PosixListingTest, OnlyVisibleRegularFiles) {
    TempDir dir;
    for (const char* name : {"a.mp3", "B.MP3", ".hidden.mp3", "README", "x.txt"}) {
        WriteFile(dir.Path() / name, "x");
    }
    fs::create_directory(dir.Path() / "sub.mp3");
    fs::create_symlink(dir.Path() / "a.mp3", dir.Path() / "link.mp3");
    fs::create_directory_symlink(dir.Path() / "sub.mp3", dir.Path() / "dirlink.mp3");
    TestFs posix;
    EXPECT_EQ(ListAll(posix, dir.Str() + "/*.mp3"), (std::vector<std::string>{"B.MP3", "a.mp3", "link.mp3"}));
    EXPECT_EQ(ListAll(posix, dir.Str() + "/*.*"),
              (std::vector<std::string>{"B.MP3", "README", "a.mp3", "link.mp3", "x.txt"}));
    EXPECT_TRUE(ListAll(posix, dir.Str() + "/missing/*.*").empty());
}

TEST(PosixRenameTest, CollidingNamesBothSurvive) {
    TempDir dir;
    WriteFile(dir.Path() / "a_b.mp3", "first");
    WriteFile(dir.Path() / "a b.mp3", "second");
    WriteFile(dir.Path() / "c_d.mp3", "third");
    TestFs posix;
    EXPECT_EQ(posix.Run(dir.Str(), false), "1 file renamed.");
    EXPECT_EQ(Contents(dir.Path()), (std::map<std::string, std::string>{
                                        {"a_b.mp3", "first"}, {"a b.mp3", "second"}, {"c d.mp3", "third"}}));
    EXPECT_FALSE(posix.RenameFile("a_b.mp3", "a b.mp3"));
    EXPECT_EQ(posix.LastRenameError(), EEXIST);
    EXPECT_TRUE(posix.NameTaken("a_b.mp3", "a b.mp3"));
}

TEST(PosixRenameTest, CaseOnlyRename) {
    TempDir dir;
    WriteFile(dir.Path() / "SONG.MP3", "song");
    TestFs posix;
    EXPECT_EQ(posix.Run(dir.Str(), false), "1 file renamed.");
    EXPECT_EQ(Contents(dir.Path()), (std::map<std::string, std::string>{{"SONG.mp3", "song"}}));
}

// Two spellings of one file that are two entries (hard links) must both stay.
TEST(PosixRenameTest, CaseVariantThatIsAnotherEntryIsNeverReplaced) {
    TempDir dir;
    WriteFile(dir.Path() / "a.mp3", "shared");
    fs::create_hard_link(dir.Path() / "a.mp3", dir.Path() / "A.mp3");
    TestFs posix;
    ListAll(posix, dir.Str() + "/*.*");
    EXPECT_FALSE(posix.RenameFile("a.mp3", "A.mp3"));
    EXPECT_EQ(posix.LastRenameError(), EEXIST);
    EXPECT_EQ(Contents(dir.Path()), (std::map<std::string, std::string>{{"A.mp3", "shared"}, {"a.mp3", "shared"}}));
}

TEST(PosixRenameTest, NamesAreBytes) {
    TempDir dir;
    const std::string odd = "\xFF\xFE_song\x80.mp3";
    WriteFile(dir.Path() / odd, "bytes");
    TestFs posix;
    EXPECT_EQ(posix.Run(dir.Str(), true), "1 file renamed.");
    EXPECT_EQ(Contents(dir.Path()), (std::map<std::string, std::string>{{"\xFF\xFE Song\x80.mp3", "bytes"}}));
}

TEST(PosixRenameTest, ManyFilesAreEachListedOnce) {
    TempDir dir;
    for (int k = 0; k < 500; ++k) {
        WriteFile(dir.Path() / ("track_" + std::to_string(k) + ".mp3"), std::to_string(k));
    }
    TestFs posix;
    EXPECT_EQ(posix.Run(dir.Str(), true), "500 files renamed.");
    EXPECT_EQ(posix.listed.size(), 500u);
    EXPECT_EQ(std::set<std::string>(posix.listed.begin(), posix.listed.end()).size(), 500u);
    const std::map<std::string, std::string> after = Contents(dir.Path());
    ASSERT_EQ(after.size(), 500u);
    for (int k = 0; k < 500; ++k) {
        const auto file = after.find("Track " + std::to_string(k) + ".mp3");
        ASSERT_NE(file, after.end());
        EXPECT_EQ(file->second, std::to_string(k));
    }
}

TEST(PosixRenameTest, RefusesPathsInNames) {
    TempDir dir;
    WriteFile(dir.Path() / "a", "a");
    TestFs posix;
    ListAll(posix, dir.Str() + "/*.*");
    for (const char* bad : {"../a", "x/y", "", ".", ".."}) {
        EXPECT_FALSE(posix.RenameFile("a", bad)) << bad;
        EXPECT_EQ(posix.LastRenameError(), EINVAL) << bad;
    }
    EXPECT_EQ(Contents(dir.Path()).size(), 1u);
}

// A vfat image mounted through FUSE: case-insensitive, and without the
// no-replace rename flag, so the placeholder fallback is what runs.
class VfatFolder {
public:
    VfatFolder() {
        const fs::path image = m_dir.Path() / "image";
        m_mount = m_dir.Path() / "mnt";
        fs::create_directory(m_mount);
        const std::string make = "dd if=/dev/zero of='" + image.string() + "' bs=1M count=4 status=none && " +
                                 "mkfs.vfat '" + image.string() + "' >/dev/null 2>&1 && fusefat -o rw+ '" +
                                 image.string() + "' '" + m_mount.string() + "' >/dev/null 2>&1";
        m_mounted = access("/dev/fuse", R_OK | W_OK) == 0 && std::system(make.c_str()) == 0 && IsMounted();
    }
    ~VfatFolder() {
        if (m_mounted) {
            const std::string unmount = "fusermount -u '" + m_mount.string() + "' >/dev/null 2>&1";
            [[maybe_unused]] const int ignored = std::system(unmount.c_str());
        }
    }
    bool Mounted() const { return m_mounted; }
    const fs::path& Path() const { return m_mount; }

private:
    bool IsMounted() const {
        std::ifstream mounts("/proc/mounts");
        for (std::string line; std::getline(mounts, line);) {
            if (line.find(" " + m_mount.string() + " ") != std::string::npos) return true;
        }
        return false;
    }

    TempDir m_dir;
    fs::path m_mount;
    bool m_mounted = false;
};

TEST(PosixRenameTest, CaseInsensitiveFileSystem) {
    VfatFolder vfat;
    if (!vfat.Mounted()) {
        GTEST_SKIP() << "no FUSE vfat mount here (needs /dev/fuse, fusefat, mkfs.vfat)";
    }
    WriteFile(vfat.Path() / "song.MP3", "song");
    WriteFile(vfat.Path() / "a_b.mp3", "first");
    WriteFile(vfat.Path() / "a b.mp3", "second");
    TestFs posix;
    EXPECT_EQ(posix.Run(vfat.Path().string(), true), "2 files renamed.");
    EXPECT_EQ(Contents(vfat.Path()), (std::map<std::string, std::string>{
                                         {"A B.mp3", "second"}, {"Song.mp3", "song"}, {"a_b.mp3", "first"}}));
    ListAll(posix, vfat.Path().string() + "/*.*");
    EXPECT_FALSE(posix.RenameFile("a_b.mp3", "Song.mp3"));
    EXPECT_EQ(posix.LastRenameError(), EEXIST);
    EXPECT_FALSE(posix.RenameFile("a_b.mp3", "SONG.MP3"));
    EXPECT_TRUE(posix.NameTaken("a_b.mp3", "song.mp3"));
    EXPECT_FALSE(posix.NameTaken("Song.mp3", "SONG.mp3"));
    EXPECT_EQ(ReadFile(vfat.Path() / "Song.mp3"), "song");
    EXPECT_EQ(Contents(vfat.Path()).size(), 3u);
}

// ---- the settings file ------------------------------------------------------

std::string Padded(const std::string& text) {
    std::string field = text.substr(0, kSettingsTextSize);
    field.resize(kSettingsTextSize, ' ');
    return field;
}

TEST(PosixSettingsTest, SavedBytes) {
    TempDir program;
    TempDir music;
    const fs::path deep = music.Path() / std::string(150, 'd') / std::string(150, 'e');
    fs::create_directories(deep);
    ASSERT_GE(deep.string().size(), 300u);
    TestFs posix;
    posix.programFolder = program.Str();
    ASSERT_TRUE(posix.SetFolderListPath(deep.string()));
    posix.options = {1, 1};
    posix.checked = {true, true, true, false, false};
    SaveSettings(posix);
    const std::string bytes = ReadFile(program.Path() / "nomvary.ini");
    ASSERT_EQ(bytes.size(), 519u);
    EXPECT_EQ(bytes.substr(0, 256), Padded("/"));
    EXPECT_EQ(bytes.substr(256, 256), deep.string().substr(0, 256));
    EXPECT_EQ(bytes.substr(512), std::string("\1\1\1\1\1\0\0", 7));
}

TEST(PosixSettingsTest, FilesOfEveryLength) {
    TempDir program;
    const std::string tail(81, '\x7F');
    const struct {
        const char* what;
        std::string bytes;
        bool blankToUnderscore, autorun, capsubcheck;
        std::size_t sizeAfterSave;
    } rows[] = {
        {"0 bytes", "", false, false, false, 519},
        {"100 bytes", std::string(100, ' '), false, false, false, 519},
        {"519 bytes", Padded("/") + Padded(program.Str()) + std::string("\1\0\1\0\1\0\0", 7), true, true, true, 519},
        {"600 bytes", Padded("/") + Padded("") + std::string(7, '\1') + tail, true, true, true, 600},
        {"sevens", Padded("") + Padded("") + std::string(7, '\7'), true, false, true, 519},
    };
    for (const auto& row : rows) {
        WriteFile(program.Path() / "nomvary.ini", row.bytes);
        TestFs posix;
        posix.programFolder = program.Str();
        MainformValues values;
        LoadSettings(values, posix);
        EXPECT_EQ(values.blankToUnderscore, row.blankToUnderscore) << row.what;
        EXPECT_EQ(values.autorunPending, row.autorun) << row.what;
        EXPECT_EQ(posix.IsChecked(CheckBox::capsubcheck), row.capsubcheck) << row.what;
        EXPECT_EQ(ReadFile(program.Path() / "nomvary.ini"), row.bytes) << row.what << ": loading wrote";
        EXPECT_FALSE(posix.IsSettingsFileOpen()) << row.what;

        SaveSettings(posix);
        const std::string saved = ReadFile(program.Path() / "nomvary.ini");
        EXPECT_EQ(saved.size(), row.sizeAfterSave) << row.what;
        EXPECT_EQ(saved[512], row.blankToUnderscore ? 1 : 0) << row.what;
        if (row.sizeAfterSave == 600) {
            EXPECT_EQ(saved.substr(519), tail) << row.what;
        }
    }
}

TEST(PosixSettingsTest, MissingFileIsCreatedEmpty) {
    TempDir program;
    TestFs posix;
    posix.programFolder = program.Str();
    MainformValues values;
    LoadSettings(values, posix);
    EXPECT_TRUE(fs::exists(program.Path() / "nomvary.ini"));
    EXPECT_EQ(fs::file_size(program.Path() / "nomvary.ini"), 0u);
}

TEST(PosixSettingsTest, ProgramFolderHoldsTheRunningProgram) {
    struct Plain : TestFs {
        std::string ProgramFolder() override { return PosixFileSystem::ProgramFolder(); }
    } plain;
    const std::string expected = fs::canonical("/proc/self/exe").parent_path().string();
    EXPECT_EQ(plain.ProgramFolder(), expected);
    EXPECT_EQ(SettingsFilePath(plain), expected + "/nomvary.ini");
}

}  // namespace
}  // namespace nomvary
