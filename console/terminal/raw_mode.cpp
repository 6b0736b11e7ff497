// Raw mode and its restoration. Everything a signal handler calls here is async-signal-safe:
// tcsetattr, write, sigaction, sigprocmask and raise.
#include "console/terminal/raw_mode.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <errno.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

termios savedSettings;
termios rawSettings;
int terminalIn = -1;
int terminalOut = -1;
volatile sig_atomic_t rawActive = 0;
volatile sig_atomic_t changed = 0;
bool modifyOtherKeys = false;

// The sequences written here are in the list of every sequence the console writes
// (terminal_screen.h).
constexpr char kEnterSequences[] = "\x1b[?2004h";       // bracketed paste on
constexpr char kLeaveSequences[] = "\x1b[?2004l\x1b[m"; // off, and plain colours
// xterm's modifyOtherKeys level 1: Ctrl and Alt with digits, Enter and punctuation get sequences.
constexpr char kEnterOtherKeys[] = "\x1b[>4;1m";
constexpr char kLeaveOtherKeys[] = "\x1b[>4m";

// Signals that end the process, and those that mean a crash; both restore the terminal first.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};

void WriteRaw(const char* text, size_t length) {
    if (terminalOut >= 0) WriteAll(terminalOut, text, length);
}

void ApplyRaw() {
    tcsetattr(terminalIn, TCSADRAIN, &rawSettings);
    WriteRaw(kEnterSequences, sizeof kEnterSequences - 1);
    if (modifyOtherKeys) WriteRaw(kEnterOtherKeys, sizeof kEnterOtherKeys - 1);
    rawActive = 1;
}

void Install(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Restores the terminal and lets the signal do what it does by default.
void OnFatalSignal(int signal) {
    int saved = errno;
    TerminalRestore();
    Install(signal, SIG_DFL);
    errno = saved;
    raise(signal);
}

// Gives the terminal back and stops; once continued, takes it again and has the line redrawn.
void OnSuspend(int) {
    int saved = errno;
    bool wasRaw = rawActive != 0;
    TerminalRestore();
    Install(SIGTSTP, SIG_DFL);
    // The signal is blocked while its handler runs: raised so, it would only be delivered again
    // to this handler once it returned, and again, without ever stopping. Unblocked, it stops the
    // process right here.
    sigset_t suspend;
    sigemptyset(&suspend);
    sigaddset(&suspend, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &suspend, nullptr);
    raise(SIGTSTP);
    // Continued: raw mode again, and the handler back in place.
    Install(SIGTSTP, OnSuspend);
    if (wasRaw) ApplyRaw();
    changed = 1;
    errno = saved;
}

void OnResize(int) {
    changed = 1;
}

} // namespace

bool TerminalEnterRaw(int inputFd, int outputFd) {
    if (!isatty(inputFd) || tcgetattr(inputFd, &savedSettings) != 0) return false;
    terminalIn = inputFd;
    terminalOut = outputFd;
    rawSettings = savedSettings;
    rawSettings.c_iflag &=
        ~static_cast<tcflag_t>(BRKINT | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | IXON);
    rawSettings.c_oflag |= OPOST | ONLCR;
    rawSettings.c_cflag |= CS8;
    rawSettings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
    rawSettings.c_cc[VMIN] = 1;
    rawSettings.c_cc[VTIME] = 0;
    // Only xterm-like terminals know modifyOtherKeys; others might read the request as colours.
    const char* term = std::getenv("TERM");
    modifyOtherKeys = term != nullptr && std::strncmp(term, "xterm", 5) == 0;

    for (int signal : kEndingSignals)
        Install(signal, OnFatalSignal);
    for (int signal : kCrashSignals)
        Install(signal, OnFatalSignal);
    Install(SIGTSTP, OnSuspend);
    Install(SIGWINCH, OnResize);
    std::atexit(TerminalRestore);
    ApplyRaw();
    return true;
}

void TerminalRestore() {
    if (rawActive == 0) return;
    rawActive = 0;
    if (modifyOtherKeys) WriteRaw(kLeaveOtherKeys, sizeof kLeaveOtherKeys - 1);
    WriteRaw(kLeaveSequences, sizeof kLeaveSequences - 1);
    tcsetattr(terminalIn, TCSADRAIN, &savedSettings);
}

TerminalSize TerminalSizeOf(int fd) {
    winsize size{};
    bool known = ioctl(fd, TIOCGWINSZ, &size) == 0;
    return {known && size.ws_row > 0 ? size.ws_row : size_t{24},
            known && size.ws_col > 0 ? size.ws_col : size_t{80}};
}

bool TerminalChanged() {
    if (changed == 0) return false;
    changed = 0;
    return true;
}

void WriteAll(int fd, const char* bytes, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, bytes, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes += n;
        length -= static_cast<size_t>(n);
    }
}
