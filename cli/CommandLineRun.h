#pragma once

namespace velmix::cli {

// Runs what the command line asks (a rename, an undo, a repair, the help) with no window,
// on a QCoreApplication of its own; returns the exit status: 0 every row renamed (or,
// without --apply, none marked), 1 some refused or marked, 2 a usage error.
int run(int argc, char *argv[]);

} // namespace velmix::cli
