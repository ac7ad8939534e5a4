#include "CommandLineRun.h"
#include "CliCommand.h"
#include "WindowWithoutDisplay.h"
#include "QtTranslations.h"
#include "VelmixWindow.h"
#include "WindowSizeStore.h"
#include "listing/CurrentFolder.h"
#include "posix/MountDriveList.h"
#include "posix/PosixFileIdentities.h"
#include "posix/PosixFileMover.h"
#include "posix/PosixFolderLocks.h"
#include "posix/PosixStateFolder.h"
#include "CommandLine.h"
#include "sets/RuleSetStore.h"
#include "text/FileNameCodec.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

// The window's program. `velmix` hands a window start over to it; started on its own it
// behaves as `velmix` does, command line included.
int main(int argc, char *argv[])
{
    // The command line runs with no display, so before any QApplication is made.
    const QStringList arguments = velmix::CommandLine::arguments(argc, argv).mid(1);
    if (velmix::cli::wantsCommandLine(arguments))
        return velmix::cli::run(argc, argv);
    if (const std::optional<int> status = velmix::cli::refuseWindowWithoutDisplay(arguments))
        return *status; // QApplication would abort

    // The window's class (WM_CLASS) names the program, not this file, when started on its own.
    QCoreApplication::setApplicationName(QStringLiteral("velmix"));
    QApplication app(argc, argv); // takes Qt's own options out of argv
    velmix::installQtRussian();
    // Lets a Wayland desktop match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELMIX_APP_ID));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMIX_VERSION));
    QCommandLineParser parser;
    velmix::CommandLine::describe(parser);
    if (const auto reply = velmix::CommandLine::reply(parser, velmix::CommandLine::arguments(argc, argv))) {
        std::fputs(qUtf8Printable(reply->text), reply->status == 0 ? stdout : stderr);
        return reply->status;
    }

    const velmix::CommandLine::Start start =
        velmix::CommandLine::startFolder(parser.positionalArguments(), velmix::currentFolder());
    if (!start.problem.isEmpty()) {
        // The path as the bytes it was given in.
        const QByteArray line = velmix::FileNameCodec::encode(start.problem).value_or(start.problem.toUtf8());
        std::fprintf(stderr, "velmix: %s\n", line.constData());
    }
    velmix::MountDriveList drives(start.folder);
    velmix::PosixFileMover mover;
    velmix::PosixStateFolder state;
    velmix::PosixFileIdentities identities;
    velmix::RuleSetStore ruleSets;
    velmix::WindowSizeStore sizes;
    velmix::PosixFolderLocks locks(state.path(), velmix::PosixFolderLocks::Busy::Refuse);
    velmix::VelmixWindow window(drives, mover, start.folder, nullptr, &state, &identities, &ruleSets, &sizes, &locks);
    window.tellStartProblem(start.problem);
    window.show();
    return app.exec();
}
