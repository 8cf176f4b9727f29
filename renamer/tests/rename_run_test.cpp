#include "rename_run.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "mainform.h"

#include <cerrno>

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
        {"collision", {"a_b.mp3", "a b.mp3"}, false, false, "/music", {"a_b.mp3", "a b.mp3"},
         "No files were renamed. 1 could not be renamed: name taken (1)."},
        {"refused", {"a_1.mp3", "b_2.mp3", "c_3.mp3"}, false, false, "/music", {"a 1.mp3", "b_2.mp3", "c 3.mp3"},
         "2 files renamed. 1 could not be renamed: permission denied (1)."},
        {"failures grouped by reason, in the order met", {"a_b.mp3", "a b.mp3", "b_2.mp3", "c_d.mp3", "e_f.mp3", "e f.mp3"},
         false, false, "/music", {"a_b.mp3", "a b.mp3", "b_2.mp3", "c d.mp3", "e_f.mp3", "e f.mp3"},
         "1 file renamed. 3 could not be renamed: name taken (2), permission denied (1)."},
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

// A close asked for during a run stops it after the file at hand, then
// closes as a close does: no "Exit now?", the settings saved, the end.
TEST(RenameFolderTest, ACloseDuringTheRunStopsItAndCloses) {
    Form f("/music");
    f.platform.files = {"a_1.mp3", "b_2.mp3"};
    f.platform.onEvents = [&f] { EXPECT_FALSE(f.form.Form_QueryUnload()); };
    f.form.RenameFolder();
    EXPECT_EQ(f.platform.files, (Names{"a 1.mp3", "b_2.mp3"}));
    EXPECT_TRUE(f.platform.asked.empty());
    EXPECT_EQ(f.platform.writesAtEnd, 1);
    EXPECT_EQ(f.platform.currentFolder, "/prog");
    f.platform.onEvents = nullptr;
    EXPECT_TRUE(f.form.Form_QueryUnload());
}

// Preview lists the run's renames in run order, as nomvary-cli -n prints
// them, and renames nothing.
TEST(PreviewTest, ListsWhatRunWouldDo) {
    const std::string taken = "  (taken by an existing file: would fail)";
    const struct {
        const char* what;
        Names files;
        int folderError;
        Names preview;  // the summary, then the lines
    } rows[] = {
        {"renames and a name taken", {"a_b.mp3", "a b.mp3", "c_d.mp3", "e.mp3"}, 0,
         {"1 file would be renamed. 1 would fail.", "a_b.mp3 -> a b.mp3" + taken, "c_d.mp3 -> c d.mp3"}},
        {"taken by an earlier rename", {"x y.MP3", "x_y.mp3"}, 0,
         {"1 file would be renamed. 1 would fail.", "x y.MP3 -> x y.mp3",
          "x_y.mp3 -> x y.mp3  (taken by an earlier rename of this run: would fail)"}},
        {"folder not writable", {"a_b.mp3", "c_d.mp3"}, EROFS,
         {"No files would be renamed. 2 would fail.", "a_b.mp3 -> a b.mp3  (folder not writable: would fail)",
          "c_d.mp3 -> c d.mp3  (folder not writable: would fail)"}},
        {"a control byte", {"a\nb_c.mp3"}, 0, {"1 file would be renamed.", "$'a\\nb_c.mp3' -> $'a\\nb c.mp3'"}},
        {"nothing to do", {"A.mp3"}, 0, {"No files would be renamed."}},
    };
    for (const auto& row : rows) {
        Form f("/music");
        f.platform.files = row.files;
        f.platform.folderWriteError = row.folderError;
        f.form.Command3_Click();
        EXPECT_EQ(f.platform.previews, row.preview) << row.what;
        EXPECT_EQ(f.platform.files, row.files) << row.what;
        EXPECT_TRUE(f.platform.asked.empty()) << row.what;
    }
}

TEST(QuotedNameTest, OneLinePerName) {
    const struct {
        std::string name, printed;
    } rows[] = {
        {"plain name.mp3", "plain name.mp3"},
        {"it's \\ \xC3\xA9.mp3", "it's \\ \xC3\xA9.mp3"},  // no control byte: as it is
        {"a\nb", "$'a\\nb'"},
        {"\a\b\t\n\v\f\r\x1B", "$'\\a\\b\\t\\n\\v\\f\\r\\e'"},
        {std::string("x\x01\x1F\x7F", 4), "$'x\\001\\037\\177'"},
        {"it's\t\\", "$'it\\'s\\t\\\\'"},
    };
    for (const auto& row : rows) EXPECT_EQ(QuotedName(row.name), row.printed) << row.printed;
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
