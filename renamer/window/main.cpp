#include <QApplication>

#include "main_window.h"
#include "qt_platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomvary"));
    QApplication::setDesktopFileName(QStringLiteral("nomvary"));

    nomvary::QtPlatform platform;
    nomvary::MainWindow window(platform);
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
