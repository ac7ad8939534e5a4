// Links the command line alone, so that its shared library dependencies can be inspected.
#include "CommandLineRun.h"

int main(int argc, char *argv[])
{
    return velmix::cli::run(argc, argv);
}
