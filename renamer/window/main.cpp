#include <QApplication>

#include "main_window.h"
#include "posix_file_system.h"
#include "posix_settings_file.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomvary"));
    QApplication::setDesktopFileName(QStringLiteral("nomvary"));

    nomvary::PosixFileSystem files;
    nomvary::PosixSettingsFile settingsFile;
    nomvary::QtDialogs dialogs;
    nomvary::MainWindow window(files, settingsFile, dialogs);
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
