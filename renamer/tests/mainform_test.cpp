#include "mainform.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace nomvary {
namespace {

using fakes::FakeWindow;

TEST(MainformTest, FirstStartShowsTheDesignedDefaults) {
    FakeWindow w;
    EXPECT_EQ(w.platform.options, (std::array<int, 2>{0, 0}));
    EXPECT_EQ(w.platform.checks, (std::array<bool, 5>{}));
    EXPECT_FALSE(w.platform.IsEnabled(CheckBox::capsubcheck));
    EXPECT_EQ(w.form.Values().filePattern, "*.mp3");
    EXPECT_EQ(w.form.Values().folderPath, "/music");  // the list's folder, though no handler ran
    EXPECT_EQ(w.platform.settings, std::string());    // created empty, filled by the first save
}

TEST(MainformTest, CapitalizeEnablesTheBracketBoxWhichKeepsItsMark) {
    FakeWindow w;
    w.platform.SetChecked(CheckBox::capcheck, true);
    EXPECT_TRUE(w.platform.IsEnabled(CheckBox::capsubcheck));
    w.platform.SetChecked(CheckBox::capsubcheck, true);
    w.platform.SetChecked(CheckBox::capcheck, false);
    EXPECT_FALSE(w.platform.IsEnabled(CheckBox::capsubcheck));
    w.form.Form_Unload();
    EXPECT_EQ(w.platform.settings->substr(512), std::string("\0\0\0\0\1\0\0", 7));
}

TEST(MainformTest, DriveAndFolderChanges) {
    const struct {
        const char *drive, *folder;
        bool useFolderList;
        const char* expected;
        int writes;
    } rows[] = {
        {"/mnt/usb", nullptr, false, "/mnt/usb", 1},  // to the root, saved at once
        {"/mnt/cd", nullptr, false, "/music", 0},     // no medium: nothing moves, nothing saved
        {nullptr, "/prog", true, "/prog", 0},         // a folder only updates the value
    };
    for (const auto& row : rows) {
        FakeWindow w;
        w.platform.writes = 0;
        ASSERT_TRUE(row.useFolderList ? w.platform.SetFolderListPath(row.folder) : w.platform.SetDriveText(row.drive));
        EXPECT_EQ(w.platform.folderList, row.expected);
        EXPECT_EQ(w.form.Values().folderPath, row.expected);
        EXPECT_EQ(w.platform.writes, row.writes);
    }
}

TEST(MainformTest, FolderBlanksAreTrimmedOnlyWhereTheyCannotBelongToAName) {
    const struct {
        char separator;
        const char *path, *value;
    } rows[] = {{'\\', "  C:\\Music  ", "C:\\Music"}, {'\\', "   ", ""}, {'/', " /music/abc ", " /music/abc "}};
    for (const auto& row : rows) {
        FakeWindow w;
        w.platform.separator = row.separator;
        w.platform.folderList = row.path;
        w.form.Dir1_Change();
        EXPECT_EQ(w.form.Values().folderPath, row.value);
    }
}

TEST(MainformTest, AutorunRunsOnceAtTheNextStart) {
    FakeWindow first;
    first.platform.SetChecked(CheckBox::autorunbox, true);
    first.form.Form_Activate();
    EXPECT_TRUE(first.platform.asked.empty());
    first.form.Form_Unload();

    FakeWindow next(first.platform.settings);
    next.form.Form_Activate();
    next.form.Form_Activate();  // a toolkit may activate the window again
    ASSERT_EQ(next.platform.asked.size(), 1u);
    EXPECT_EQ(next.platform.asked[0].second, "done");
    EXPECT_TRUE(next.form.Values().autorunPending);  // only the settings file sets it
}

}  // namespace
}  // namespace nomvary
