#include "mainform.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"

namespace nomvary {
namespace {

using testing::FakePlatform;

struct Window {
    FakePlatform platform;
    Mainform form{platform};
    Window() {
        platform.form = &form;
        platform.drives["/mnt/usb"] = "/mnt/usb";
        platform.drives["/mnt/cdrom"] = std::nullopt;  // no medium
        platform.existingFolders.insert("/mnt/usb");
        form.form_load();
        platform.journal.clear();
    }
};

TEST(MainformTest, FirstStartShowsTheDesignedDefaults) {
    Window w;
    const FakePlatform& p = w.platform;
    EXPECT_EQ(p.Option(OptionArray::blankopt), 0);
    EXPECT_EQ(p.Option(OptionArray::fnamopt), 0);
    for (CheckBox box : {CheckBox::autorunbox, CheckBox::capcheck, CheckBox::capsubcheck, CheckBox::featcheck,
                         CheckBox::vscheck}) {
        EXPECT_FALSE(p.Checked(box));
    }
    EXPECT_FALSE(p.Enabled(CheckBox::capsubcheck));
    EXPECT_EQ(w.form.Values().filePattern, "*.mp3");
    EXPECT_EQ(w.form.Values().folderPath, "/music");  // the list's folder, though no handler ran
    EXPECT_EQ(p.settingsFile, std::string());  // created empty, filled by the first save
}

TEST(MainformTest, CapitalizeEnablesTheBracketBoxAndKeepsItsMark) {
    Window w;
    w.platform.SetChecked(CheckBox::capcheck, true);
    EXPECT_TRUE(w.platform.Enabled(CheckBox::capsubcheck));
    w.platform.SetChecked(CheckBox::capsubcheck, true);
    w.platform.SetChecked(CheckBox::capcheck, false);
    EXPECT_FALSE(w.platform.Enabled(CheckBox::capsubcheck));
    EXPECT_TRUE(w.platform.Checked(CheckBox::capsubcheck));
    w.form.Form_Unload();
    EXPECT_EQ((*w.platform.settingsFile)[516], 1);
}

TEST(MainformTest, OptionClicks) {
    const struct {
        OptionArray array;
        int index;
        bool blankToUnderscore, allFiles;
        const char* pattern;
    } rows[] = {
        {OptionArray::blankopt, 1, true, false, "*.mp3"},
        {OptionArray::fnamopt, 1, false, true, "*.*"},
        {OptionArray::fnamopt, 0, false, false, "*.mp3"},
    };
    for (const auto& row : rows) {
        Window w;
        w.platform.SelectOption(row.array, row.index);
        EXPECT_EQ(w.form.Values().blankToUnderscore, row.blankToUnderscore);
        EXPECT_EQ(w.form.Values().allFiles, row.allFiles);
        EXPECT_EQ(w.form.Values().filePattern, row.pattern);
    }
}

TEST(MainformTest, DriveChangeMovesToTheRootAndSaves) {
    Window w;
    ASSERT_TRUE(w.platform.SetDriveText("/mnt/usb"));
    EXPECT_EQ(w.platform.folderListPath, "/mnt/usb");
    EXPECT_EQ(w.form.Values().folderPath, "/mnt/usb");
    EXPECT_EQ(w.platform.Count("events"), 1u);
    EXPECT_EQ(w.platform.Count("write"), 1u);
    EXPECT_EQ(w.platform.settingsFile->substr(0, 8), "/mnt/usb");
}

TEST(MainformTest, DriveWithoutMediumChangesNothing) {
    Window w;
    ASSERT_TRUE(w.platform.SetDriveText("/mnt/cdrom"));
    EXPECT_EQ(w.platform.folderListPath, "/music");
    EXPECT_EQ(w.form.Values().folderPath, "/music");
    EXPECT_EQ(w.platform.Count("write"), 0u);
}

TEST(MainformTest, FolderChangeOnlyUpdatesTheValue) {
    Window w;
    ASSERT_TRUE(w.platform.SetFolderListPath("/prog"));
    EXPECT_EQ(w.form.Values().folderPath, "/prog");
    EXPECT_EQ(w.platform.Count("write"), 0u);
}

TEST(MainformTest, FolderBlanksAreTrimmedOnlyWhereTheyCannotBeNamePart) {
    const struct {
        char separator;
        const char* path;
        const char* value;
    } rows[] = {
        {'\\', "  C:\\Music  ", "C:\\Music"},
        {'\\', "   ", ""},
        {'/', "/music/abc ", "/music/abc "},
    };
    for (const auto& row : rows) {
        Window w;
        w.platform.separator = row.separator;
        w.platform.folderListPath = row.path;
        w.form.Dir1_Change();
        EXPECT_EQ(w.form.Values().folderPath, row.value);
    }
}

TEST(MainformTest, AutorunRunsOnceAtTheNextStart) {
    Window w;
    w.platform.SetChecked(CheckBox::autorunbox, true);
    w.form.Form_Activate();
    EXPECT_TRUE(w.platform.questions.empty());
    w.form.Form_Unload();

    FakePlatform next;
    next.settingsFile = w.platform.settingsFile;
    Mainform form(next);
    next.form = &form;
    form.form_load();
    form.Form_Activate();
    form.Form_Activate();
    ASSERT_EQ(next.questions.size(), 1u);
    EXPECT_EQ(next.questions[0].second, "done");
}

TEST(MainformTest, UnloadSavesAndAboutShowsTheProgram) {
    Window w;
    w.form.Form_Unload();
    EXPECT_EQ(w.platform.settingsFile->size(), 519u);
    w.form.Command2_Click();
    ASSERT_EQ(w.platform.messages.size(), 1u);
    EXPECT_NE(w.platform.messages[0].first.find("Nomvary 1.0"), std::string::npos);
}

}  // namespace
}  // namespace nomvary
