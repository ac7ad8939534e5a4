#pragma once

#include <memory>

class QSocketNotifier;

namespace velmix::cli {

class ConsoleWorkDisplay;

// Ctrl+C (SIGINT) and SIGTERM while the command line renames: the first stops the work
// after the file being moved, as the window's cancel does, so the files moved so far
// make an ordinary batch; a second ends the program at once, which the repair covers.
// The handler only writes the signal's number to a pipe; the work's thread of events
// reads it.
class StopSignals
{
public:
    explicit StopSignals(ConsoleWorkDisplay &display);
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // The signal that stopped the work, or 0.
    [[nodiscard]] int received();
    // The exit status for a stop by that signal: 128 and its number, as a shell reports it.
    [[nodiscard]] static int exitStatus(int signal) { return 128 + signal; }

private:
    void take();

    ConsoleWorkDisplay &m_display;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_received = 0;
};

} // namespace velmix::cli
