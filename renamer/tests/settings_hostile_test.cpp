// Settings files that are folders, unreadable or read-only, on the real file
// system: the window's logic still loads with its designed defaults, closing
// it saves nothing over what it could not read, and nothing is lost.

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "fake_platform.h"
#include "testing/permissions_binding.h"
#include "testing/temp_folder.h"
#include "mainform.h"
#include "posix_file_system.h"
#include "posix_settings_file.h"
#include "settings.h"

namespace nomvary {
namespace {

namespace fs = std::filesystem;

// The real file system, the program folder redirected.
class DiskFiles : public PosixFileSystem {
public:
    explicit DiskFiles(fs::path programFolder) : m_programFolder(std::move(programFolder)) {}
    std::string ProgramFolder() override { return m_programFolder.string(); }

private:
    fs::path m_programFolder;
};

// Every file below `root` with its bytes (folders as "<folder>").
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        std::string bytes = "<folder>";
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        entries[fs::relative(entry.path(), root).string()] = bytes;
    }
    return entries;
}

// Loads the window's logic from `programFolder`, checks it shows the
// designed defaults, then closes it; false (with a message) on a difference.
bool OpensWithDefaultsAndClosesLosingNothing(const fs::path& programFolder) {
    const std::map<std::string, std::string> before = Snapshot(programFolder);
    DiskFiles files(programFolder);
    PosixSettingsFile settingsFile;
    fakes::FakeControls platform;
    Mainform form({files, settingsFile, platform, platform});
    platform.form = &form;
    form.form_load();
    const MainformValues& values = form.Values();
    const bool defaults = platform.options == std::array<int, 2>{} && platform.checks == std::array<bool, 5>{} &&
                          !platform.enabled[static_cast<std::size_t>(CheckBox::capsubcheck)] &&
                          !values.loading && !values.running && !values.autorunPending &&
                          values.folderPath == platform.folderList && platform.drive == "/";
    form.Form_Activate();
    form.Form_Unload();
    const bool kept = Snapshot(programFolder) == before;
    if (!defaults) {
        std::fprintf(stderr, "the window did not open with its defaults\n");
    }
    if (!kept) {
        std::fprintf(stderr, "the program folder changed\n");
    }
    return defaults && kept;
}

using testkit::Outcome;
using testkit::WithPermissionsBinding;

class SettingsHostileTest : public ::testing::Test {
protected:
    // The folder can be removed only once everything in it is ours again.
    void TearDown() override {
        std::error_code ignored;
        fs::current_path(m_start, ignored);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_folder, ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    }

    // Every option on, so that defaults cannot come from the file.
    void WriteStoredSettings() {
        std::string record(2 * kSettingsTextSize, ' ');
        record[0] = '/';
        record += std::string(7, '\1');
        std::ofstream(m_settings, std::ios::binary) << record;
    }

    const fs::path m_start = fs::current_path();
    testkit::TempFolder m_temp{"nomvary-settings"};
    const fs::path m_folder = m_temp.Path();
    const fs::path m_settings = m_folder / kSettingsFileName;
};

TEST_F(SettingsHostileTest, FolderInPlaceOfTheSettingsFile) {
    for (const bool empty : {true, false}) {
        SCOPED_TRACE(empty ? "empty folder" : "folder holding a file");
        fs::create_directory(m_settings);
        if (!empty) {
            std::ofstream(m_settings / "keep.txt") << "precious";
        }
        EXPECT_TRUE(OpensWithDefaultsAndClosesLosingNothing(m_folder));
        EXPECT_TRUE(fs::is_directory(m_settings));
        fs::remove_all(m_settings);
    }
}

TEST_F(SettingsHostileTest, UnreadableOrReadOnlySettings) {
    const struct {
        const char* what;
        bool file;
        fs::perms filePerms;
        fs::perms folderPerms;
    } cases[] = {
        {"unreadable file", true, fs::perms::none, fs::perms::owner_all},
        {"write-only file", true, fs::perms::owner_write, fs::perms::owner_all},
        {"read-only file", true, fs::perms::owner_read, fs::perms::owner_all},
        {"read-only file in a read-only folder", true, fs::perms::owner_read,
         fs::perms::owner_read | fs::perms::owner_exec},
        {"no file in a read-only folder", false, fs::perms::none, fs::perms::owner_read | fs::perms::owner_exec},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.file) {
            WriteStoredSettings();
            fs::permissions(m_settings, c.filePerms);
        }
        fs::permissions(m_folder, c.folderPerms);
        const Outcome outcome = WithPermissionsBinding([&] {
            // The premise: this process cannot open the file for reading and
            // writing, nor create it.
            std::FILE* file = std::fopen(m_settings.c_str(), c.file ? "r+b" : "wb");
            if (file != nullptr) {
                std::fclose(file);
                _exit(77);
            }
            return OpensWithDefaultsAndClosesLosingNothing(m_folder);
        });
        fs::permissions(m_folder, fs::perms::owner_all);
        if (outcome == Outcome::Unavailable) {
            GTEST_SKIP() << "file permissions cannot be made to bind here (running as root and the capabilities "
                            "that override them cannot be dropped)";
        }
        EXPECT_EQ(outcome, Outcome::Held);
        fs::remove(m_settings);
    }
}

}  // namespace
}  // namespace nomvary
