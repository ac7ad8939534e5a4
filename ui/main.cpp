#include "CurrentFolder.h"
#include "VelmixWindow.h"
#include "MountDriveList.h"
#include "PosixFileMover.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Lets a Wayland desktop match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELMIX_APP_ID));
    const QString startFolder = velmix::currentFolder();
    velmix::MountDriveList drives(startFolder);
    velmix::PosixFileMover mover;
    velmix::VelmixWindow window(drives, mover, startFolder);
    window.show();
    return app.exec();
}
