#include "settings.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"

namespace nomvary {
namespace {

using testing::FakePlatform;

std::string Padded(const std::string& text) {
    std::string field = text.substr(0, kSettingsTextSize);
    field.resize(kSettingsTextSize, ' ');
    return field;
}

std::string Record(const std::string& drive, const std::string& folder, const std::string& options) {
    return Padded(drive) + Padded(folder) + options;
}

struct Loaded {
    FakePlatform platform;
    Mainform form{platform};
    Loaded() { platform.form = &form; }
    void Load(const std::optional<std::string>& file) {
        platform.settingsFile = file;
        form.form_load();
    }
};

TEST(SaveSettingsTest, WritesTheRecord) {
    FakePlatform platform;
    platform.options = {1, 1};
    for (CheckBox box : {CheckBox::autorunbox, CheckBox::capcheck, CheckBox::capsubcheck}) {
        platform.checked[static_cast<std::size_t>(box)] = true;
    }
    platform.folderListPath = std::string(300, 'f');
    SaveSettings(platform);
    ASSERT_TRUE(platform.settingsFile);
    EXPECT_EQ(*platform.settingsFile, Record("/", std::string(256, 'f'), std::string("\1\1\1\1\1\0\0", 7)));
    EXPECT_EQ(platform.journal.front(), "open /prog/nomvary.ini");
    EXPECT_FALSE(platform.IsSettingsFileOpen());
}

TEST(SaveSettingsTest, NeverShortensALongerFile) {
    FakePlatform platform;
    const std::string tail(81, 'T');
    platform.settingsFile = std::string(519, 'x') + tail;
    SaveSettings(platform);
    EXPECT_EQ(platform.settingsFile->size(), 600u);
    EXPECT_EQ(platform.settingsFile->substr(519), tail);
    EXPECT_EQ(platform.settingsFile->substr(0, 256), Padded("/"));
}

TEST(SaveSettingsTest, PathWithoutDoubleSeparator) {
    FakePlatform platform;
    platform.programFolder = "/";
    EXPECT_EQ(SettingsFilePath(platform), "/nomvary.ini");
    platform.programFolder = "";
    EXPECT_EQ(SettingsFilePath(platform), "");
}

struct LoadRow {
    const char* what;
    std::optional<std::string> file;
    int blankopt, fnamopt;
    bool autorun, capcheck, capsubcheck, capsubEnabled, featcheck, vscheck;
    const char* folder;
};

TEST(LoadSettingsTest, ReadRules) {
    const std::string defaults(7, '\0');
    const LoadRow rows[] = {
        {"no file", std::nullopt, 0, 0, false, false, false, false, false, false, "/music"},
        {"empty file", std::string(), 0, 0, false, false, false, false, false, false, "/music"},
        {"100 bytes", std::string(100, ' '), 0, 0, false, false, false, false, false, false, "/music"},
        {"all on", Record("/", "/prog", std::string(7, '\1')), 1, 1, true, true, true, true, true, true, "/prog"},
        {"sevens", Record("/", "/music", std::string(7, '\7')), 1, 1, false, false, true, false, false, false, "/music"},
        {"capsub without capcheck", Record("", "", std::string("\0\0\0\0\1\0\0", 7)), 0, 0, false, false, true, false,
         false, false, "/music"},
        {"600 bytes", Record("/", "/", std::string("\0\1\0\1\0\0\1", 7)) + std::string(81, '\7'), 0, 1, false, true,
         false, true, false, true, "/"},
        {"folder gone", Record("/", "/nowhere", defaults), 0, 0, false, false, false, false, false, false, "/music"},
    };
    for (const LoadRow& row : rows) {
        Loaded loaded;
        loaded.Load(row.file);
        const FakePlatform& p = loaded.platform;
        const MainformValues& v = loaded.form.Values();
        EXPECT_EQ(p.Option(OptionArray::blankopt), row.blankopt) << row.what;
        EXPECT_EQ(v.blankToUnderscore, row.blankopt == 1) << row.what;
        EXPECT_EQ(p.Option(OptionArray::fnamopt), row.fnamopt) << row.what;
        EXPECT_EQ(v.allFiles, row.fnamopt == 1) << row.what;
        EXPECT_EQ(v.filePattern, row.fnamopt == 1 ? "*.*" : "*.mp3") << row.what;
        EXPECT_EQ(p.Checked(CheckBox::autorunbox), row.autorun) << row.what;
        EXPECT_EQ(v.autorunPending, row.autorun) << row.what;
        EXPECT_EQ(p.Checked(CheckBox::capcheck), row.capcheck) << row.what;
        EXPECT_EQ(p.Checked(CheckBox::capsubcheck), row.capsubcheck) << row.what;
        EXPECT_EQ(p.Enabled(CheckBox::capsubcheck), row.capsubEnabled) << row.what;
        EXPECT_EQ(p.Checked(CheckBox::featcheck), row.featcheck) << row.what;
        EXPECT_EQ(p.Checked(CheckBox::vscheck), row.vscheck) << row.what;
        EXPECT_EQ(p.folderListPath, row.folder) << row.what;
        EXPECT_FALSE(v.loading) << row.what;
        EXPECT_FALSE(p.IsSettingsFileOpen()) << row.what;
        // A load that succeeds writes nothing, however short the file.
        EXPECT_EQ(p.Count("write"), 0u) << row.what;
        if (row.file) {
            EXPECT_EQ(*p.settingsFile, *row.file) << row.what;
        }
    }
}

TEST(LoadSettingsTest, StoredDriveMovesToItsRootWithoutSaving) {
    Loaded loaded;
    loaded.platform.drives["/mnt/usb"] = "/mnt/usb";
    loaded.platform.existingFolders.insert("/mnt/usb");
    loaded.Load(Record("/mnt/usb", "", std::string(7, '\0')));
    EXPECT_EQ(loaded.platform.driveText, "/mnt/usb");
    EXPECT_EQ(loaded.platform.folderListPath, "/mnt/usb");
    EXPECT_EQ(loaded.form.Values().folderPath, "/mnt/usb");
    EXPECT_EQ(loaded.platform.Count("write"), 0u);
}

TEST(LoadSettingsTest, FolderEndingInABlankComesBackWhole) {
    Loaded loaded;
    loaded.platform.existingFolders.insert({"/music/abc", "/music/abc "});
    loaded.Load(Record("/", "/music/abc ", std::string(7, '\0')));
    EXPECT_EQ(loaded.platform.folderListPath, "/music/abc ");
}

TEST(LoadSettingsTest, FailureStopsAndSaves) {
    const struct {
        const char* what;
        bool openFails;
        std::optional<std::size_t> readFailsAt;
        int blankopt;
        const char* folder;
    } rows[] = {
        {"open fails", true, std::nullopt, 0, "/music"},
        {"drive read fails", false, 100, 0, "/music"},
        {"option read fails", false, 515, 1, "/prog"},
    };
    for (const auto& row : rows) {
        Loaded loaded;
        loaded.platform.openFails = row.openFails;
        loaded.platform.readFailsAt = row.readFailsAt;
        loaded.Load(Record("/", "/prog", std::string(7, '\1')));
        const FakePlatform& p = loaded.platform;
        EXPECT_EQ(p.opens, 2) << row.what;
        EXPECT_EQ(p.Option(OptionArray::blankopt), row.blankopt) << row.what;
        EXPECT_FALSE(p.Checked(CheckBox::capcheck)) << row.what;
        EXPECT_EQ(p.folderListPath, row.folder) << row.what;
        EXPECT_FALSE(loaded.form.Values().loading) << row.what;
        if (!row.openFails) {
            // The save wrote what the controls held when loading stopped.
            EXPECT_EQ(p.settingsFile->substr(256, 256), Padded(row.folder)) << row.what;
            EXPECT_EQ((*p.settingsFile)[512], row.blankopt) << row.what;
            EXPECT_EQ((*p.settingsFile)[515], 0) << row.what;
        }
    }
}

}  // namespace
}  // namespace nomvary
