#include "settings.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace nomvary {
namespace {

using fakes::FakePlatform;
using fakes::FakeWindow;

std::string Padded(std::string text) {
    text.resize(kSettingsTextSize, ' ');
    return text;
}

std::string Record(const std::string& drive, const std::string& folder, const std::string& options) {
    return Padded(drive) + Padded(folder) + options;
}

TEST(SaveSettingsTest, WritesTheRecordWithoutShortening) {
    FakePlatform platform;
    platform.options = {1, 1};
    platform.checks = {true, true, true, false, false};
    platform.folderList = std::string(300, 'f');
    platform.settings = std::string(600, 'T');
    SaveSettings(platform.Parts());
    EXPECT_EQ(*platform.settings,
              Record("/", std::string(256, 'f'), std::string("\1\1\1\1\1\0\0", 7)) + std::string(81, 'T'));
    EXPECT_FALSE(platform.IsSettingsFileOpen());
}

TEST(SaveSettingsTest, Path) {
    FakePlatform platform;
    EXPECT_EQ(SettingsFilePath(platform), "/prog/nomvary.ini");
    platform.programFolder = "/";
    EXPECT_EQ(SettingsFilePath(platform), "/nomvary.ini");
    platform.programFolder = "";
    EXPECT_EQ(SettingsFilePath(platform), "");  // never "/nomvary.ini" by accident
}

TEST(LoadSettingsTest, AppliesStoredDriveAndFolder) {
    const struct {
        const char* what;
        std::string file;
        const char *drive, *folder;
    } rows[] = {
        {"drive moves to its root, unsaved", Record("/mnt/usb", "", std::string(7, '\0')), "/mnt/usb", "/mnt/usb"},
        {"folder", Record("/", "/prog", ""), "/", "/prog"},
        {"gone folder ignored", Record("/nowhere", "/nowhere", ""), "/", "/music"},
        {"blank-ended folder whole", Record("/", "/x ", ""), "/", "/x "},
        {"short file", std::string(100, ' '), "/", "/music"},
    };
    for (const auto& row : rows) {
        FakeWindow w;
        w.platform.folders.insert("/x ");
        w.platform.settings = row.file;
        w.platform.writes = 0;
        w.form.form_load();
        EXPECT_EQ(w.platform.drive, row.drive) << row.what;
        EXPECT_EQ(w.platform.folderList, row.folder) << row.what;
        EXPECT_EQ(w.form.Values().folderPath, row.folder) << row.what;
        EXPECT_EQ(w.platform.writes, 0) << row.what;
        EXPECT_EQ(*w.platform.settings, row.file) << row.what;
    }
}

TEST(LoadSettingsTest, FailureStopsAndSaves) {
    const struct {
        const char* what;
        bool openFails;
        std::size_t readFailsAt;
        int blankopt;
        const char* folder;
    } rows[] = {
        {"open fails", true, SIZE_MAX, 0, "/music"},
        {"drive read fails", false, 100, 0, "/music"},
        {"option read fails", false, 515, 1, "/prog"},
    };
    for (const auto& row : rows) {
        FakePlatform platform;
        Mainform form(platform.Parts());
        platform.form = &form;
        platform.openFails = row.openFails;
        platform.readFailsAt = row.readFailsAt;
        platform.settings = Record("/", "/prog", std::string(7, '\1'));
        form.form_load();
        EXPECT_EQ(platform.opens, 2) << row.what;
        EXPECT_EQ(platform.options[0], row.blankopt) << row.what;
        EXPECT_FALSE(platform.Checked(CheckBox::capcheck)) << row.what;
        EXPECT_EQ(platform.folderList, row.folder) << row.what;
        EXPECT_FALSE(form.Values().loading) << row.what;
        if (!row.openFails) {  // saved what the controls held when loading stopped
            const std::string options = row.blankopt ? std::string("\1\1\1\0\0\0\0", 7) : std::string(7, '\0');
            EXPECT_EQ(*platform.settings, Record("/", row.folder, options))
                << row.what;
        }
    }
}

}  // namespace
}  // namespace nomvary
