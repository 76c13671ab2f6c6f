#include "cli/Terminal.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace cli {

namespace {

// The terminal whose echo is off, for the signal handlers: Ctrl+C or Ctrl+\\ must not leave the
// shell without echo, and after Ctrl+Z and "fg" the rest of the password must not be typed in
// clear.
volatile sig_atomic_t g_echoFd = -1;
termios g_savedMode{};
termios g_quietMode{};
const char* g_prompt = nullptr;
size_t g_promptLength = 0;
bool g_stdinTaken = false;

void RestoreEcho() {
    if (g_echoFd >= 0)
        tcsetattr(g_echoFd, TCSAFLUSH, &g_savedMode);
}

void OnEndingSignal(int sig) {
    RestoreEcho();
    signal(sig, SIG_DFL);
    raise(sig);
}

void OnStop(int sig) {
    const int saved = errno;
    RestoreEcho();
    signal(sig, SIG_DFL);
    // The signal is blocked while its handler runs: let it through, so that the stop happens here.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, sig);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(sig);
    // Running again: echo off once more, and the question again.
    signal(sig, OnStop);
    if (g_echoFd >= 0) {
        tcsetattr(g_echoFd, TCSAFLUSH, &g_quietMode);
        if (g_prompt && write(g_echoFd, g_prompt, g_promptLength) < 0) {
        }
    }
    errno = saved;
}

constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

// Turns echo off for as long as it lives.
class EchoOff {
public:
    EchoOff(int fd, const std::string& prompt) {
        if (tcgetattr(fd, &g_savedMode) != 0)
            return;
        g_quietMode = g_savedMode;
        g_quietMode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        g_quietMode.c_lflag |= ECHONL;
        g_prompt = prompt.c_str();
        g_promptLength = prompt.size();
        g_echoFd = fd;
        for (int sig : kEndingSignals)
            m_previous.push_back(signal(sig, OnEndingSignal));
        m_previousStop = signal(SIGTSTP, OnStop);
        m_active = tcsetattr(fd, TCSAFLUSH, &g_quietMode) == 0;
    }
    ~EchoOff() {
        if (g_echoFd < 0)
            return;
        if (m_active)
            RestoreEcho();
        g_echoFd = -1;
        g_prompt = nullptr;
        for (size_t i = 0; i < m_previous.size(); ++i)
            signal(kEndingSignals[i], m_previous[i]);
        signal(SIGTSTP, m_previousStop);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    std::vector<sighandler_t> m_previous;
    sighandler_t m_previousStop = SIG_DFL;
    bool m_active = false;
};

// Reads one line byte by byte, so that the lines after it stay unread for the next question
// and no copy of the password lingers in a stream buffer.
bool ReadLine(int fd, platform::SecureString& line) {
    line.Wipe();
    line.reserve(1024);
    bool any = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return any;
        any = true;
        if (c == '\n')
            break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

} // namespace

bool AskPassword(const std::string& prompt, platform::SecureString& password) {
    if (!g_stdinTaken && !::isatty(STDIN_FILENO))
        return ReadLine(STDIN_FILENO, password);
    // The terminal itself, so that the question is seen even when standard error goes to a file.
    int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    const bool ownFd = fd >= 0;
    if (!ownFd) {
        if (g_stdinTaken)
            return false;
        fd = STDIN_FILENO;
    }
    if (ownFd) {
        if (::write(fd, prompt.data(), prompt.size()) < 0) {
        }
    } else {
        std::fprintf(stderr, "%s", prompt.c_str());
        std::fflush(stderr);
    }
    bool ok = false;
    {
        EchoOff quiet(fd, prompt);
        ok = ReadLine(fd, password);
    }
    if (ownFd)
        ::close(fd);
    return ok;
}

bool StandardInputTaken() {
    return g_stdinTaken;
}

bool TakesStandardInput(const std::string& path) {
    struct stat input {
    }, named{};
    if (::fstat(STDIN_FILENO, &input) != 0 || ::stat(path.c_str(), &named) != 0)
        return false;
    if (input.st_dev != named.st_dev || input.st_ino != named.st_ino)
        return false;
    g_stdinTaken = true;
    return true;
}

void PrintError(const std::string& message) {
    std::fprintf(stderr, "lockwarden-cli: %s\n", message.c_str());
}

} // namespace cli
