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

// The first of the signals asks the work to stop; any later one, of any of them, ends the
// process at once by its own default action. Only async-signal-safe calls here.
void onInterrupt(int signalNumber)
{
    if (g_interrupted.exchange(true)) {
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        ::sigaction(signalNumber, &fallback, nullptr);
        // Blocked while this handler runs, it is delivered, and ends the process, on return.
        ::raise(signalNumber);
        return;
    }
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
    action.sa_flags = SA_RESTART; // interrupted system calls resume
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start (nohup, a background job) stays ignored.
        struct sigaction old {};
        if (::sigaction(signalNumber, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

bool interruptRequested()
{
    return g_interrupted.load();
}

} // namespace platform
