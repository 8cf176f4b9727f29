// Settings files on the real file system that the program may not write, or
// that are not files at all: the window's logic reads what it may and opens
// with its designed defaults otherwise, and closing it loses nothing. A
// program folder that cannot hold the file leaves it to the user's
// configuration folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "fake_platform.h"
#include "mainform.h"
#include "linux_file_system.h"
#include "linux_settings_file.h"
#include "settings.h"
#include "testing/permissions_binding.h"
#include "testing/temp_folder.h"

namespace nomvary {
namespace {

namespace fs = std::filesystem;

// The real file system, the program folder redirected.
class DiskFiles : public LinuxFileSystem {
public:
    explicit DiskFiles(fs::path programFolder) : m_programFolder(std::move(programFolder)) {}
    std::string ProgramFolder() override { return m_programFolder.string(); }

private:
    fs::path m_programFolder;
};

// Every entry below `root` with its bytes ("<dir>" for a folder).
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        entries[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<dir>" : testkit::ReadFile(entry.path());
    }
    return entries;
}

TEST(SettingsHostileTest, SettingsTheProgramMayNotWrite) {
    const fs::perms readOnlyFolder = fs::perms::owner_read | fs::perms::owner_exec;
    const std::string record = std::string(2 * kSettingsTextSize, ' ') + std::string(7, '\1');
    const struct {
        const char* what;
        const char* file;  // "record" (every option on), "folder" (one holding a file) or "" (none)
        fs::perms filePerms, folderPerms;
        bool showsStored;    // else the designed defaults
        bool inConfig;       // the configuration folder holds a record at the start
        bool savedInConfig;  // closing saves the controls' record there
    } rows[] = {
        {"folder in place of the file", "folder", fs::perms::owner_all, fs::perms::owner_all, false, true, false},
        {"unreadable file", "record", fs::perms::none, fs::perms::owner_all, false, false, false},
        {"write-only file", "record", fs::perms::owner_write, fs::perms::owner_all, false, false, false},
        {"read-only file", "record", fs::perms::owner_read, fs::perms::owner_all, true, false, false},
        {"read-only file in a read-only folder", "record", fs::perms::owner_read, readOnlyFolder, true, true, false},
        {"no file in a read-only folder", "", fs::perms::none, readOnlyFolder, false, false, true},
        {"no file in a read-only folder, one in the configuration folder", "", fs::perms::none, readOnlyFolder,
         true, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        testkit::TempFolder temp("nomvary-settings");
        const fs::path program = temp.Path() / "prog", settings = program / kSettingsFileName;
        const std::string file = row.file;
        if (file == "folder") {
            temp.Write("prog/nomvary.ini/keep.txt", "precious");
        } else if (file == "record") {
            temp.Write("prog/nomvary.ini", record);
            fs::permissions(settings, row.filePerms);
        } else {
            fs::create_directories(program);
        }
        const fs::path config = temp.Path() / "config/nomvary/nomvary.ini";
        if (row.inConfig) temp.Write("config/nomvary/nomvary.ini", record);
        fs::permissions(program, row.folderPerms);
        const testkit::Outcome outcome = testkit::WithPermissionsBinding([&] {
            // The premise: this process cannot write the file, nor make it.
            if (std::FILE* writable = std::fopen(settings.c_str(), *row.file != '\0' ? "r+b" : "wb")) {
                std::fclose(writable);
                _exit(77);
            }
            setenv("XDG_CONFIG_HOME", (temp.Path() / "config").c_str(), 1);
            const std::map<std::string, std::string> before = Snapshot(program);
            DiskFiles files(program);
            LinuxSettingsFile settingsFile;
            fakes::FakeControls controls;
            Mainform form({files, settingsFile, controls, controls});
            controls.form = &form;
            form.form_load();
            // The record stores no folder, so its autorun disarms itself.
            const bool on = row.showsStored;
            const bool shown = controls.options == std::array<int, 2>{on, on} &&
                               controls.checks == std::array<bool, 5>{false, on, on, on, on} &&
                               controls.Enabled(CheckBox::capsubcheck) == on && !form.Values().loading;
            controls.SetChecked(CheckBox::vscheck, false);
            form.Form_Unload();
            const std::string saved = testkit::ReadFile(config);
            const bool configKept =
                row.savedInConfig ? saved.size() == kSettingsRecordSize && saved.back() == '\0'
                                  : saved == (row.inConfig ? record : std::string());
            return shown && Snapshot(program) == before && configKept;
        });
        fs::permissions(program, fs::perms::owner_all);
        if (fs::exists(settings)) fs::permissions(settings, fs::perms::owner_all);
        if (outcome == testkit::Outcome::Unavailable) {
            GTEST_SKIP() << "file permissions cannot be made to bind here (running as root and the capabilities "
                            "that override them cannot be dropped)";
        }
        EXPECT_EQ(outcome, testkit::Outcome::Held);
    }
}

}  // namespace
}  // namespace nomvary
