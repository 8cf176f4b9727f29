#include "folder_list.h"
#include "linux_file_system.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "testing/temp_folder.h"

namespace nomvary {
namespace {

std::vector<std::string> EntryPaths(const FolderList& list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list.count(); ++i) paths.push_back(FolderList::EntryPath(list.item(i)));
    return paths;
}

TEST(FolderList, ShowsTheChainThenTheSubfoldersAndRefusesNonFolders) {
    testkit::TempFolder temp("nomvary-folders");
    const std::string root = temp.Path().native();
    // "caf\xe9" is no UTF-8: it must come back byte for byte.
    for (const char* name : {"b/inner", "A", "c", ".hidden", "caf\xe9"}) std::filesystem::create_directories(temp / name);
    LinuxFileSystem files;
    FolderList list(files);
    ASSERT_TRUE(list.SetPath(root + "/b/../"));
    EXPECT_EQ(list.Path(), root);

    std::vector<std::string> expected = {"/"};
    for (std::size_t slash = root.find('/', 1); slash != std::string::npos; slash = root.find('/', slash + 1)) {
        expected.push_back(root.substr(0, slash));
    }
    expected.push_back(root);
    const int current = static_cast<int>(expected.size()) - 1;
    for (const char* name : {"A", "b", "c", "caf\xe9"}) expected.push_back(root + "/" + name);
    EXPECT_EQ(EntryPaths(list), expected);
    EXPECT_EQ(list.currentRow(), current);

    for (const std::string& bad : {root + "/missing", std::string()}) {
        EXPECT_FALSE(list.SetPath(bad)) << bad;
        EXPECT_EQ(EntryPaths(list), expected);
    }

    // The highlight is the chosen folder: the arrows choose without opening,
    // Enter opens; a vanished folder is not chosen and drops out of the list.
    int changes = 0;
    QObject::connect(&list, &FolderList::pathChanged, [&changes] { ++changes; });
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.Path(), root + "/b");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(EntryPaths(list), expected);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.Path(), root + "/b");
    EXPECT_EQ(EntryPaths(list).back(), root + "/b/inner");
    EXPECT_EQ(changes, 2);
    ASSERT_TRUE(list.SetPath(root));
    std::filesystem::remove(temp / "c");
    list.setCurrentRow(current + 3);
    QTest::qWait(1);
    EXPECT_EQ(list.Path(), root);
    EXPECT_EQ(FolderList::EntryPath(list.currentItem()), root);
    const std::vector<std::string> after = EntryPaths(list);
    EXPECT_EQ(std::count(after.begin(), after.end(), root + "/c"), 0);
    EXPECT_EQ(changes, 2);
}

// A folder that cannot be read shows unavailable and says why; the arrow
// keys pass over it. Reread, and opening the open folder again, show folders
// made meanwhile.
TEST(FolderList, PassesOverUnreadableFoldersAndRereads) {
    testkit::TempFolder temp("nomvary-folders");
    const std::string root = temp.Path().native();
    for (const char* name : {"a", "b", "c"}) std::filesystem::create_directories(temp / name);
    // As root on CI no permission bit stops a read: the file system says so.
    struct LockedFiles : LinuxFileSystem {
        std::string locked;
        bool IsReadableFolder(const std::string& path) override {
            return path != locked && LinuxFileSystem::IsReadableFolder(path);
        }
    } files;
    files.locked = root + "/b";
    FolderList list(files);
    ASSERT_TRUE(list.SetPath(root));
    const int open = list.currentRow();
    QListWidgetItem* locked = list.item(open + 2);
    ASSERT_EQ(FolderList::EntryPath(locked), root + "/b");
    EXPECT_FALSE(locked->flags() & Qt::ItemIsEnabled);
    EXPECT_TRUE(locked->toolTip().contains(QStringLiteral("Cannot be opened"))) << locked->toolTip().toStdString();

    const struct {
        const char* what;
        std::function<void()> act;
        std::string path;
        std::vector<std::string> below;  // the entries after the open folder's
    } steps[] = {
        {"down", [&] { QTest::keyClick(&list, Qt::Key_Down); }, root + "/a", {"a", "b", "c"}},
        {"down past b", [&] { QTest::keyClick(&list, Qt::Key_Down); }, root + "/c", {"a", "b", "c"}},
        {"reread", [&] { temp.Write("d/x", ""); list.Reread(); }, root + "/c", {"a", "b", "c", "d"}},
        {"up to the open folder", [&] { for (int k = 0; k < 2; ++k) QTest::keyClick(&list, Qt::Key_Up); }, root,
         {"a", "b", "c", "d"}},
        {"opened again", [&] { temp.Write("e/x", ""); QTest::keyClick(&list, Qt::Key_Return); }, root,
         {"a", "b", "c", "d", "e"}},
        {"reread after the chosen one went", [&] {
             list.setCurrentRow(open + 5);
             std::filesystem::remove_all(temp / "e");
             list.Reread();
         }, root, {"a", "b", "c", "d"}},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(list.Path(), step.path) << step.what;
        std::vector<std::string> below;
        for (int i = open + 1; i < list.count(); ++i) below.push_back(FolderList::EntryPath(list.item(i)).substr(root.size() + 1));
        EXPECT_EQ(below, step.below) << step.what;
    }
}

// A deep folder's entry is never cut: the list scrolls sideways. While the
// list has the keyboard focus, its current entry shows a mark.
TEST(FolderList, ScrollsSidewaysAndMarksTheFocus) {
    testkit::TempFolder temp("nomvary-folders");
    std::string deep = temp.Path().native();
    for (int k = 0; k < 12; ++k) deep += "/level_" + std::to_string(k) + "_with_a_long_name";
    std::filesystem::create_directories(deep);
    LinuxFileSystem files;
    FolderList list(files);
    list.resize(170, 216);  // the window's size for it
    ASSERT_TRUE(list.SetPath(deep));
    list.show();
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));

    const QListWidgetItem* deepest = list.currentItem();
    const int depth = list.count() - 1;
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(list.visualItemRect(deepest).width(),
              depth * 12 + QFontMetrics(list.font()).horizontalAdvance(deepest->text()));

    list.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&list] { return list.hasFocus(); }));
    const QImage focused = list.viewport()->grab().toImage();
    list.clearFocus();
    const QImage unfocused = list.viewport()->grab().toImage();
    // The mark: a dotted line in the selected text's colour along the entry.
    const QRect entry = list.visualItemRect(deepest).intersected(list.viewport()->rect());
    const auto marked = [&entry, &list](const QImage& image) {
        int dots = 0;
        for (int x = entry.left(); x <= entry.right(); ++x) {
            dots += image.pixelColor(x, entry.top()) == list.palette().color(QPalette::HighlightedText);
        }
        return dots;
    };
    EXPECT_GT(marked(focused), entry.width() / 4);
    EXPECT_EQ(marked(unfocused), 0);
}

}  // namespace
}  // namespace nomvary
