#include "main_window.h"

#include <array>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "drive_list.h"
#include "folder_list.h"
#include "qt_platform.h"
#include "settings.h"
#include "temp_folder.h"

namespace nomvary {
namespace {

// The real Qt platform with the program folder, the drives and the boxes
// redirected, so nothing blocks and nothing lands beside the test program.
class TestPlatform : public QtPlatform {
public:
    std::string ProgramFolder() override { return m_programFolder; }
    std::vector<Drive> AvailableDrives() override { return m_drives; }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        m_asked.emplace_back(text, title);
        return m_answerYes;
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        m_shown.emplace_back(text, title);
    }
    void ProcessPendingEvents() override {
        if (m_beforeEvents) std::exchange(m_beforeEvents, nullptr)();
        QtPlatform::ProcessPendingEvents();
    }

    std::string m_programFolder;
    std::vector<Drive> m_drives;
    bool m_answerYes = false;
    std::vector<std::pair<std::string, std::string>> m_asked;
    std::vector<std::pair<std::string, std::string>> m_shown;
    std::function<void()> m_beforeEvents;
};

std::string Padded(std::string text) {
    text.resize(kSettingsTextSize, ' ');
    return text;
}

std::string Record(const std::string& drive, const std::string& folder, std::array<char, 7> options) {
    return Padded(drive) + Padded(folder) + std::string(options.begin(), options.end());
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_temp.Path().empty());
        m_startFolder = std::filesystem::current_path();
        for (const char* folder : {"prog", "driveA", "driveB/sub", "driveB/zzz"}) {
            std::filesystem::create_directories(m_temp / folder);
        }
        m_platform.m_programFolder = m_temp / "prog";
        m_platform.m_drives = {{"A [test]", m_temp / "driveA"},
                               {"B [test]", m_temp / "driveB"},
                               {"Gone [test]", m_temp / "nowhere"}};
        m_settings = m_temp / "prog/nomvary.ini";
    }
    void TearDown() override { std::filesystem::current_path(m_startFolder); }

    void WriteSettings(const std::string& bytes) { std::ofstream(m_settings, std::ios::binary) << bytes; }
    std::string ReadSettings() {
        std::ifstream in(m_settings, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    template <typename T>
    static T* Find(MainWindow& window, const char* name) {
        T* widget = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void ShowActive(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    TempFolder m_temp;
    std::filesystem::path m_startFolder;
    TestPlatform m_platform;
    std::string m_settings;
};

TEST_F(MainWindowTest, FirstStartShowsTheDesignedDefaults) {
    MainWindow window(m_platform);
    EXPECT_EQ(window.objectName(), "Mainform");
    EXPECT_EQ(window.windowTitle(), "Nomvary");
    EXPECT_TRUE(Find<QRadioButton>(window, "blankopt_0")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(window, "fnamopt_0")->isChecked());
    for (const char* box : {"autorunbox", "capcheck", "capsubcheck", "featcheck", "vscheck"}) {
        EXPECT_FALSE(Find<QCheckBox>(window, box)->isChecked()) << box;
    }
    EXPECT_FALSE(Find<QCheckBox>(window, "capsubcheck")->isEnabled());
    EXPECT_EQ(window.Form().Values().filePattern, "*.mp3");
    EXPECT_FALSE(window.Form().Values().folderPath.empty());
    EXPECT_EQ(window.Form().Values().folderPath, window.Dir1()->Path());

    // Tab order of the table, and no caption cut.
    const QStringList order = {"Drive1", "Dir1", "Command1", "blankopt_0", "blankopt_1",
                                        "fnamopt_0", "fnamopt_1", "autorunbox", "capcheck",
                                        "capsubcheck", "featcheck", "vscheck", "Command2"};
    QWidget* widget = window.Drive1();
    for (const QString& name : order) {
        EXPECT_EQ(widget->objectName(), name);
        do widget = widget->nextInFocusChain();
        while (!order.contains(widget->objectName()));
        if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
            EXPECT_GE(widget->width(), widget->sizeHint().width()) << widget->objectName().toStdString();
            EXPECT_GE(widget->height(), widget->sizeHint().height()) << widget->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, StoredFileRestoresEveryControl) {
    const struct {
        std::array<char, 7> bytes;
        std::array<bool, 5> checked;  // autorunbox, capcheck, capsubcheck, featcheck, vscheck
        bool capsubEnabled;
    } cases[] = {
        {{1, 1, 1, 1, 1, 1, 1}, {true, true, true, true, true}, true},
        {{7, 7, 7, 0, 7, 1, 0}, {false, false, true, true, false}, false},
    };
    for (const auto& c : cases) {
        WriteSettings(Record("B [test]", m_temp / "driveB/sub", c.bytes));
        MainWindow window(m_platform);
        EXPECT_EQ(window.Drive1()->DriveText(), "B [test]");
        EXPECT_EQ(window.Dir1()->Path(), m_temp / "driveB/sub");
        EXPECT_EQ(window.Form().Values().folderPath, m_temp / "driveB/sub");
        EXPECT_TRUE(Find<QRadioButton>(window, "blankopt_1")->isChecked());
        EXPECT_TRUE(Find<QRadioButton>(window, "fnamopt_1")->isChecked());
        EXPECT_TRUE(window.Form().Values().blankToUnderscore);
        EXPECT_EQ(window.Form().Values().filePattern, "*.*");
        const char* boxes[] = {"autorunbox", "capcheck", "capsubcheck", "featcheck", "vscheck"};
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(Find<QCheckBox>(window, boxes[i])->isChecked(), c.checked[i]) << boxes[i];
        }
        EXPECT_EQ(Find<QCheckBox>(window, "capsubcheck")->isEnabled(), c.capsubEnabled);
        EXPECT_EQ(window.Form().Values().autorunPending, c.bytes[2] == 1);
    }
}

TEST_F(MainWindowTest, CapitalizeEnablesTheExceptBoxAndKeepsItsMark) {
    MainWindow window(m_platform);
    auto* capcheck = Find<QCheckBox>(window, "capcheck");
    auto* capsubcheck = Find<QCheckBox>(window, "capsubcheck");
    QTest::mouseClick(capcheck, Qt::LeftButton);
    EXPECT_TRUE(capsubcheck->isEnabled());
    QTest::mouseClick(capsubcheck, Qt::LeftButton);
    QTest::mouseClick(capcheck, Qt::LeftButton);
    EXPECT_FALSE(capsubcheck->isEnabled());
    EXPECT_TRUE(capsubcheck->isChecked());
    window.close();
    EXPECT_EQ(ReadSettings().substr(515, 2), std::string("\0\1", 2));
}

TEST_F(MainWindowTest, ADriveChangeSavesAtOnceAFolderChangeDoesNot) {
    WriteSettings(Record("A [test]", m_temp / "driveA", {}));
    MainWindow window(m_platform);
    ShowActive(window);
    std::filesystem::remove(m_settings);

    QTest::keyClick(window.Drive1(), Qt::Key_Down);
    EXPECT_EQ(window.Dir1()->Path(), m_temp / "driveB");
    EXPECT_EQ(window.Form().Values().folderPath, m_temp / "driveB");
    EXPECT_EQ(ReadSettings().substr(0, kSettingsTextSize), Padded("B [test]"));
    std::filesystem::remove(m_settings);

    FolderList* list = window.Dir1();
    list->setCurrentRow(list->currentRow() + 1);
    const QPoint sub = list->visualItemRect(list->currentItem()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, sub);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, sub);
    EXPECT_EQ(window.Form().Values().folderPath, m_temp / "driveB/sub");
    EXPECT_FALSE(std::filesystem::exists(m_settings));

    // A drive whose root cannot be read leaves the folder and saves nothing.
    QTest::keyClick(window.Drive1(), Qt::Key_Down);
    EXPECT_EQ(window.Drive1()->DriveText(), "Gone [test]");
    EXPECT_EQ(window.Dir1()->Path(), m_temp / "driveB/sub");
    EXPECT_EQ(window.Form().Values().folderPath, m_temp / "driveB/sub");
    EXPECT_FALSE(std::filesystem::exists(m_settings));
}

TEST_F(MainWindowTest, AutorunAtStartAsksExitNowAndYesEndsWithoutUnload) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        std::ofstream(m_temp / "driveA/a_b.mp3") << "x";
        WriteSettings(Record("A [test]", m_temp / "driveA", {0, 0, 1, 0, 0, 0, 0}));
        m_platform.m_asked.clear();
        m_platform.m_answerYes = yes;
        MainWindow window(m_platform);
        ShowActive(window);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_platform.m_asked.empty(); }));

        const std::pair<std::string, std::string> asked{"1 file renamed.\r\nExit now?", "done"};
        EXPECT_EQ(m_platform.m_asked, std::vector{asked});
        EXPECT_TRUE(std::filesystem::exists(m_temp / "driveA/a b.mp3"));
        EXPECT_EQ(window.HasEnded(), yes);
        EXPECT_EQ(window.isVisible(), !yes);
        if (yes) {
            EXPECT_EQ(ReadSettings(), Record("A [test]", m_temp / "driveA", {0, 0, 1, 0, 0, 0, 0}));
        }

        // Activating again starts no second run; after Yes, closing saves nothing.
        std::filesystem::remove(m_settings);
        QWidget other;
        ShowActive(other);
        if (!yes) ShowActive(window);
        QTest::qWait(20);
        EXPECT_EQ(m_platform.m_asked.size(), 1u);
        window.close();
        EXPECT_EQ(std::filesystem::exists(m_settings), !yes);
        std::filesystem::remove(m_temp / "driveA/a b.mp3");
    }
}

TEST_F(MainWindowTest, ASecondClickOnRunDuringARunDoesNothing) {
    std::ofstream(m_temp / "driveA/x_y.mp3") << "x";
    WriteSettings(Record("A [test]", m_temp / "driveA", {}));
    MainWindow window(m_platform);
    ShowActive(window);
    auto* run = Find<QPushButton>(window, "Command1");
    int clicks = 0;
    QObject::connect(run, &QPushButton::clicked, [&clicks] { ++clicks; });
    m_platform.m_beforeEvents = [run] { QMetaObject::invokeMethod(run, &QPushButton::click, Qt::QueuedConnection); };

    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(m_platform.m_asked.size(), 1u);
    EXPECT_FALSE(window.Form().Values().running);
}

TEST_F(MainWindowTest, ClosingSavesTheWholeRecordAndAboutShowsAMessage) {
    WriteSettings(Record("B [test]", m_temp / "driveB/zzz", {}));
    MainWindow window(m_platform);
    for (const char* name : {"blankopt_1", "fnamopt_1"}) QTest::mouseClick(Find<QRadioButton>(window, name), Qt::LeftButton);
    for (const char* name : {"autorunbox", "capcheck", "capsubcheck"}) QTest::mouseClick(Find<QCheckBox>(window, name), Qt::LeftButton);
    EXPECT_TRUE(window.Form().Values().allFiles);
    EXPECT_TRUE(window.Form().Values().blankToUnderscore);

    QTest::mouseClick(Find<QPushButton>(window, "Command2"), Qt::LeftButton);
    ASSERT_EQ(m_platform.m_shown.size(), 1u);
    EXPECT_EQ(m_platform.m_shown[0].first, Mainform::AboutText());

    window.close();
    EXPECT_EQ(ReadSettings(), Record("B [test]", m_temp / "driveB/zzz", {1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(ReadSettings().size(), kSettingsRecordSize);
}

}  // namespace
}  // namespace nomvary
