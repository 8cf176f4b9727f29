#include "rename_run.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace nomvary {
namespace {

using testing::FakePlatform;

TEST(RenameSummaryTest, Texts) {
    const struct {
        std::int32_t count;
        const char* text;
    } rows[] = {
        {0, "No files were renamed."},
        {1, "1 file renamed."},
        {2, "2 files renamed."},
        {5, "5 files renamed."},
        {INT32_MAX, "2147483647 files renamed."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RenameSummary(row.count), row.text);
    }
}

struct RunRow {
    const char* what;
    std::vector<std::string> files;
    bool allFiles;
    bool capcheck;
    std::vector<std::string> expectedFiles;
    const char* summary;
};

TEST(RenameFolderTest, Runs) {
    const RunRow rows[] = {
        {"two of three need a new name", {"a_b.mp3", "C D.mp3", "e_f.mp3"}, false, false,
         {"a b.mp3", "C D.mp3", "e f.mp3"}, "2 files renamed."},
        {"all in final form", {"A B.mp3", "C.mp3"}, false, true, {"A B.mp3", "C.mp3"}, "No files were renamed."},
        {"case only", {"SONG.MP3"}, false, false, {"SONG.mp3"}, "1 file renamed."},
        {"just mp3's", {"a.txt", "B.MP3"}, false, true, {"a.txt", "B.mp3"}, "1 file renamed."},
        {"all files", {"a.txt", "B.MP3"}, true, true, {"A.txt", "B.mp3"}, "2 files renamed."},
        {"collision", {"a_b.mp3", "a b.mp3"}, false, false, {"a_b.mp3", "a b.mp3"}, "No files were renamed."},
        {"empty folder", {}, false, true, {}, "No files were renamed."},
    };
    for (const RunRow& row : rows) {
        FakePlatform platform;
        platform.files = row.files;
        platform.checked[static_cast<std::size_t>(CheckBox::capcheck)] = row.capcheck;
        MainformValues values;
        values.folderPath = "/music";
        values.allFiles = row.allFiles;
        RenameFolder(values, platform);
        EXPECT_EQ(platform.files, row.expectedFiles) << row.what;
        ASSERT_EQ(platform.questions.size(), 1u) << row.what;
        EXPECT_EQ(platform.questions[0].first, std::string(row.summary) + "\r\nExit now?") << row.what;
        EXPECT_EQ(platform.questions[0].second, "done") << row.what;
        EXPECT_FALSE(values.running) << row.what;
        EXPECT_EQ(values.filePattern, row.allFiles ? "*.*" : "*.mp3") << row.what;
    }
}

TEST(RenameFolderTest, FailedRenameIsNotCountedAndTheRunGoesOn) {
    FakePlatform platform;
    platform.files = {"a_1.mp3", "b_2.mp3", "c_3.mp3"};
    platform.refusedRenames = {"b_2.mp3"};
    MainformValues values;
    values.folderPath = "/music";
    RenameFolder(values, platform);
    EXPECT_EQ(platform.files, (std::vector<std::string>{"a 1.mp3", "b_2.mp3", "c 3.mp3"}));
    EXPECT_EQ(platform.questions.at(0).first, "2 files renamed.\r\nExit now?");
}

TEST(RenameFolderTest, MissingFolderStillAsks) {
    FakePlatform platform;
    platform.files = {"a_b.mp3"};
    MainformValues values;
    values.folderPath = "/gone";
    platform.answerYes = true;
    RenameFolder(values, platform);
    EXPECT_EQ(platform.questions.at(0).first, "No files were renamed.\r\nExit now?");
    EXPECT_TRUE(platform.ended);
}

TEST(RenameFolderTest, ClickDuringTheRunDoesNotStartAnother) {
    FakePlatform platform;
    platform.files = {"a_b.mp3"};
    MainformValues values;
    values.folderPath = "/music";
    int reentries = 0;
    platform.onPendingEvents = [&] {
        ++reentries;
        RenameFolder(values, platform);
    };
    RenameFolder(values, platform);
    EXPECT_EQ(reentries, 1);
    EXPECT_EQ(platform.listingRequests.size(), 1u);
    EXPECT_EQ(platform.questions.size(), 1u);
}

TEST(RenameFolderTest, YesSavesThenEndsAndNoKeepsEverything) {
    for (const bool yes : {true, false}) {
        FakePlatform platform;
        platform.files = {"a_b.mp3"};
        platform.answerYes = yes;
        MainformValues values;
        values.folderPath = "/music";
        RenameFolder(values, platform);
        EXPECT_EQ(platform.ended, yes);
        EXPECT_EQ(platform.Count("write"), yes ? 1u : 0u);
        EXPECT_EQ(platform.settingsFile.has_value(), yes);
        if (yes) {
            EXPECT_EQ(platform.journal.back(), "end");
            EXPECT_EQ(platform.settingsFile->size(), 519u);
        }
        EXPECT_EQ(values.folderPath, "/music");
        EXPECT_EQ(platform.currentFolder, "/prog");
    }
}

TEST(RenameFolderTest, DriveRootLosesItsTrailingSeparator) {
    const struct {
        char separator;
        const char* folder;
        const char* listing;
        const char* kept;
    } rows[] = {
        {'/', "/", "/*.mp3", ""},
        {'\\', "C:\\", "C:\\*.mp3", "C:"},
        {'/', "/music/", "/music/*.mp3", "/music"},
    };
    for (const auto& row : rows) {
        FakePlatform platform;
        platform.separator = row.separator;
        MainformValues values;
        values.folderPath = row.folder;
        RenameFolder(values, platform);
        ASSERT_EQ(platform.listingRequests.size(), 1u);
        EXPECT_EQ(platform.listingRequests[0], row.listing);
        EXPECT_EQ(values.folderPath, row.kept);
    }
}

TEST(RenameFolderTest, RunsInTheChosenFolder) {
    FakePlatform platform;
    platform.files = {"a_b.mp3"};
    MainformValues values;
    values.folderPath = "/music";
    std::string folderDuringEvents;
    platform.onPendingEvents = [&] { folderDuringEvents = platform.currentFolder; };
    RenameFolder(values, platform);
    EXPECT_EQ(folderDuringEvents, "/music");
    EXPECT_EQ(platform.currentFolder, "/prog");
}

// "Exclude" boxes are read before events are processed, the rest after: a
// change made during that one event pass reaches only the latter.
TEST(RenameFolderTest, OptionsAreReadWhereTheRunReadsThem) {
    FakePlatform platform;
    platform.files = {"x vs. y.mp3"};
    MainformValues values;
    values.folderPath = "/music";
    platform.onPendingEvents = [&] {
        platform.SetChecked(CheckBox::capcheck, true);
        platform.SetChecked(CheckBox::vscheck, true);
    };
    RenameFolder(values, platform);
    EXPECT_EQ(platform.files, std::vector<std::string>{"X Vs. Y.mp3"});
}

}  // namespace
}  // namespace nomvary
