// The program users start: the command line runs here, on QtCore alone, and a window start
// hands over to the window's program, so no command pays for loading the window's libraries.
#include "CliCommand.h"
#include "CommandLine.h"
#include "CommandLineRun.h"
#include "WindowStart.h"
#include "WindowWithoutDisplay.h"

int main(int argc, char *argv[])
{
    const QStringList arguments = velmix::CommandLine::arguments(argc, argv).mid(1);
    if (velmix::cli::wantsCommandLine(arguments))
        return velmix::cli::run(argc, argv);
    // Told here, where it is cheap, rather than after the window's libraries are loaded.
    if (const std::optional<int> status = velmix::cli::refuseWindowWithoutDisplay(arguments))
        return *status;
    return velmix::cli::startWindow(argv);
}
