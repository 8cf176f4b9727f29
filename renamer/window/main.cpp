#include <QApplication>

#include "main_window.h"
#include "linux_file_system.h"
#include "linux_settings_file.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomvary"));
    QApplication::setDesktopFileName(QStringLiteral("nomvary"));

    nomvary::LinuxFileSystem files;
    nomvary::LinuxSettingsFile settingsFile;
    nomvary::QtDialogs dialogs;
    nomvary::MainWindow window(files, settingsFile, dialogs);
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
