#include "StopSignals.h"

#include "ConsoleServices.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace velmix::cli {
namespace {

int pipeEnds[2] = {-1, -1}; // read, write

void onSignal(int signal)
{
    const int saved = errno;
    const char number = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
    errno = saved;
}

void handle(int signal, void (*handler)(int))
{
    struct sigaction action{};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // The handler gives way to the default after its first call: a second Ctrl+C ends the
    // program at once.
    action.sa_flags = handler == SIG_DFL ? 0 : SA_RESETHAND | SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(ConsoleWorkDisplay &display)
    : m_display(display)
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the signals keep ending the program at once
    m_notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { take(); });
    handle(SIGINT, onSignal);
    handle(SIGTERM, onSignal);
}

StopSignals::~StopSignals()
{
    if (!m_notifier)
        return;
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
    m_notifier.reset();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void StopSignals::take()
{
    char number = 0;
    while (::read(pipeEnds[0], &number, 1) == 1) {
        if (m_received == 0)
            m_received = number;
        m_display.stop();
    }
}

int StopSignals::received()
{
    if (m_notifier)
        take(); // one that came after the work's last events
    return m_received;
}

} // namespace velmix::cli
