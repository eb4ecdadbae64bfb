#include "platform/terminal.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<std::atomic<bool> *> g_stop{nullptr};

static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
static_assert(std::atomic<std::atomic<bool> *>::is_always_lock_free, "read in a signal handler");

void onInterrupt(int)
{
    g_interrupted.store(true);
    if (std::atomic<bool> *stop = g_stop.load())
        stop->store(true);
}

} // namespace

bool isTerminal(std::FILE *stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

int terminalColumns(std::FILE *stream)
{
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void installInterruptHandler(std::atomic<bool> &stop)
{
    g_stop.store(&stop);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume; the handler gives way to the default after one signal.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested()
{
    return g_interrupted.load();
}

} // namespace platform
