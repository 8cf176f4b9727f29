#include "folder_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace nomvary {
namespace {

std::vector<std::string> EntryPaths(const FolderList& list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list.count(); ++i) paths.push_back(FolderList::EntryPath(list.item(i)));
    return paths;
}

class FolderListTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_temp.Path().empty());
        m_root = m_temp.Path().native();
        // A name that is not UTF-8 must come back byte for byte.
        for (const char* name : {"b", "A", "c", ".hidden", "caf\xe9"}) {
            std::filesystem::create_directory(m_temp / name);
        }
        std::filesystem::create_directory(m_temp / "b/inner");
        std::ofstream(m_temp / "file.mp3") << "x";
    }

    TempFolder m_temp;
    std::string m_root;
};

TEST_F(FolderListTest, ShowsTheChainDownToTheFolderThenItsSubfolders) {
    FolderList list;
    ASSERT_TRUE(list.SetPath(m_root + "/b/../"));
    EXPECT_EQ(list.Path(), m_root);

    std::vector<std::string> expected = {"/"};
    for (std::size_t slash = m_root.find('/', 1); slash != std::string::npos; slash = m_root.find('/', slash + 1)) {
        expected.push_back(m_root.substr(0, slash));
    }
    expected.push_back(m_root);
    const int current = static_cast<int>(expected.size()) - 1;
    for (const char* name : {"A", "b", "c", "caf\xe9"}) expected.push_back(m_root + "/" + name);
    EXPECT_EQ(EntryPaths(list), expected);
    EXPECT_EQ(list.currentRow(), current);
}

TEST_F(FolderListTest, RefusesWhatIsNoReadableFolder) {
    FolderList list;
    ASSERT_TRUE(list.SetPath(m_root));
    const std::vector<std::string> before = EntryPaths(list);
    for (const std::string& bad : {m_root + "/missing", m_temp / "file.mp3", std::string()}) {
        EXPECT_FALSE(list.SetPath(bad)) << bad;
        EXPECT_EQ(list.Path(), m_root);
        EXPECT_EQ(EntryPaths(list), before);
    }
}

TEST_F(FolderListTest, OpensByDoubleClickAndEnterButNotByArrows) {
    FolderList list;
    list.resize(300, 400);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ASSERT_TRUE(list.SetPath(m_root));
    int changes = 0;
    QObject::connect(&list, &FolderList::pathChanged, [&changes] { ++changes; });

    // Down from the current folder highlights "A", then "b"; no change yet.
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.Path(), m_root);
    EXPECT_EQ(changes, 0);

    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.Path(), m_root + "/b");
    EXPECT_EQ(changes, 1);

    // The parent is the entry just above the current folder.
    const QRect parent = list.visualItemRect(list.item(list.currentRow() - 1));
    // A real double click starts with a press of its own.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, parent.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, parent.center());
    EXPECT_EQ(list.Path(), m_root);
    EXPECT_EQ(changes, 2);

    // A folder that vanished is not entered; the list shows what is left.
    std::filesystem::remove(m_temp / "c");
    list.setCurrentRow(list.currentRow() + 3);
    QTest::keyClick(&list, Qt::Key_Enter);
    EXPECT_EQ(list.Path(), m_root);
    EXPECT_EQ(changes, 2);
    const std::vector<std::string> after = EntryPaths(list);
    EXPECT_EQ(std::count(after.begin(), after.end(), m_root + "/c"), 0);
    EXPECT_EQ(after.back(), m_root + "/caf\xe9");
}

}  // namespace
}  // namespace nomvary
