#include "qt_platform.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "main_window.h"
#include "settings.h"
#include "temp_folder.h"

namespace nomvary {
namespace {

struct SeenBox {
    bool seen = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QAbstractButton* defaultButton = nullptr;
    QAbstractButton* yesButton = nullptr;
};

// Answers the next modal message box with `key`, noting what it showed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(Qt::Key key) {
        QObject::connect(&m_poll, &QTimer::timeout, [this, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            m_poll.stop();
            m_box.seen = true;
            m_box.title = box->windowTitle();
            m_box.text = box->text();
            m_box.icon = box->icon();
            m_box.defaultButton = box->defaultButton();
            m_box.yesButton = box->button(QMessageBox::Yes);
            QTest::keyClick(box, key);
        });
        m_poll.start(10);
    }
    const SeenBox& Box() const { return m_box; }

private:
    QTimer m_poll;
    SeenBox m_box;
};

TEST(QtPlatform, BoxesShowTheirTextWithoutIconAndYesAsDefault) {
    const struct {
        Qt::Key key;
        bool yes;
    } cases[] = {{Qt::Key_Return, true}, {Qt::Key_Escape, false}};
    for (const auto& c : cases) {
        QtPlatform platform;
        BoxAnswerer answerer(c.key);
        EXPECT_EQ(platform.AskYesNo("2 files renamed.\r\nExit now?", "done"), c.yes);
        const SeenBox& box = answerer.Box();
        ASSERT_TRUE(box.seen);
        EXPECT_EQ(box.title, "done");
        EXPECT_EQ(box.text, "2 files renamed.\nExit now?");
        EXPECT_EQ(box.icon, QMessageBox::NoIcon);
        EXPECT_NE(box.yesButton, nullptr);
        EXPECT_EQ(box.defaultButton, box.yesButton);
    }
    QtPlatform platform;
    BoxAnswerer answerer(Qt::Key_Return);
    platform.ShowMessage("Nomvary", "about");
    EXPECT_EQ(answerer.Box().title, "about");
    EXPECT_EQ(answerer.Box().icon, QMessageBox::NoIcon);
}

class TempProgramPlatform : public QtPlatform {
public:
    explicit TempProgramPlatform(std::string folder) : m_folder(std::move(folder)) {}
    std::string ProgramFolder() override { return m_folder; }

private:
    std::string m_folder;
};

// The whole program: autorun at start, the real box answered with Enter, and
// the event loop left at once without the unload handler.
TEST(QtPlatform, YesAfterAnAutorunLeavesTheEventLoopWithoutUnload) {
    TempFolder temp;
    ASSERT_FALSE(temp.Path().empty());
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::create_directories(temp / "music");
    std::ofstream(temp / "music/one_two.mp3") << "x";
    const std::string settings = temp / "nomvary.ini";
    {
        std::string record(kSettingsRecordSize, '\0');
        record.replace(0, 2 * kSettingsTextSize, 2 * kSettingsTextSize, ' ');
        const std::string folder = temp / "music";
        record.replace(kSettingsTextSize, folder.size(), folder);
        record[514] = 1;  // autorun
        std::ofstream(settings, std::ios::binary) << record;
    }

    TempProgramPlatform platform(temp.Path().native());
    MainWindow window(platform);
    BoxAnswerer answerer(Qt::Key_Return);
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });  // a hang fails, not blocks
    window.show();
    window.activateWindow();
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_TRUE(answerer.Box().seen);
    EXPECT_EQ(answerer.Box().text, "1 file renamed.\nExit now?");
    EXPECT_TRUE(std::filesystem::exists(temp / "music/one two.mp3"));
    EXPECT_TRUE(window.HasEnded());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(std::filesystem::file_size(settings), kSettingsRecordSize);

    std::filesystem::remove(settings);
    window.close();
    EXPECT_FALSE(std::filesystem::exists(settings));
    std::filesystem::current_path(startFolder);
}

}  // namespace
}  // namespace nomvary
