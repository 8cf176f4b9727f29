// The real window over a folder in place of its settings file: it opens with
// its designed defaults, and closing it loses nothing.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "folder_list.h"
#include "main_window.h"
#include "posix_file_system.h"
#include "posix_settings_file.h"
#include "qt_platform.h"
#include "settings.h"
#include "temp_folder.h"

namespace nomvary {
namespace {

class FolderFiles : public PosixFileSystem {
public:
    std::string ProgramFolder() override { return m_programFolder; }
    std::string m_programFolder;
};

class FolderDialogs : public QtDialogs {
public:
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    void ShowMessage(const std::string&, const std::string&) override {}
};

TEST(SettingsHostileWindowTest, FolderInPlaceOfTheSettingsFile) {
    TempFolder temp;
    ASSERT_FALSE(temp.Path().empty());
    const std::filesystem::path start = std::filesystem::current_path();
    std::filesystem::create_directories(temp.Path() / "prog" / kSettingsFileName);
    std::ofstream(temp.Path() / "prog" / kSettingsFileName / "keep.txt") << "precious";
    std::filesystem::create_directories(temp.Path() / "A");
    FolderFiles files;
    files.m_programFolder = temp / "prog";
    FolderDialogs dialogs;
    PosixSettingsFile settingsFile;
    const std::vector<Drive> drives = {{"A [t]", temp / "A"}};
    {
        MainWindow window(files, settingsFile, dialogs, [&drives] { return drives; });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(window.Option(OptionArray::blankopt, 0)->isChecked());
        EXPECT_TRUE(window.Option(OptionArray::fnamopt, 0)->isChecked());
        for (CheckBox box : {CheckBox::autorunbox, CheckBox::capcheck, CheckBox::capsubcheck, CheckBox::featcheck,
                             CheckBox::vscheck}) {
            EXPECT_FALSE(window.Box(box)->isChecked());
        }
        EXPECT_FALSE(window.Box(CheckBox::capsubcheck)->isEnabled());
        EXPECT_EQ(window.Form().Values().folderPath, window.Dir1()->Path());
        window.close();
    }
    std::filesystem::current_path(start);
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "prog" / kSettingsFileName));
    std::ifstream kept(temp.Path() / "prog" / kSettingsFileName / "keep.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "precious");
}

}  // namespace
}  // namespace nomvary
