#include "platform/TerminationSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP};

std::mutex g_setupLock;
int g_readEnd = -1;
// The handler reads the write end; lock-free so that reading it in a handler is allowed.
std::atomic<int> g_writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction g_previous[sizeof kSignals / sizeof kSignals[0]];

extern "C" void OnTerminationSignal(int signalNumber) {
    // Only async-signal-safe calls here; errno belongs to whatever code the signal interrupted.
    const int savedErrno = errno;
    const int fd = g_writeEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds signals nobody has read yet; dropping this one loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void ClosePipe() {
    const int writeEnd = g_writeEnd.exchange(-1);
    if (writeEnd >= 0)
        ::close(writeEnd);
    if (g_readEnd >= 0)
        ::close(g_readEnd);
    g_readEnd = -1;
}

} // namespace

int InstallTerminationPipe() {
    const std::lock_guard<std::mutex> guard(g_setupLock);
    if (g_readEnd >= 0)
        return g_readEnd;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    g_readEnd = ends[0];
    g_writeEnd = ends[1];

    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    ::sigemptyset(&action.sa_mask);
    // Interrupted reads and writes elsewhere in the program carry on instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        struct sigaction previous {};
        if (::sigaction(kSignals[i], nullptr, &previous) != 0) {
            for (size_t j = 0; j < i; ++j)
                ::sigaction(kSignals[j], &g_previous[j], nullptr);
            ClosePipe();
            return -1;
        }
        g_previous[i] = previous;
        // Started with nohup: the user asked for the hang-up to be ignored.
        if (kSignals[i] == SIGHUP && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(kSignals[i], &action, nullptr);
    }
    return g_readEnd;
}

void RemoveTerminationPipe() {
    const std::lock_guard<std::mutex> guard(g_setupLock);
    if (g_readEnd < 0)
        return;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    ClosePipe();
}

} // namespace platform
