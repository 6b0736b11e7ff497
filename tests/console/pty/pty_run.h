// The console run as a process: started on a terminal of a given size (or on pipes), keys typed by
// name, what the terminal shows waited for, and its end with its status and the terminal's modes.
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/console/pty/terminal_model.h"
#include "tests/console/typed_keys.h"

constexpr auto kPatience = std::chrono::seconds(20);
// Under Wine: a fresh machine reads every Wine library from disk on the first start, and a call
// into the DLL can wait on the Wine server while another program of the prefix keeps it busy.
constexpr auto kWinePatience = std::chrono::seconds(240);
// How long output may still arrive after the console ended.
constexpr auto kDrainBound = std::chrono::seconds(10);

// One run of torvane-console on a pseudo-terminal.
struct ConsoleRun {
    pid_t pid = -1;
    int master = -1;
    TerminalModel screen;
    int status = 0;
    bool exited = false;
    std::chrono::seconds patience = kPatience; // how long a wait for the screen may take
};

// A fresh, empty folder of that name for one test's files.
inline std::string TestDirectory(const std::string& name) {
    std::string dir = std::string(TORVANE_CONSOLE_TEST_DIR) + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// The Wine prefix the --windows journeys share, held by one journey at a time: ctest runs tests
// side by side, and two journeys starting together would both make the prefix. The journeys drive
// the DLL, not Wine's set-up: a new prefix is made and Wine's set-up of it waited for first (that
// set-up goes on for seconds after the first program of the prefix has started, and on a fresh
// machine for longer than a journey's wait). While a journey holds the prefix, its server is kept
// running and its services are started outside the console's terminals, so no run of the console
// starts them, and the next does not start while a server is still ending; the journey's end stops
// them all. Now and then the first program after the set-up cannot be started: the prefix is then
// made once more from nothing. Without Wine this does nothing, and the console says Wine is
// missing.
struct SharedWinePrefix {
    SharedWinePrefix() {
        std::filesystem::create_directories(TORVANE_CONSOLE_TEST_DIR);
        lock =
            open(TORVANE_CONSOLE_TEST_DIR "/wine-prefix.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (lock >= 0) flock(lock, LOCK_EX);
        setenv("TORVANE_WINE_PREFIX", kPath, 1);
        if (!Shell("command -v wine && command -v wineserver")) return;
        for (int attempt = 0; attempt < 2 && !Ready(); ++attempt) {
            Shell(Stop());
            std::filesystem::remove_all(kPath);
        }
    }
    ~SharedWinePrefix() {
        Shell("command -v wineserver && { " + Stop() + "; }");
        if (lock >= 0) close(lock);
    }

    static constexpr const char* kPath = TORVANE_CONSOLE_TEST_DIR "/wine-prefix";
    int lock = -1;

  private:
    // The prefix made and set up (when it is new), its server started and kept, and a first
    // program run in it.
    static bool Ready() {
        bool made = std::filesystem::exists(std::string(kPath) + "/system.reg");
        return Shell((made ? std::string()
                           : Wine() + "timeout -k 5 240 wine wineboot --init && " + Wine() +
                                 "timeout 120 wineserver -w && ") +
                     Wine() + "wineserver -p && " + Wine() + "timeout -k 5 120 wine cmd /c exit");
    }
    static std::string Stop() {
        return Wine() + "timeout 20 wineserver -k; " + Wine() + "timeout 20 wineserver -w";
    }
    // The environment the console gives Wine, as the start of a command line.
    static std::string Wine() {
        return "WINEPREFIX=" + std::string(kPath) +
               " WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= DISPLAY= "
               "WAYLAND_DISPLAY= ";
    }
    // Runs a shell command with no terminal and its output thrown away; true when it succeeded.
    static bool Shell(const std::string& command) {
        return std::system(("(" + command + ") </dev/null >/dev/null 2>&1").c_str()) == 0;
    }
};

// In a child: becomes the console with arguments.
[[noreturn]] inline void ExecConsole(const std::vector<std::string>& arguments,
                                     const std::string& configHome) {
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    std::string program = TORVANE_CONSOLE_PATH;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv = {program.data()};
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// As a job-control shell runs a job: the console in a process group of its own, in the
// terminal's foreground, under a parent that waits for it and ends with its status. (Stop signals
// do not stop the group of a session's leader, which the console is otherwise.)
inline void BecomeAJob() {
    pid_t job = fork();
    if (job > 0) {
        int status = 0;
        while (waitpid(job, &status, 0) < 0 && errno == EINTR) {
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    setpgid(0, 0);
    signal(SIGTTOU, SIG_IGN); // a group in the background may take the terminal so
    tcsetpgrp(STDIN_FILENO, getpid());
    signal(SIGTTOU, SIG_DFL);
}

// Starts the console with arguments and $XDG_CONFIG_HOME on a terminal of rows and columns.
// fileSizeLimit: the largest file the console may write, in bytes (ulimit -f); asJob: run as a
// job-control shell runs a job.
inline ConsoleRun Start(const std::vector<std::string>& arguments, const std::string& configHome,
                        size_t rows = 24, size_t columns = 80, rlim_t fileSizeLimit = RLIM_INFINITY,
                        bool asJob = false) {
    ConsoleRun run;
    run.screen = NewTerminalModel(rows, columns);
    for (const auto& argument : arguments)
        if (argument == "--windows") run.patience = kWinePatience;
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    run.pid = forkpty(&run.master, nullptr, nullptr, &size);
    if (run.pid > 0) fcntl(run.master, F_SETFL, fcntl(run.master, F_GETFL) | O_NONBLOCK);
    if (run.pid == 0) {
        if (asJob) BecomeAJob();
        rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        setenv("TERM", "xterm", 1);
        ExecConsole(arguments, configHome);
    }
    return run;
}

// Reads what the console wrote within waitMs: the number of bytes, 0 when nothing came, -1 once
// the console has closed the terminal.
inline ssize_t Pump(ConsoleRun* run, int waitMs) {
    pollfd entry{run->master, POLLIN, 0};
    if (poll(&entry, 1, waitMs) <= 0) return 0;
    char buffer[65536];
    ssize_t n = read(run->master, buffer, sizeof buffer);
    if (n < 0 && errno == EAGAIN) return 0;
    if (n <= 0) return -1;
    Feed(&run->screen, std::string(buffer, static_cast<size_t>(n)));
    return n;
}

// Reads until the console has been quiet for a while: it has dealt with every key typed.
inline void Settle(ConsoleRun* run) {
    auto until = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < until && Pump(run, 200) > 0) {
    }
}

// Waits until done holds for the screen; false after the run's patience ran out.
inline bool WaitFor(ConsoleRun* run, const std::function<bool(const TerminalModel&)>& done) {
    auto until = std::chrono::steady_clock::now() + run->patience;
    while (std::chrono::steady_clock::now() < until) {
        if (done(run->screen)) return true;
        if (Pump(run, 50) < 0) return done(run->screen);
    }
    return done(run->screen);
}

inline std::string CursorRow(const TerminalModel& s) {
    return RowText(s, s.row);
}

inline bool Shows(ConsoleRun* run, const std::string& text) {
    return WaitFor(
        run, [&](const TerminalModel& s) { return AllText(s).find(text) != std::string::npos; });
}

inline bool RowIs(ConsoleRun* run, const std::string& text) {
    return WaitFor(run, [&](const TerminalModel& s) { return CursorRow(s) == text; });
}

// Types keys, named as typed_keys.h names them, and waits until the console has dealt with them.
inline void Type(ConsoleRun* run, const std::string& keys) {
    const std::string bytes = Keys(keys);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(run->master, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else
            Pump(run, 10); // the console is busy: let it write
        Pump(run, 0);
    }
    Settle(run);
}

// Keys typed, then text that must appear on the screen ("" for none) and the cursor's row.
struct Step {
    std::string keys;
    std::string shows;
    std::string row;
};

inline void Play(ConsoleRun* run, const std::vector<Step>& steps) {
    for (const auto& step : steps) {
        Type(run, step.keys);
        if (!step.shows.empty()) {
            EXPECT_TRUE(Shows(run, step.shows)) << "after " << step.keys << "\n"
                                                << AllText(run->screen);
        }
        EXPECT_TRUE(RowIs(run, step.row))
            << "after " << step.keys << ": row is \"" << CursorRow(run->screen) << "\"\n"
            << AllText(run->screen);
    }
}

// Reads the rest of what the console wrote before it ended. The terminal hands output on a little
// later than it was written, so a console that has ended can still have output on the way: it is
// all read once reading reports the terminal closed. A process the console started may still hold
// the terminal open, hence the bound.
inline void Drain(ConsoleRun* run) {
    auto until = std::chrono::steady_clock::now() + kDrainBound;
    while (std::chrono::steady_clock::now() < until && Pump(run, 50) >= 0) {
    }
}

// Waits for the console to end and reads all it wrote; the terminal's settings can still be read
// from the master.
inline bool Ended(ConsoleRun* run) {
    auto until = std::chrono::steady_clock::now() + run->patience;
    while (std::chrono::steady_clock::now() < until) {
        Pump(run, 20);
        if (waitpid(run->pid, &run->status, WNOHANG) == run->pid) {
            run->exited = true;
            Drain(run);
            return true;
        }
    }
    return false;
}

// True when the terminal is back in its usual line mode.
inline bool Restored(const ConsoleRun& run) {
    termios settings{};
    if (tcgetattr(run.master, &settings) != 0) return false;
    return (settings.c_lflag & ICANON) && (settings.c_lflag & ECHO) && (settings.c_lflag & ISIG) &&
           (settings.c_iflag & ICRNL);
}

// Ends what is left of the run: the console if it still runs, and the terminal.
inline void Finish(ConsoleRun* run) {
    if (!run->exited && run->pid > 0) {
        kill(run->pid, SIGKILL);
        waitpid(run->pid, &run->status, 0);
        run->exited = true;
    }
    if (run->master >= 0) close(run->master);
    run->master = -1;
}

// Types keys after which the console ends with status and leaves the terminal as it found it;
// the run is finished. The two ways a person leaves are Ctrl-C (status 130) and exit (0).
inline void Leave(ConsoleRun* run, const std::string& keys, int status) {
    Type(run, keys);
    if (!Ended(run)) {
        ADD_FAILURE() << "still running after " << keys << ":\n" << AllText(run->screen);
    } else {
        EXPECT_TRUE(WIFEXITED(run->status) && WEXITSTATUS(run->status) == status)
            << "after " << keys << ": status " << run->status;
        EXPECT_TRUE(Restored(*run)) << "after " << keys;
    }
    Finish(run);
}

// Gives the terminal a new size: the screen rewraps its rows, then the console hears of it.
inline void ResizeTo(ConsoleRun* run, size_t rows, size_t columns) {
    Settle(run);
    Resize(&run->screen, rows, columns);
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(run->master, TIOCSWINSZ, &size);
    Settle(run);
}

// The one child of the run's process (the console's bridge, or the console under its job's
// parent); -1 when none came within a few seconds.
inline pid_t ChildOf(ConsoleRun* run) {
    std::string task = std::to_string(run->pid);
    pid_t child = -1;
    for (int i = 0; i < 100 && child <= 0; ++i, Pump(run, 50))
        std::ifstream("/proc/" + task + "/task/" + task + "/children") >> child;
    return child;
}

// What a run of the console without a terminal wrote, and how it ended.
struct PipedRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

// Runs the console with input on standard input (closed instead when input is null).
inline PipedRun RunPiped(const std::vector<std::string>& arguments, const std::string& configHome,
                         const char* input) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        if (input != nullptr)
            dup2(in[0], STDIN_FILENO);
        else
            close(STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        ExecConsole(arguments, configHome);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (input != nullptr) {
        ssize_t written = write(in[1], input, std::strlen(input));
        (void)written;
    }
    close(in[1]);
    PipedRun run;
    run.out = ReadAll(out[0]);
    run.err = ReadAll(err[0]);
    close(out[0]);
    close(err[0]);
    waitpid(pid, &run.status, 0);
    return run;
}
