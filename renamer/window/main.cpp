#include <QApplication>

#include "main_window.h"
#include "posix_file_system.h"
#include "qt_platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomvary"));
    QApplication::setDesktopFileName(QStringLiteral("nomvary"));

    nomvary::PosixFileSystem files;
    nomvary::QtPlatform platform;
    nomvary::MainWindow window(files, platform);
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
