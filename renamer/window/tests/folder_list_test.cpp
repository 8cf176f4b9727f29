#include "folder_list.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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
    FolderList list;
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

}  // namespace
}  // namespace nomvary
