#include "rename_run.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "mainform.h"

namespace nomvary {
namespace {

using fakes::FakePlatform;
using Names = std::vector<std::string>;

// A form over the fake with `folder` chosen, not loaded from any settings.
struct Form {
    FakePlatform platform;
    Mainform form{platform.Parts()};
    MainformValues& values = form.Values();
    explicit Form(const std::string& folder, bool allFiles = false) {
        platform.form = &form;
        values.folderPath = folder;
        values.allFiles = allFiles;
    }
};

TEST(RenameSummaryTest, Texts) {
    EXPECT_EQ(RenameSummary(0), "No files were renamed.");
    EXPECT_EQ(RenameSummary(1), "1 file renamed.");
    EXPECT_EQ(RenameSummary(5), "5 files renamed.");
    EXPECT_EQ(RenameSummary(2147483647), "2147483647 files renamed.");
}

TEST(RenameFolderTest, Runs) {
    const struct {
        const char* what;
        Names files;
        bool allFiles, capcheck;
        const char* folder;
        Names after;
        const char* summary;
        std::size_t cancelAfter = SIZE_MAX;  // Cancel pressed after this many files
    } rows[] = {
        {"two of three", {"a_b.mp3", "C D.mp3", "e_f.mp3"}, false, false, "/music", {"a b.mp3", "C D.mp3", "e f.mp3"},
         "2 files renamed."},
        {"all final", {"A B.mp3", "C.mp3"}, false, true, "/music", {"A B.mp3", "C.mp3"}, "No files were renamed."},
        {"case only", {"SONG.MP3"}, false, false, "/music", {"SONG.mp3"}, "1 file renamed."},
        {"just mp3's", {"a.txt", "B.MP3"}, false, true, "/music", {"a.txt", "B.mp3"}, "1 file renamed."},
        {"all files", {"a.txt", "B.MP3"}, true, true, "/music", {"A.txt", "B.mp3"}, "2 files renamed."},
        {"collision", {"a_b.mp3", "a b.mp3"}, false, false, "/music", {"a_b.mp3", "a b.mp3"}, "No files were renamed."},
        {"refused", {"a_1.mp3", "b_2.mp3", "c_3.mp3"}, false, false, "/music", {"a 1.mp3", "b_2.mp3", "c 3.mp3"},
         "2 files renamed."},
        {"missing folder", {"a_b.mp3"}, false, false, "/gone", {"a_b.mp3"}, "No files were renamed."},
        {"cancelled", {"a_1.mp3", "b.mp3", "c_3.mp3", "d_4.mp3"}, false, false, "/music",
         {"a 1.mp3", "b.mp3", "c 3.mp3", "d_4.mp3"}, "2 files renamed.", 3},
    };
    for (const auto& row : rows) {
        Form f(row.folder, row.allFiles);
        FakePlatform& platform = f.platform;
        const MainformValues& values = f.values;
        platform.files = row.files;
        platform.refused = {"b_2.mp3"};
        platform.checks[static_cast<int>(CheckBox::capcheck)] = row.capcheck;
        platform.cancelAfter = row.cancelAfter;
        f.form.RenameFolder();
        EXPECT_EQ(platform.files, row.after) << row.what;
        ASSERT_EQ(platform.asked.size(), 1u) << row.what;
        EXPECT_EQ(platform.asked[0].first, std::string(row.summary) + "\r\nExit now?") << row.what;
        EXPECT_EQ(platform.asked[0].second, "done") << row.what;
        EXPECT_EQ(values.filePattern, row.allFiles ? "*.*" : "*.mp3") << row.what;
        EXPECT_FALSE(values.running) << row.what;
        EXPECT_EQ(platform.currentFolder, "/prog") << row.what;
    }
}

// A click handled while the run processes events enters the run again and
// must return at once; a box changed then counts only if read afterwards.
TEST(RenameFolderTest, EventsDuringTheRun) {
    Form f("/music");
    FakePlatform& platform = f.platform;
    platform.files = {"x vs. y.mp3"};
    std::string folderDuringEvents;
    platform.onEvents = [&] {
        folderDuringEvents = platform.currentFolder;
        platform.SetChecked(CheckBox::capcheck, true);
        platform.SetChecked(CheckBox::vscheck, true);
        f.form.RenameFolder();
    };
    f.form.RenameFolder();
    EXPECT_EQ(platform.listings.size(), 1u);
    EXPECT_EQ(platform.asked.size(), 1u);
    EXPECT_EQ(folderDuringEvents, "/music");
    EXPECT_EQ(platform.files, Names{"X Vs. Y.mp3"});
}

TEST(RenameFolderTest, YesSavesThenEndsNoKeepsEverything) {
    for (const bool yes : {true, false}) {
        Form f("/music");
        f.platform.answerYes = yes;
        f.form.RenameFolder();
        EXPECT_EQ(f.platform.writesAtEnd, yes ? 1 : -1);
        EXPECT_EQ(f.platform.settings.has_value(), yes);
        EXPECT_EQ(f.values.folderPath, "/music");
    }
}

TEST(RenameFolderTest, DriveRootLosesItsTrailingSeparator) {
    const struct {
        char separator;
        const char *folder, *listing, *kept;
    } rows[] = {{'/', "/", "/*.mp3", ""}, {'\\', "C:\\", "C:\\*.mp3", "C:"}, {'/', "/music/", "/music/*.mp3", "/music"}};
    for (const auto& row : rows) {
        Form f(row.folder);
        f.platform.separator = row.separator;
        f.form.RenameFolder();
        EXPECT_EQ(f.platform.listings, Names{row.listing});
        EXPECT_EQ(f.values.folderPath, row.kept);
    }
}

}  // namespace
}  // namespace nomvary
