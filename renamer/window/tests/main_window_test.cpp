#include "main_window.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QImage>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "box_answerer.h"
#include "drive_list.h"
#include "folder_list.h"
#include "linux_file_system.h"
#include "linux_settings_file.h"
#include "qt_platform.h"
#include "settings.h"
#include "testing/temp_folder.h"

namespace nomvary {
namespace {

using Asked = std::pair<std::string, std::string>;

// The real file system with the program folder redirected, and as slow to
// rename as a test wants.
class TestFiles : public LinuxFileSystem {
public:
    std::string ProgramFolder() override { return m_programFolder; }
    bool RenameFile(const std::string& oldName, const std::string& newName) override {
        std::this_thread::sleep_for(m_renameTakes);
        return LinuxFileSystem::RenameFile(oldName, newName);
    }
    std::string m_programFolder;
    std::chrono::milliseconds m_renameTakes{0};
};

// The real Qt boxes unless `m_realBoxes` is off: then they answer at once.
class TestDialogs : public QtDialogs {
public:
    bool AskYesNo(const std::string& text, const std::string& title) override {
        m_asked.emplace_back(text, title);
        return m_realBoxes ? QtDialogs::AskYesNo(text, title) : m_answerYes;
    }
    void ShowMessage(const std::string& text, const std::string& title) override { m_shown.emplace_back(text, title); }
    void ShowPreview(const std::string& summary, const std::vector<std::string>& lines) override {
        m_previews.push_back(summary);
        m_previews.insert(m_previews.end(), lines.begin(), lines.end());
    }
    void ProcessPendingEvents() override {
        if (m_beforeEvents) std::exchange(m_beforeEvents, nullptr)();
        QtDialogs::ProcessPendingEvents();
    }

    bool m_realBoxes = false, m_answerYes = false;
    std::vector<Asked> m_asked, m_shown;
    std::vector<std::string> m_previews;  // each preview's summary, then its lines
    std::function<void()> m_beforeEvents;
};

std::string Record(std::string drive, std::string folder, std::array<char, 7> options) {
    drive.resize(kSettingsTextSize, ' ');
    folder.resize(kSettingsTextSize, ' ');
    return drive + folder + std::string(options.begin(), options.end());
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"prog", "A", "B/sub"}) std::filesystem::create_directories(m_temp / folder);
        m_files.m_programFolder = m_temp / "prog";
        m_drives = {{"A [t]", m_temp / "A"}, {"B [t]", m_temp / "B"}, {"Gone [t]", m_temp / "gone"}};
    }
    void TearDown() override { std::filesystem::current_path(m_startFolder); }

    void WriteSettings(const std::string& bytes) { std::ofstream(m_settings, std::ios::binary) << bytes; }
    std::string ReadSettings() {
        std::ifstream in(m_settings, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    template <typename T = QCheckBox>
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

    testkit::TempFolder m_temp{"nomvary-window"};
    const std::filesystem::path m_startFolder = std::filesystem::current_path();
    TestFiles m_files;
    LinuxSettingsFile m_settingsFile;
    TestDialogs m_dialogs;
    std::vector<Drive> m_drives;
    const std::string m_settings = m_temp / "prog/nomvary.ini";
};

// Also with a folder in place of the settings file, where the load fails
// before it sets up "except ({[ ]})": the designed values must hold alone,
// and closing loses nothing of the folder.
TEST_F(MainWindowTest, FirstStartShowsTheDesignedDefaultsInTabOrder) {
    for (const bool folderInPlace : {false, true}) {
        SCOPED_TRACE(folderInPlace ? "a folder in place of the settings file" : "no settings file");
        if (folderInPlace) {
            std::filesystem::remove(m_settings);
            m_temp.Write("prog/nomvary.ini/keep.txt", "precious");
        }
        MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
        EXPECT_EQ(window.windowTitle().toStdString(), "Nomvary - " + window.Dir1()->Path());
        EXPECT_TRUE(Find<QRadioButton>(window, "blankopt_0")->isChecked());
        EXPECT_TRUE(Find<QRadioButton>(window, "fnamopt_0")->isChecked());
        for (const char* box : {"autorunbox", "capcheck", "capsubcheck", "featcheck", "vscheck"}) {
            EXPECT_FALSE(Find(window, box)->isChecked()) << box;
        }
        EXPECT_FALSE(Find(window, "capsubcheck")->isEnabled());
        EXPECT_EQ(window.Form().Values().folderPath, window.Dir1()->Path());

        const QStringList order = {"Drive1",    "Dir1",      "Command1",   "Command3", "blankopt_0",
                                   "blankopt_1", "fnamopt_0", "fnamopt_1",  "autorunbox", "capcheck",
                                   "capsubcheck", "featcheck", "vscheck",   "Command2"};
        QWidget* widget = window.Drive1();
        for (const QString& name : order) {
            EXPECT_EQ(widget->objectName(), name);
            if (qobject_cast<QAbstractButton*>(widget) != nullptr) {  // no caption cut
                EXPECT_GE(widget->width(), widget->sizeHint().width()) << name.toStdString();
                EXPECT_GE(widget->height(), widget->sizeHint().height()) << name.toStdString();
            }
            do widget = widget->nextInFocusChain();
            while (!order.contains(widget->objectName()));
        }
        window.close();
        if (folderInPlace) {
            EXPECT_EQ(m_temp.Read("prog/nomvary.ini/keep.txt"), "precious");
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
        WriteSettings(Record("B [t]", m_temp / "B/sub", c.bytes));
        MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
        EXPECT_EQ(window.Drive1()->DriveText(), "B [t]");
        EXPECT_EQ(window.Dir1()->Path(), m_temp / "B/sub");
        EXPECT_EQ(window.Form().Values().folderPath, m_temp / "B/sub");
        EXPECT_TRUE(Find<QRadioButton>(window, "blankopt_1")->isChecked());
        EXPECT_TRUE(Find<QRadioButton>(window, "fnamopt_1")->isChecked());
        const char* boxes[] = {"autorunbox", "capcheck", "capsubcheck", "featcheck", "vscheck"};
        for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(Find(window, boxes[i])->isChecked(), c.checked[i]) << boxes[i];
        EXPECT_EQ(Find(window, "capsubcheck")->isEnabled(), c.capsubEnabled);
    }
}

TEST_F(MainWindowTest, ClicksSetTheOptionsAndClosingSavesTheRecord) {
    WriteSettings(Record("B [t]", m_temp / "B/sub", {}));
    MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
    for (const char* name : {"blankopt_1", "fnamopt_1"}) QTest::mouseClick(Find<QRadioButton>(window, name), Qt::LeftButton);
    EXPECT_EQ(window.Form().Values().filePattern, "*.*");
    EXPECT_TRUE(window.Form().Values().blankToUnderscore);

    // "Capitalize" enables "except ({[ ]})"; unchecking it disables the box but keeps its mark.
    QTest::mouseClick(Find(window, "capcheck"), Qt::LeftButton);
    EXPECT_TRUE(Find(window, "capsubcheck")->isEnabled());
    QTest::mouseClick(Find(window, "capsubcheck"), Qt::LeftButton);
    QTest::mouseClick(Find(window, "capcheck"), Qt::LeftButton);
    EXPECT_FALSE(Find(window, "capsubcheck")->isEnabled());
    QTest::mouseClick(Find(window, "autorunbox"), Qt::LeftButton);
    EXPECT_TRUE(m_dialogs.m_asked.empty());  // autorun is only saved

    QTest::mouseClick(Find<QPushButton>(window, "Command2"), Qt::LeftButton);
    EXPECT_EQ(m_dialogs.m_shown, (std::vector<Asked>{{Mainform::AboutText(), "about"}}));
    window.close();
    EXPECT_EQ(ReadSettings(), Record("B [t]", m_temp / "B/sub", {1, 1, 1, 0, 1, 0, 0}));
}

TEST_F(MainWindowTest, ADriveChangeSavesAtOnceAFolderChangeDoesNot) {
    WriteSettings(Record("A [t]", m_temp / "A", {}));
    MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
    ShowActive(window);
    std::filesystem::remove(m_settings);
    QTest::keyClick(window.Drive1(), Qt::Key_Down);
    EXPECT_EQ(window.Form().Values().folderPath, m_temp / "B");
    EXPECT_EQ(ReadSettings().substr(0, 6), "B [t] ");
    std::filesystem::remove(m_settings);

    FolderList* list = window.Dir1();
    const QPoint sub = list->visualItemRect(list->item(list->currentRow() + 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, sub);  // a double click starts with a press
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, sub);
    EXPECT_EQ(window.Form().Values().folderPath, m_temp / "B/sub");
    EXPECT_FALSE(std::filesystem::exists(m_settings));

    // A drive whose root cannot be read leaves the folder and saves nothing.
    QTest::keyClick(window.Drive1(), Qt::Key_Down);
    EXPECT_EQ(window.Drive1()->DriveText(), "Gone [t]");
    EXPECT_EQ(window.Dir1()->Path(), m_temp / "B/sub");
    EXPECT_EQ(window.Form().Values().folderPath, m_temp / "B/sub");
    EXPECT_FALSE(std::filesystem::exists(m_settings));
}

TEST_F(MainWindowTest, AutorunAtStartAsksExitNowAndYesEndsWithoutUnload) {
    const std::string autorun = Record("A [t]", m_temp / "A", {0, 0, 1, 0, 0, 0, 0});
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        std::ofstream(m_temp / "A/a_b.mp3") << "x";
        WriteSettings(autorun);
        m_dialogs.m_asked.clear();
        m_dialogs.m_answerYes = yes;
        MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
        std::filesystem::remove(m_settings);
        ShowActive(window);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_dialogs.m_asked.empty(); }));
        EXPECT_EQ(m_dialogs.m_asked, (std::vector<Asked>{{"1 file renamed.\r\nExit now?", "done"}}));
        EXPECT_TRUE(std::filesystem::exists(m_temp / "A/a b.mp3"));
        EXPECT_EQ(window.isVisible(), !yes);
        EXPECT_EQ(ReadSettings(), yes ? autorun : "");

        // Activating again starts no second run; after Yes, closing saves nothing.
        std::filesystem::remove(m_settings);
        QWidget other;
        ShowActive(other);
        if (!yes) ShowActive(window);
        QTest::qWait(20);
        EXPECT_EQ(m_dialogs.m_asked.size(), 1u);
        window.close();
        EXPECT_EQ(std::filesystem::exists(m_settings), !yes);
        std::filesystem::remove(m_temp / "A/a b.mp3");
    }
}

// An autorun renames only in the folder the settings file names, and only
// when the stored text can name no other existing folder: not one beside it
// that ends in more blanks, nor a longer path the record may have cut. One
// that cannot run unchecks "Autorun next time", so closing saves it off, and
// says why on the status line.
TEST_F(MainWindowTest, AutorunOnlyInTheStoredFolder) {
    // Names that make "<temp>/rowK/<name>" fill the field exactly, or all but
    // its last byte: the record of the longer "Pink Floyd - The Wall" beside
    // it then holds that name and one blank.
    const std::size_t room = kSettingsTextSize - (m_temp / "row0/").size();
    const std::string fills(room, 'c'), band = std::string(room - 11, 'p') + "Pink Floyd";
    const std::string wall = band + " - The Wall";
    const struct {
        const char* what;
        std::string stored;                // the folder text, under the row's folder
        std::vector<std::string> folders;  // made under the row's folder, each holding "a_b.mp3"
        std::string shown;                 // empty: the list stays at the start folder
        bool runs;
        std::string status;  // what the status line says, after the row's folder
    } rows[] = {
        {"found", "music", {"music"}, "music", true, ""},
        {"gone", "gone", {"music"}, "", false, "Autorun skipped: <row>/gone not found."},
        {"filling the field, so maybe cut", fills, {fills}, "", false,
         "Autorun skipped: the saved folder path is too long to restore."},
        {"beside the same name with a blank", "amb", {"amb", "amb "}, "amb", false,
         "Autorun skipped: the saved path may name another folder than <row>/amb."},
        {"ending in a blank", "amb ", {"amb "}, "amb ", true, ""},
        {"cut after a blank, beside a shorter name", wall.substr(0, band.size() + 1), {band, wall}, band, false,
         "Autorun skipped: the saved path may name another folder than <row>/" + band + "."},
        {"the shorter name itself", band, {band, band + "-x"}, band, true, ""},
    };
    const std::string start = m_temp / "start";
    m_temp.Write("start/s_t.mp3", "s");
    for (std::size_t k = 0; k < std::size(rows); ++k) {
        const auto& row = rows[k];
        SCOPED_TRACE(row.what);
        const std::string root = m_temp / ("row" + std::to_string(k));
        for (const std::string& folder : row.folders) testkit::WriteFile(root + "/" + folder + "/a_b.mp3", "x");
        WriteSettings(Record("", root + "/" + row.stored, {0, 0, 1, 0, 0, 0, 0}));
        m_dialogs.m_asked.clear();
        std::filesystem::current_path(start);
        MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
        ShowActive(window);
        QTest::qWait(50);
        EXPECT_EQ(window.Dir1()->Path(), row.shown.empty() ? start : root + "/" + row.shown);
        EXPECT_EQ(m_dialogs.m_asked.size(), row.runs ? 1u : 0u);
        for (const std::string& folder : row.folders) {
            EXPECT_EQ(std::filesystem::exists(root + "/" + folder + "/a b.mp3"), row.runs && folder == row.shown)
                << folder;
        }
        EXPECT_TRUE(std::filesystem::exists(start + "/s_t.mp3"));
        std::string status = row.status;
        if (const std::size_t at = status.find("<row>"); at != std::string::npos) status.replace(at, 5, root);
        EXPECT_EQ(window.StatusText().toStdString(), status);
        EXPECT_EQ(Find(window, "autorunbox")->isChecked(), row.runs);
        window.close();
        EXPECT_EQ(ReadSettings()[514], row.runs ? 1 : 0);  // a skipped autorun is saved off
    }
}

// The highlighted folder is the one RUN renames in, and the title names it.
TEST_F(MainWindowTest, RunRenamesInTheHighlightedFolder) {
    m_temp.WriteAll({{"A/a_1.mp3", "a"}, {"A/sub/s_1.mp3", "s"}});
    WriteSettings(Record("A [t]", m_temp / "A", {}));
    MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
    ShowActive(window);
    FolderList* list = window.Dir1();
    const struct {
        const char* what;
        std::function<void()> choose;
        std::string folder;  // chosen, under the temporary folder
        testkit::Files after;
    } rows[] = {
        {"a click on a subfolder",
         [list] {
             const QPoint sub = list->visualItemRect(list->item(list->currentRow() + 1)).center();
             QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, sub);
         },
         "A/sub", {{"a_1.mp3", "a"}, {"sub", "<dir>"}}},
        {"the up arrow back", [list] { QTest::keyClick(list, Qt::Key_Up); }, "A", {{"a 1.mp3", "a"}, {"sub", "<dir>"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.choose();
        EXPECT_EQ(window.windowTitle().toStdString(), "Nomvary - " + m_temp / row.folder);
        QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
        EXPECT_EQ(m_temp.Contents("A"), row.after);
    }
    EXPECT_EQ(m_temp.Contents("A/sub"), (testkit::Files{{"s 1.mp3", "s"}}));
}

// A run longer than half a second shows its progress in a box: the controls
// take no clicks meanwhile. Cancel stops the run after the file at hand, the
// summary counting what was renamed; a close request through the window
// system stops it too, then closes the window with the settings saved.
TEST_F(MainWindowTest, ALongRunShowsItsProgressAndCancelOrCloseStopsIt) {
    constexpr int kFiles = 30;
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "Cancel");
        for (int k = 0; k < kFiles; ++k) m_temp.Write("A/f_" + std::to_string(k) + ".mp3", "x");
        WriteSettings(Record("A [t]", m_temp / "A", {}));
        m_files.m_renameTakes = std::chrono::milliseconds(50);
        m_dialogs.m_asked.clear();
        MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
        ShowActive(window);
        std::filesystem::remove(m_settings);
        QString label;
        bool capcheckTookAClick = true;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = window.findChild<QProgressDialog*>();
            if (box == nullptr || !box->isVisible()) return;
            poll.stop();
            label = box->labelText();
            // Through the window system, as a user's click comes.
            QCheckBox* capcheck = Find(window, "capcheck");
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                              capcheck->mapTo(&window, capcheck->rect().center()));
            capcheckTookAClick = Find(window, "capcheck")->isChecked();
            if (close) {
                window.windowHandle()->close();
            } else {
                QTest::mouseClick(box->findChild<QPushButton*>(), Qt::LeftButton);
            }
        });
        poll.start(10);
        QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);

        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[1-9][0-9]* of 30 files$")).match(label).hasMatch())
            << label.toStdString();
        EXPECT_FALSE(capcheckTookAClick);
        int renamed = 0;
        for (const auto& [name, bytes] : m_temp.Contents("A")) renamed += name.find(' ') != std::string::npos;
        EXPECT_GT(renamed, 1);
        EXPECT_LT(renamed, kFiles);
        const std::vector<Asked> asked = {{std::to_string(renamed) + " files renamed.\r\nExit now?", "done"}};
        EXPECT_EQ(m_dialogs.m_asked, close ? std::vector<Asked>{} : asked);
        EXPECT_EQ(window.HasEnded(), close);
        EXPECT_EQ(std::filesystem::exists(m_settings), close);
        EXPECT_TRUE(Find(window, "capcheck")->isEnabled());
        for (const auto& [name, bytes] : m_temp.Contents("A")) std::filesystem::remove(m_temp.Path() / "A" / name);
    }
}

// The window grows, the folder list taking the extra room; F5 reads the
// shown folder anew; Preview lists the run without renaming; the keyboard
// focus starts on the drive list.
TEST_F(MainWindowTest, GrowsRereadsAndPreviews) {
    m_temp.Write("A/a_b.mp3", "x");
    WriteSettings(Record("A [t]", m_temp / "A", {}));
    MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
    ShowActive(window);
    EXPECT_TRUE(window.Drive1()->hasFocus());
    // The focus shows before any key was pressed: the drive list is drawn
    // otherwise without it.
    const QImage marked = window.Drive1()->grab().toImage();
    window.Drive1()->clearFocus();
    EXPECT_NE(window.Drive1()->grab().toImage(), marked);
    EXPECT_EQ(window.size(), window.minimumSize());
    QWidget* const run = Find<QPushButton>(window, "Command1");
    QWidget* const about = Find<QPushButton>(window, "Command2");
    const QRect list = window.Dir1()->geometry(), runAt = run->geometry(), aboutAt = about->geometry();
    window.resize(window.size() + QSize(100, 80));
    EXPECT_EQ(window.Dir1()->geometry(), list.adjusted(0, 0, 100, 80));
    EXPECT_EQ(run->geometry(), runAt.translated(100, 0));
    EXPECT_EQ(about->geometry(), aboutAt.translated(0, 80));

    m_temp.Write("A/new/x", "");
    QTest::keyClick(&window, Qt::Key_F5);
    const std::string made = m_temp / "A/new";
    bool shown = false;
    for (int i = 0; i < window.Dir1()->count(); ++i) shown = shown || FolderList::EntryPath(window.Dir1()->item(i)) == made;
    EXPECT_TRUE(shown);

    QTest::mouseClick(Find<QPushButton>(window, "Command3"), Qt::LeftButton);
    EXPECT_EQ(m_dialogs.m_previews, (std::vector<std::string>{"1 file would be renamed.", "a_b.mp3 -> a b.mp3"}));
    EXPECT_TRUE(std::filesystem::exists(m_temp / "A/a_b.mp3"));
}

// The real Yes/No box, answered with Enter: Yes is its default button.
TEST_F(MainWindowTest, YesInTheRealBoxLeavesTheEventLoop) {
    std::ofstream(m_temp / "A/one_two.mp3") << "x";
    WriteSettings(Record("A [t]", m_temp / "A", {0, 0, 1, 0, 0, 0, 0}));
    m_dialogs.m_realBoxes = true;
    MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
    BoxAnswerer answerer(Qt::Key_Return);
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });  // a hang fails instead of blocking
    window.show();
    window.activateWindow();
    EXPECT_EQ(QApplication::exec(), 0);
    const SeenBox& box = answerer.Box();
    EXPECT_EQ(box.title, "done");
    EXPECT_EQ(box.text, "1 file renamed.\nExit now?");
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_TRUE(box.yesIsDefault);
    EXPECT_TRUE(window.HasEnded());
    EXPECT_TRUE(std::filesystem::exists(m_temp / "A/one two.mp3"));
}

TEST_F(MainWindowTest, ASecondClickOnRunDuringARunDoesNothing) {
    std::ofstream(m_temp / "A/x_y.mp3") << "x";
    WriteSettings(Record("A [t]", m_temp / "A", {}));
    MainWindow window(m_files, m_settingsFile, m_dialogs, [this] { return m_drives; });
    ShowActive(window);
    auto* run = Find<QPushButton>(window, "Command1");
    int clicks = 0;
    QObject::connect(run, &QPushButton::clicked, [&clicks] { ++clicks; });
    m_dialogs.m_beforeEvents = [run] { QMetaObject::invokeMethod(run, &QPushButton::click, Qt::QueuedConnection); };
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(m_dialogs.m_asked.size(), 1u);
}

}  // namespace
}  // namespace nomvary
