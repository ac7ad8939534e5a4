#pragma once

namespace velmix::cli {

// Replaces this process with the window's program (velmix-window, in the program's private
// folder beside the command line), handing it `argv` as it came, so the window sees the
// same arguments and name. Returns only where it cannot: says why, in Russian, and gives
// the exit status (2).
[[nodiscard]] int startWindow(char *argv[]);

} // namespace velmix::cli
