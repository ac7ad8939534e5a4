#include "VelmixWindow.h"
#include "MountDriveList.h"
#include "PosixFileMover.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Lets a Wayland desktop match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.velmix.Velmix"));
    velmix::MountDriveList drives;
    velmix::PosixFileMover mover;
    velmix::VelmixWindow window(drives, mover, QDir::currentPath());
    window.show();
    return app.exec();
}
