// Renders the window, as a first start shows it, to a PNG file.
//
// The window works in a temporary folder: its settings file lands there, and
// the folder list shows a small music folder made for the picture, so the
// picture shows no one's own files and the real settings stay untouched.
#include <cstdio>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include "main_window.h"
#include "linux_file_system.h"
#include "linux_settings_file.h"

namespace {

// The settings file lands in the temporary folder.
class ScreenshotFiles : public nomvary::LinuxFileSystem {
public:
    explicit ScreenshotFiles(std::string folder) : m_folder(std::move(folder)) {}
    std::string ProgramFolder() override { return m_folder; }

private:
    std::string m_folder;
};

class ScreenshotDialogs : public nomvary::QtDialogs {
public:
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    void ShowMessage(const std::string&, const std::string&) override {}
};

void Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: nomvary-screenshot FILE.png\n");
        return 2;
    }
    // Taken before the window moves the current folder.
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();

    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/nomvary-XXXXXX"));
    if (!work.isValid()) {
        std::fprintf(stderr, "nomvary-screenshot: cannot make a temporary folder\n");
        return 1;
    }
    const std::filesystem::path root(QFile::encodeName(work.path()).toStdString());
    const std::filesystem::path music = root / "Music";
    for (const char* folder : {"Albums", "Live recordings", "Podcasts", "Singles", "Soundtracks"}) {
        std::filesystem::create_directories(music / folder);
    }
    std::filesystem::current_path(music);

    ScreenshotFiles files(root.native());
    nomvary::LinuxSettingsFile settingsFile;
    ScreenshotDialogs dialogs;
    nomvary::MainWindow window(files, settingsFile, dialogs);
    window.show();
    Wait(500);

    const QPixmap picture = window.grab();
    if (!picture.save(target, "PNG")) {
        std::fprintf(stderr, "nomvary-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
