#include "cli/Terminal.h"

#include <cerrno>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace cli {

namespace {

// Turns echo off for as long as it lives.
class EchoOff {
public:
    explicit EchoOff(int fd) : m_fd(fd) {
        if (tcgetattr(fd, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        m_active = tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (m_active)
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    termios m_saved{};
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
    if (::isatty(STDIN_FILENO)) {
        std::fprintf(stderr, "%s", prompt.c_str());
        std::fflush(stderr);
        EchoOff quiet(STDIN_FILENO);
        return ReadLine(STDIN_FILENO, password);
    }
    return ReadLine(STDIN_FILENO, password);
}

void PrintError(const std::string& message) {
    std::fprintf(stderr, "lockwarden-cli: %s\n", message.c_str());
}

} // namespace cli
