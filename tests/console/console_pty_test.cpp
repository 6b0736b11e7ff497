// The Torvane console in a pseudo-terminal: keys typed as a terminal sends them, the screen
// checked as a terminal shows it, and the terminal's settings checked after every way out.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "plugin/version.h"
#include "screen.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);
// Wine makes its prefix on the first run, which takes a while.
constexpr auto kWinePatience = std::chrono::seconds(240);
// How long output may still arrive after the console ended.
constexpr auto kDrainBound = std::chrono::seconds(10);

// One run of torvane-console on a pseudo-terminal of the given size.
struct ConsoleRun {
    pid_t pid = -1;
    int master = -1;
    Screen screen;
    int status = 0;
    bool exited = false;
};

std::string TestDirectory(const std::string& name) {
    std::string dir = std::string(TORVANE_CONSOLE_TEST_DIR) + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// As a job-control shell runs a job: the console in a process group of its own, in the
// terminal's foreground, under a parent that waits for it and ends with its status. (Stop signals
// do not stop the group of a session's leader, which the console is otherwise.)
void BecomeAJob() {
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

// fileSizeLimit: the largest file the console may write, in bytes (ulimit -f); asJob: run as a
// job-control shell runs a job.
ConsoleRun Start(const std::vector<std::string>& arguments, const std::string& configHome,
                 size_t rows = 24, size_t columns = 80, rlim_t fileSizeLimit = RLIM_INFINITY,
                 bool asJob = false) {
    ConsoleRun run;
    run.screen = NewScreen(rows, columns);
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
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        std::vector<char*> argv;
        std::string program = TORVANE_CONSOLE_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copies = arguments;
        for (auto& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return run;
}

// Reads what the console wrote within waitMs: the number of bytes, 0 when nothing came, -1 once
// the console has closed the terminal.
ssize_t Pump(ConsoleRun* run, int waitMs) {
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
void Settle(ConsoleRun* run) {
    auto until = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < until && Pump(run, 200) > 0) {
    }
}

// Waits until done holds for the screen; false after the patience ran out.
bool WaitFor(ConsoleRun* run, const std::function<bool(const Screen&)>& done,
             std::chrono::seconds patience = kPatience) {
    auto until = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < until) {
        if (done(run->screen)) return true;
        if (Pump(run, 50) < 0) return done(run->screen);
    }
    return done(run->screen);
}

std::string CursorRow(const Screen& s) {
    return RowText(s, s.row);
}

bool Shows(ConsoleRun* run, const std::string& text) {
    return WaitFor(run,
                   [&](const Screen& s) { return AllText(s).find(text) != std::string::npos; });
}

bool RowIs(ConsoleRun* run, const std::string& text) {
    return WaitFor(run, [&](const Screen& s) { return CursorRow(s) == text; });
}

void Type(ConsoleRun* run, const std::string& keys) {
    size_t done = 0;
    while (done < keys.size()) {
        ssize_t n = write(run->master, keys.data() + done, keys.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else
            Pump(run, 10); // the console is busy: let it write
        Pump(run, 0);
    }
    Settle(run);
}

// Reads the rest of what the console wrote before it ended. The terminal hands output on a little
// later than it was written, so a console that has ended can still have output on the way: it is
// all read once reading reports the terminal closed. A process the console started may still hold
// the terminal open, hence the bound.
void Drain(ConsoleRun* run) {
    auto until = std::chrono::steady_clock::now() + kDrainBound;
    while (std::chrono::steady_clock::now() < until && Pump(run, 50) >= 0) {
    }
}

// Waits for the console to end and reads all it wrote; the terminal's settings can still be read
// from the master.
bool Ended(ConsoleRun* run, std::chrono::seconds patience = kPatience) {
    auto until = std::chrono::steady_clock::now() + patience;
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
bool Restored(const ConsoleRun& run) {
    termios settings{};
    if (tcgetattr(run.master, &settings) != 0) return false;
    return (settings.c_lflag & ICANON) && (settings.c_lflag & ECHO) && (settings.c_lflag & ISIG) &&
           (settings.c_iflag & ICRNL);
}

void Finish(ConsoleRun* run) {
    if (!run->exited && run->pid > 0) {
        kill(run->pid, SIGKILL);
        waitpid(run->pid, &run->status, 0);
    }
    if (run->master >= 0) close(run->master);
}

// Gives the terminal a new size: the screen rewraps its rows, then the console hears of it.
void ResizeTo(ConsoleRun* run, size_t rows, size_t columns) {
    Settle(run);
    Resize(&run->screen, rows, columns);
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(run->master, TIOCSWINSZ, &size);
    Settle(run);
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// What a run of the console without a terminal wrote, and how it ended.
struct PipedRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

// Runs the console with input on standard input (closed instead when input is null).
PipedRun RunPiped(const std::vector<std::string>& arguments, const std::string& configHome,
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
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        std::vector<std::string> copies = arguments;
        std::vector<char*> argv;
        std::string program = TORVANE_CONSOLE_PATH;
        argv.push_back(program.data());
        for (auto& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
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

struct Step {
    std::string keys;
    std::string shows; // text that must appear on the screen ("" for none)
    std::string row;   // the cursor's row afterwards
};

void Play(ConsoleRun* run, const std::vector<Step>& steps) {
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

TEST(ConsolePty, TheFirstMinuteAndTheHotkeyAfterARestart) {
    std::string dir = TestDirectory("first-minute");
    std::string registry = dir + "/registry.txt";
    ConsoleRun run = Start({"--registry", registry}, dir);
    ASSERT_TRUE(Shows(&run, "Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is F3."))
        << AllText(run.screen);
    EXPECT_TRUE(Shows(&run, "No registry file at"));
    Play(&run, {
                   {"copy a.txt b.txt\r", "Not run: copy a.txt b.txt", ">"},
                   {"notepad", "", "> notepad"},
                   {"\x1bOR", "", "> notepad a.txt b.txt"},    // F3
                   {"\x1b[1;6R", "", "> notepad a.txt b.txt"}, // Ctrl-Shift-F3: not the hotkey
                   {"\x1b[D\x1b[D\x1b[3~", "", "> notepad a.txt b.tt"}, // Left, Left, Delete
                   {"\x1b", "", ">"},                                   // Esc
                   {"ab\x1b[99~\x1b[<0;3;3Mc", "", "> abc"},            // unknown sequences ignored
                   {"\x7f\x7f\x7f", "", ">"},
                   // The list is paged: Space shows its second page, with Ctrl-Q; q ends it.
                   {"torvane /l\r", "F12", "-- More: Space next page, Enter next line, q stop --"},
                   {" q", "Ctrl-Q", ">"},
                   // A line typed ahead is not the pager's: the list goes on, then the line runs.
                   {"torvane /l\recho typed ahead\r", "\ntyped ahead", ">"},
                   {"torvane ctrl-q /s\r",
                    "Settings saved to the registry (HKCU\\Software\\Varnholt\\Torvane).", ">"},
                   {"echo %_?\r", "", ">"},
               });
    EXPECT_EQ(RowText(run.screen, run.screen.row - 1), "0");
    EXPECT_EQ(run.screen.column, 2u);
    Type(&run, "exit\r");
    ASSERT_TRUE(Ended(&run));
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0);
    EXPECT_TRUE(Restored(run));
    Finish(&run);

    ConsoleRun again = Start({"--registry", registry}, dir);
    ASSERT_TRUE(Shows(&again, "Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is Ctrl-Q."))
        << AllText(again.screen);
    EXPECT_EQ(AllText(again.screen).find("No registry file"), std::string::npos);
    Play(&again, {
                     {"copy a.txt b.txt\r", "", ">"},
                     {"notepad\x11", "", "> notepad a.txt b.txt"}, // Ctrl-Q
                     {"\x1bOR", "", "> notepad a.txt b.txt"},      // F3 is an ordinary key now
                 });
    Type(&again, "\x03"); // Ctrl-C
    ASSERT_TRUE(Ended(&again));
    EXPECT_TRUE(WIFEXITED(again.status) && WEXITSTATUS(again.status) == 130);
    EXPECT_TRUE(Restored(again));
    Finish(&again);
}

TEST(ConsolePty, CombinedModifiersTraceLinesAndTheBell) {
    std::string dir = TestDirectory("modifiers");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir);
    ASSERT_TRUE(Shows(&run, "hotkey is F3."));
    Play(&run, {
                   {"x\x1bOR", "", "> x"}, // nothing saved yet: the bell
                   {"\x1b", "", ">"},
                   {"torvane ctrl-shift-f3 /$:y\r", "Ctrl-Shift-F3", ">"},
                   {"copy a.txt b.txt\r",
                    "\xe2\x96\xba Saving args \xe2\x80\x9c"
                    "a.txt b.txt\xe2\x80\x9d.",
                    ">"},
                   {"copy\x1b[1;6R", "", "> copy a.txt b.txt"},
                   {"\x1b[1;5H\x1b[1;6R", "", "> a.txt b.txt copy a.txt b.txt"},
               });
    EXPECT_GE(run.screen.bells, 1);
    Type(&run, "\x03");
    ASSERT_TRUE(Ended(&run));
    Finish(&run);
}

TEST(ConsolePty, NarrowTerminalKeepsTheCursorRight) {
    std::string dir = TestDirectory("narrow");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir, 24, 12);
    ASSERT_TRUE(Shows(&run, "F3."));
    // "> " and 25 characters: rows "> 0123456789", "abcdefghijkl", "mno".
    Type(&run, "0123456789abcdefghijklmno");
    ASSERT_TRUE(RowIs(&run, "mno"));
    EXPECT_EQ(run.screen.column, 3u);
    struct Case {
        std::string keys;
        size_t rowsUp; // rows above the last row of the line
        size_t column;
    };
    const Case cases[] = {
        {"\x1b[H", 2, 2},  {"\x1b[C\x1b[C", 2, 4},
        {"\x1b[F", 0, 3},  {"\x1b[D\x1b[D\x1b[D\x1b[D", 1, 11},
        {"\x1b[D", 1, 10}, {"\x1b[C\x1b[C", 0, 0},
    };
    size_t lastRow = run.screen.row;
    for (const auto& c : cases) {
        Type(&run, c.keys);
        EXPECT_TRUE(WaitFor(
            &run,
            [&](const Screen& s) { return s.row + c.rowsUp == lastRow && s.column == c.column; }))
            << c.keys.substr(1) << ": cursor at " << run.screen.row << "," << run.screen.column;
    }
    // A line that exactly fills its rows puts the cursor at the start of the next.
    Type(&run, "\x1b[F\x7f\x7f\x7f");
    ASSERT_TRUE(RowIs(&run, ""));
    EXPECT_EQ(run.screen.column, 0u);
    EXPECT_EQ(RowText(run.screen, run.screen.row - 1), "abcdefghijkl");
    Type(&run, "\x03");
    ASSERT_TRUE(Ended(&run));
    Finish(&run);
}

TEST(ConsolePty, PastingMoreThanTheLineHoldsStopsAtItsBound) {
    std::string dir = TestDirectory("paste");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir, 24, 200);
    ASSERT_TRUE(Shows(&run, "F3."));
    Type(&run, "\x1b[200~" + std::string(100000, 'x') + "\x1b[201~");
    EXPECT_TRUE(WaitFor(&run, [](const Screen& s) { return s.bells >= 1; }));
    // 65535 characters after "> ": the last row holds the remaining 137 of them.
    EXPECT_TRUE(RowIs(&run, std::string((65535 + 2) % 200, 'x')));
    Type(&run, "\x7fyz");
    EXPECT_TRUE(RowIs(&run, std::string((65535 + 2) % 200 - 1, 'x') + "y"));
    EXPECT_GE(run.screen.bells, 2);
    Type(&run, "\x03");
    ASSERT_TRUE(Ended(&run));
    EXPECT_TRUE(Restored(run));
    Finish(&run);
}

TEST(ConsolePty, SignalsAndCrashesRestoreTheTerminal) {
    const int signals[] = {SIGTERM, SIGHUP, SIGSEGV, SIGABRT};
    for (int signal : signals) {
        std::string dir = TestDirectory("signal-" + std::to_string(signal));
        ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir);
        ASSERT_TRUE(Shows(&run, "F3."));
        ASSERT_TRUE(RowIs(&run, ">"));
        EXPECT_FALSE(Restored(run)) << "raw mode while the console runs";
        kill(run.pid, signal);
        ASSERT_TRUE(Ended(&run)) << "signal " << signal;
        EXPECT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == signal)
            << "signal " << signal;
        EXPECT_TRUE(Restored(run)) << "signal " << signal;
        Finish(&run);
    }
}

// The state of a process as /proc shows it: R running, S sleeping, T stopped.
char ProcessState(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t nameEnd = stat.rfind(')');
    return nameEnd != std::string::npos && nameEnd + 2 < stat.size() ? stat[nameEnd + 2] : '?';
}

bool BecomesState(pid_t pid, char state) {
    auto until = std::chrono::steady_clock::now() + kPatience;
    while (ProcessState(pid) != state && std::chrono::steady_clock::now() < until)
        usleep(20000);
    return ProcessState(pid) == state;
}

// Stopped as by a job-control shell, the console gives the terminal back and writes nothing until
// it is continued; then it takes the terminal again and draws the line anew.
TEST(ConsolePty, AStopGivesTheTerminalBackAndContinuingRedrawsTheLine) {
    std::string dir = TestDirectory("stop");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir, 24, 80, RLIM_INFINITY, true);
    ASSERT_TRUE(Shows(&run, "F3."));
    Type(&run, "abc");
    ASSERT_TRUE(RowIs(&run, "> abc"));
    std::string parent = std::to_string(run.pid);
    pid_t console = -1;
    std::ifstream("/proc/" + parent + "/task/" + parent + "/children") >> console;
    ASSERT_GT(console, 0);

    kill(console, SIGTSTP);
    if (!BecomesState(console, 'T')) {
        ADD_FAILURE() << "not stopped: state " << ProcessState(console);
        kill(console, SIGKILL);
        Finish(&run);
        return;
    }
    Settle(&run);
    EXPECT_TRUE(Restored(run));
    EXPECT_EQ(Pump(&run, 500), 0) << "written while stopped";
    Feed(&run.screen, "\r\n$ fg\r\n"); // what a shell shows meanwhile
    ASSERT_TRUE(RowIs(&run, ""));

    kill(console, SIGCONT);
    EXPECT_TRUE(RowIs(&run, "> abc"));
    EXPECT_FALSE(Restored(run));
    Type(&run, "d\x1b[D");
    EXPECT_TRUE(RowIs(&run, "> abcd"));
    EXPECT_EQ(run.screen.column, 5u);
    Type(&run, "\x03");
    ASSERT_TRUE(Ended(&run));
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 130) << run.status;
    EXPECT_TRUE(Restored(run));
    Finish(&run);
}

TEST(ConsolePty, ACorruptRegistryFileStartsWithTheDefaultsAndSaysSoOnce) {
    std::string dir = TestDirectory("corrupt");
    std::string registry = dir + "/registry.txt";
    std::ofstream(registry) << "this is not a registry\n";
    ConsoleRun run = Start({"--registry", registry}, dir, 24, 500); // the message on one row
    ASSERT_TRUE(Shows(&run, "hotkey is F3."));
    std::string all = AllText(run.screen);
    size_t first = all.find("is corrupt");
    EXPECT_NE(first, std::string::npos) << all;
    EXPECT_EQ(all.find("is corrupt", first + 1), std::string::npos);
    Play(&run, {{"torvane f4 /s\r", "Settings saved", ">"}});
    Type(&run, "exit\r");
    ASSERT_TRUE(Ended(&run));
    Finish(&run);
    EXPECT_TRUE(std::filesystem::exists(registry + ".bad"));
}

TEST(ConsolePty, AFailedSaveNamesTheFileAndTheCause) {
    std::string dir = TestDirectory("read-only");
    std::string registry = dir + "/registry.txt";
    std::ofstream(registry) << "[HKCU]\n";
    chmod(registry.c_str(), 0444);
    ConsoleRun run = Start({"--registry", registry}, dir, 24, 500); // each message on one row
    ASSERT_TRUE(Shows(&run, "hotkey is F3."));
    Play(&run, {{"torvane ctrl-q /s /q\r", "torvane-console:", ">"}, {"echo %_?\r", "", ">"}});
    std::string all = AllText(run.screen);
    EXPECT_NE(all.find("> torvane ctrl-q /s /q\n\n"
                       "Torvane plugin: Error saving settings to the registry "
                       "(HKCU\\Software\\Varnholt\\Torvane) :\n"
                       "An I/O operation initiated by the registry failed unrecoverably. The "
                       "registry could not read in, or write out, or flush, one of the files that "
                       "contain the system's image of the registry.\n"
                       "torvane-console: cannot write the registry file " +
                       registry +
                       ": Permission denied (the file is read-only)\n"
                       "> echo %_?\n2\n"),
              std::string::npos)
        << all;
    Type(&run, "exit\r");
    ASSERT_TRUE(Ended(&run));
    Finish(&run);
}

TEST(ConsolePty, ResizingRedrawsALineOfSeveralRowsOnce) {
    std::string dir = TestDirectory("resize");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir, 24, 40);
    ASSERT_TRUE(Shows(&run, "F3."));
    std::string line;
    for (int i = 0; i < 20; ++i)
        line += (i > 0 ? " w" : "w") + std::string(i < 10 ? "0" : "") + std::to_string(i);
    Type(&run, line + "\x1b[D\x1b[D"); // the cursor on the second character from the end
    for (size_t columns : {80, 30, 100, 25, 80}) {
        ResizeTo(&run, 24, columns);
        const Screen& s = run.screen;
        std::string all = AllText(s);
        EXPECT_EQ(Count(all, "> w00"), 1u) << columns << " columns:\n" << all;
        // The line's rows, from its first to the last row on the screen, hold it once.
        size_t first = 0;
        while (first < s.rows && RowText(s, first).rfind("> w00", 0) != 0)
            ++first;
        std::string shown;
        for (size_t r = first; r < s.row && r < s.rows; ++r)
            shown += std::string(s.cells[r].begin(), s.cells[r].end()); // ASCII, blanks kept
        shown += RowText(s, s.row);
        for (size_t r = s.row + 1; r < s.rows; ++r)
            shown += RowText(s, r); // nothing below the line
        EXPECT_EQ(shown, "> " + line) << columns << " columns:\n" << all;
        size_t cursor = 2 + line.size() - 2;
        EXPECT_EQ(s.row, first + cursor / columns) << columns << " columns:\n" << all;
        EXPECT_EQ(s.column, cursor % columns) << columns << " columns:\n" << all;
    }
    Type(&run, "\x03");
    ASSERT_TRUE(Ended(&run));
    Finish(&run);
}

TEST(ConsolePty, TheHelpBoxFitsTheTerminalAndClosesWithEnterEscOrCtrlC) {
    std::string dir = TestDirectory("help-box");
    struct Case {
        size_t rows, columns;
        std::string shows; // in the box
        std::string border;
        std::string close;
    };
    const Case cases[] = {
        {40, 120, "TORVANE with no options displays the current settings.",
         "\xe2\x94\x8c" +
             [] {
                 std::string bar;
                 for (int i = 0; i < 68; ++i)
                     bar += "\xe2\x94\x80";
                 return bar;
             }() +
             "\xe2\x94\x90",
         "\r"},
        {24, 80, "Lines 1-17 of 19: Up/Down/PgUp/PgDn", "", "\x1b"},
        {24, 40, "Lines 1-17 of 34", "", "\x1b"},
    };
    for (const auto& c : cases) {
        ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir, c.rows, c.columns);
        ASSERT_TRUE(Shows(&run, "F3."));
        Type(&run, "help torvane\r");
        EXPECT_TRUE(Shows(&run, c.shows)) << AllText(run.screen);
        if (!c.border.empty()) {
            EXPECT_TRUE(Shows(&run, c.border)) << AllText(run.screen);
        }
        // Every row of the box starts and ends with a border: none was wrapped by the terminal.
        for (size_t r = 0; r < run.screen.rows; ++r) {
            std::string row = RowText(run.screen, r);
            if (row.rfind("\xe2\x94\x82", 0) == 0) {
                EXPECT_EQ(row.substr(row.size() - 3), "\xe2\x94\x82") << row;
            }
        }
        if (c.shows.rfind("Lines", 0) == 0) {
            Type(&run, "\x1b[B");
            EXPECT_TRUE(Shows(&run, "Lines 2-18 of")) << AllText(run.screen);
        }
        Type(&run, c.close);
        EXPECT_TRUE(RowIs(&run, ">")) << AllText(run.screen);
        Type(&run, "help torvane\r\x03");
        ASSERT_TRUE(Ended(&run));
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 130);
        EXPECT_TRUE(Restored(run));
        Finish(&run);
    }
}

TEST(ConsolePty, PastedLinesRunAndEveryPasteEnds) {
    std::string dir = TestDirectory("paste-lines");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir);
    ASSERT_TRUE(Shows(&run, "F3."));
    Play(&run, {
                   {"\x1b[200~copy p1 p2\r\nnotepad\x1b[201~", "Not run: copy p1 p2", "> notepad"},
                   {"\x1bOR", "", "> notepad p1 p2"},
                   {"\x1b", "", ">"},
                   // A sequence too long to be a key is dropped whole; a pause ends it, so
                   // what is typed after it is kept, even what could have been its rest.
                   {"\x1b[" + std::string(300, '1'), "", ">"},
                   {"23;5A", "", "> 23;5A"},
                   {"x", "", "> 23;5Ax"},
                   {"\x1b[200~abc", "", "> 23;5Axabc"}, // the paste's end never comes
               });
    Type(&run, "\x03");
    ASSERT_TRUE(Ended(&run));
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 130);
    EXPECT_TRUE(Restored(run));
    Finish(&run);
}

TEST(ConsolePty, OptionsThatCannotBeUsedAreNamed) {
    std::string dir = TestDirectory("options");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string shows;
    };
    const Case cases[] = {
        {{"--foo"}, 2, "torvane-console: unknown option --foo"},
        {{"--host-version", "abc"}, 2, "torvane-console: --host-version abc: the host version"},
        {{"--registry", dir + "/r.txt", "--windows"},
         2,
         "torvane-console: --registry and --windows cannot be used together"},
        {{"--help"}, 0, "registry of the Wine prefix"},
    };
    for (const auto& c : cases) {
        ConsoleRun run = Start(c.arguments, dir, 24, 200);
        ASSERT_TRUE(Ended(&run)) << c.arguments[0];
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == c.status) << c.arguments[0];
        EXPECT_NE(AllText(run.screen).find(c.shows), std::string::npos) << AllText(run.screen);
        if (c.status == 2) {
            EXPECT_NE(AllText(run.screen).find("Usage: torvane-console"), std::string::npos);
        }
        Finish(&run);
    }
}

// Without a terminal: the transcript, the end of the input, and standard input closed.
TEST(ConsolePty, WithoutATerminal) {
    std::string dir = TestDirectory("piped");
    std::vector<std::string> registry = {"--registry", dir + "/registry.txt"};
    PipedRun played =
        RunPiped(registry, dir, "torvane /$:y\rcopy a b\rtorvane /a:n\rhelp torvane\r");
    EXPECT_EQ(played.status, 0);
    EXPECT_NE(played.out.find("Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is F3.\n"),
              std::string::npos);
    EXPECT_NE(played.out.find("\n(end of input)\n"), std::string::npos) << played.out;
    for (char ch : played.out)
        EXPECT_TRUE(ch == '\n' || static_cast<unsigned char>(ch) >= 0x20) << int(ch);
    // The console's own lines are broken at blanks within 80 columns.
    std::string first = played.out.substr(0, played.out.find('\n'));
    EXPECT_LE(first.size(), 80u);
    EXPECT_EQ(first.back(), ',') << first;

    PipedRun closed = RunPiped(registry, dir, nullptr);
    EXPECT_TRUE(WIFEXITED(closed.status) && WEXITSTATUS(closed.status) == 1) << closed.status;
    EXPECT_EQ(closed.err, "torvane-console: standard input is not open\n");
}

// The variables set keeps last from one start to the next: noloadmsg hides the banner.
TEST(ConsolePty, VariablesLastToTheNextStart) {
    std::string dir = TestDirectory("variables");
    std::vector<std::string> registry = {"--registry", dir + "/registry.txt"};
    const char* banner = "Torvane v" TORVANE_VERSION_TEXT " loaded";
    PipedRun first = RunPiped(registry, dir, "set noloadmsg=1\rexit\r");
    EXPECT_NE(first.out.find(banner), std::string::npos) << first.out;
    EXPECT_NE(first.out.find(dir + "/registry.txt.vars"), std::string::npos) << first.out;
    PipedRun second =
        RunPiped(registry, dir, "echo [%noloadmsg%]\rset noloadmsg\rset noloadmsg=\r");
    EXPECT_EQ(second.out.find(banner), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("\n[1]\n"), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("\nnoloadmsg=1\n"), std::string::npos) << second.out;
    PipedRun third = RunPiped(registry, dir, "set noloadmsg\r");
    EXPECT_NE(third.out.find(banner), std::string::npos) << third.out;
    EXPECT_NE(third.out.find("\nnoloadmsg is not set\n"), std::string::npos) << third.out;
}

// --windows: the same keys reach the real Torvane.dll under Wine. The Wine prefix (and with it the
// registry) is kept between runs, so the test sets the hotkey it starts from and restores the
// defaults at its end.
TEST(ConsolePty, TheRealDllUnderWine) {
    std::string dir = TestDirectory("wine");
    setenv("TORVANE_WINE_PREFIX", TORVANE_CONSOLE_TEST_DIR "/wine-prefix", 1);
    ConsoleRun run = Start({"--windows"}, dir);
    auto startedOrRefused = [](const Screen& s) {
        std::string all = AllText(s);
        return all.find("loaded; hotkey is") != std::string::npos ||
               all.find("--windows:") != std::string::npos;
    };
    bool started = WaitFor(&run, startedOrRefused, kWinePatience);
    std::string all = AllText(run.screen);
    if (all.find("--windows:") != std::string::npos) {
        Finish(&run);
        GTEST_SKIP() << all.substr(all.find("--windows:"));
    }
    ASSERT_TRUE(started) << all;
    Play(&run, {
                   {"torvane f3 /q\r", "", ">"},
                   {"copy a.txt b.txt\r", "Not run: copy a.txt b.txt", ">"},
                   {"notepad\x1bOR", "", "> notepad a.txt b.txt"},
                   {"\x1b", "", ">"},
                   {"torvane ctrl-shift-f3\r", "Ctrl-Shift-F3", ">"},
                   {"y\x1b[1;6R", "", "> y ctrl-shift-f3"}, // Ctrl and Shift really held
                   {"\x1b", "", ">"},
                   {"torvane ctrl-q /s\r", "Settings saved to the registry", ">"},
                   {"x\x11", "", "> x ctrl-q /s"},
                   {"\x1b", "", ">"},
               });
    Type(&run, "exit\r");
    ASSERT_TRUE(Ended(&run, kWinePatience)) << AllText(run.screen);
    EXPECT_TRUE(Restored(run));
    Finish(&run);

    ConsoleRun again = Start({"--windows"}, dir);
    ASSERT_TRUE(WaitFor(&again, startedOrRefused, kWinePatience)) << AllText(again.screen);
    EXPECT_TRUE(Shows(&again, "Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is Ctrl-Q."))
        << AllText(again.screen);
    Play(&again, {{"torvane /d /s /q\r", "", ">"}, {"set noloadmsg=1\r", "", ">"}});
    Type(&again, "exit\r");
    ASSERT_TRUE(Ended(&again, kWinePatience));
    EXPECT_TRUE(Restored(again));
    Finish(&again);

    // The variables kept beside the default registry file reach the bridge before the plug-in
    // starts: no banner.
    ConsoleRun third = Start({"--windows"}, dir);
    ASSERT_TRUE(WaitFor(
        &third, [](const Screen& s) { return CursorRow(s) == ">"; }, kWinePatience))
        << AllText(third.screen);
    EXPECT_EQ(AllText(third.screen).find("loaded; hotkey is"), std::string::npos)
        << AllText(third.screen);
    Play(&third, {{"echo [%noloadmsg%]\r", "[1]", ">"}, {"set noloadmsg=\r", "", ">"}});
    Type(&third, "\x03");
    ASSERT_TRUE(Ended(&third, kWinePatience));
    EXPECT_TRUE(WIFEXITED(third.status) && WEXITSTATUS(third.status) == 130);
    EXPECT_TRUE(Restored(third));
    Finish(&third);
}

// A save waits a few seconds for a lock another process holds, names the file and fails with
// result 2; Ctrl-C ends such a wait, and the console with it.
TEST(ConsolePty, ALockHeldElsewhereIsWaitedForBrieflyAndCtrlCEndsTheWait) {
    std::string dir = TestDirectory("locked");
    std::string registry = dir + "/registry.txt";
    int lock = open((registry + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    ConsoleRun run = Start({"--registry", registry}, dir, 24, 500); // each message on one row
    ASSERT_TRUE(RowIs(&run, ">"));
    Type(&run, "torvane ctrl-q /s\r");
    EXPECT_TRUE(Shows(&run, "torvane-console: cannot write the registry file " + registry +
                                ": cannot take its lock " + registry +
                                ".lock (another process has held it for 5 seconds)"))
        << AllText(run.screen);
    ASSERT_TRUE(RowIs(&run, ">"));
    Type(&run, "echo %_?\r");
    EXPECT_TRUE(Shows(&run, "echo %_?\n2\n")) << AllText(run.screen);

    Type(&run, "torvane /s\r");
    Type(&run, "\x03");
    ASSERT_TRUE(Ended(&run));
    EXPECT_TRUE(Shows(&run, ".lock (the wait for it was interrupted)")) << AllText(run.screen);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 130) << run.status;
    EXPECT_TRUE(Restored(run));
    Finish(&run);
    close(lock);
}

// A save past the file-size limit fails as on a full disk: result 2 and one line, the files whole,
// no temporary left, and the console goes on and leaves the terminal as it found it.
TEST(ConsolePty, ASaveOverTheFileSizeLimitFailsAndTheConsoleGoesOn) {
    std::string dir = TestDirectory("file-size-limit");
    std::string registry = dir + "/registry.txt";
    std::ofstream(registry + ".vars") << "A=1\n";
    ConsoleRun run = Start({"--registry", registry}, dir, 24, 500, 64); // each message on one row
    ASSERT_TRUE(Shows(&run, "hotkey is F3."));
    Play(&run, {{"set B=" + std::string(100, 'b') + "\r", "Could not keep", ">"},
                {"torvane ctrl-q /s /q\r", "torvane-console:", ">"},
                {"echo %_?\r", "", ">"}});
    std::string all = AllText(run.screen);
    EXPECT_NE(all.find("\nCould not keep the variables in " + registry + ".vars: File too large\n"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("\ntorvane-console: cannot write the registry file " + registry +
                       ": File too large\n> echo %_?\n2\n"),
              std::string::npos)
        << all;
    Type(&run, "exit\r");
    ASSERT_TRUE(Ended(&run));
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;
    EXPECT_TRUE(Restored(run));
    Finish(&run);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"registry.txt.lock", "registry.txt.vars",
                                               "registry.txt.vars.lock"}));
    std::ifstream vars(registry + ".vars");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(vars), {}), "A=1\n");
}

// Settings and variables another user could have put in a shared sticky folder are not read: the
// console says so for each file and starts as with none.
TEST(ConsolePty, FilesAnotherUserCouldHavePutThereAreNotRead) {
    std::string dir = TestDirectory("untrusted");
    std::vector<std::string> registry = {"--registry", dir + "/registry.txt"};
    PipedRun planting = RunPiped(registry, dir, "torvane ctrl-q /s /q\rset noloadmsg=1\r");
    ASSERT_EQ(planting.status, 0) << planting.err;
    chmod(dir.c_str(), 01777);
    chmod((dir + "/registry.txt.vars").c_str(), 0666);
    if (chown((dir + "/registry.txt").c_str(), 65534, -1) != 0) GTEST_SKIP() << "it needs root";
    PipedRun run = RunPiped(registry, dir, "echo [%noloadmsg%]\r");
    std::string out = run.out;
    std::replace(out.begin(), out.end(), '\n', ' '); // the console's lines are broken to the width
    EXPECT_NE(out.find("Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is F3."),
              std::string::npos)
        << run.out;
    EXPECT_NE(out.find("[%noloadmsg%]"), std::string::npos) << run.out;
    EXPECT_NE(out.find("The registry file " + dir +
                       "/registry.txt is not trusted (it belongs to user 65534, who is neither "
                       "you nor root); starting with an empty registry. Nothing is saved there."),
              std::string::npos)
        << run.out;
    EXPECT_NE(out.find("The variables file " + dir +
                       "/registry.txt.vars is not trusted (others than its owner may write to it "
                       "(mode 0666)); starting without its variables. Nothing is saved there."),
              std::string::npos)
        << run.out;
}

// Without a terminal, a failed save's complaint about a file whose name holds control characters
// lets none of them into the transcript.
TEST(ConsolePty, ATranscriptKeepsNoControlCharacterOfAFileName) {
    std::string dir = TestDirectory("complaint");
    std::string registry = dir + "/r\xc2\x85\x1b[2J.txt";
    std::ofstream(registry) << "[HKCU]\n";
    chmod(registry.c_str(), 0444);
    PipedRun run = RunPiped({"--registry", registry}, dir, "torvane ctrl-q /s /q\r");
    EXPECT_NE(run.err.find("torvane-console: cannot write the registry file"), std::string::npos);
    for (const std::string& text : {run.out, run.err}) {
        EXPECT_EQ(text.find("\xc2\x85"), std::string::npos) << text;
        EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
    }
}

// --windows: once the bridge has died, the next key says how it ended and the console leaves
// with status 1.
TEST(ConsolePty, ABridgeThatDiesIsNamedAndEndsTheConsole) {
    setenv("TORVANE_WINE_PREFIX", TORVANE_CONSOLE_TEST_DIR "/wine-prefix", 1);
    ConsoleRun run = Start({"--windows"}, TestDirectory("wine-dies"), 24, 200);
    auto startedOrRefused = [](const Screen& s) {
        return CursorRow(s) == ">" || AllText(s).find("--windows:") != std::string::npos;
    };
    ASSERT_TRUE(WaitFor(&run, startedOrRefused, kWinePatience)) << AllText(run.screen);
    if (CursorRow(run.screen) != ">") {
        Finish(&run);
        GTEST_SKIP() << AllText(run.screen);
    }
    std::string task = std::to_string(run.pid); // the console's one child is the bridge
    pid_t bridge = -1;
    std::ifstream("/proc/" + task + "/task/" + task + "/children") >> bridge;
    ASSERT_GT(bridge, 0);
    kill(bridge, SIGKILL);
    Type(&run, "torvane /q\r");
    ASSERT_TRUE(Ended(&run, kWinePatience)) << AllText(run.screen);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
    EXPECT_NE(
        AllText(run.screen)
            .find(">\ntorvane-console: the bridge under Wine was ended by signal 9 (Killed)\n"),
        std::string::npos)
        << AllText(run.screen);
    EXPECT_TRUE(Restored(run));
    Finish(&run);
}

// --windows with a fake Wine that never answers, at the start or once a key is sent: Ctrl-C ends
// the wait at once, the bridge with it, and the console with status 130.
TEST(ConsolePty, CtrlCEndsEveryWaitOnTheBridge) {
    struct Case {
        const char* script; // the fake Wine, which reads requests and writes reports
        const char* keys;   // typed before Ctrl-C, once the prompt is shown ("" for none)
        const char* shows;  // the last row once the console has ended
    };
    const Case cases[] = {
        {"exec sleep 300", "", "(help lists them); other lines are not run. Ctrl-C leaves."},
        {"echo ready\nwhile read r; do case $r in key*) while :; do echo note; sleep 0.1; done;;\n"
         "*) echo done 0;; esac; done",
         "a", "> ^C"},
    };
    std::string path = std::getenv("PATH");
    for (const auto& c : cases) {
        std::string dir = TestDirectory("fake-wine");
        for (const char* file : {"Torvane.dll", "TakeCmd.dll", "torvane_console_bridge.exe"})
            std::ofstream(dir + "/" + file).close();
        std::ofstream(dir + "/wine") << "#!/bin/sh\n" << c.script << "\n";
        chmod((dir + "/wine").c_str(), 0755);
        setenv("TORVANE_WINDOWS_BUILD", dir.c_str(), 1);
        setenv("TORVANE_WINE_PREFIX", dir.c_str(), 1);
        setenv("PATH", (dir + ":" + path).c_str(), 1);
        ConsoleRun run = Start({"--windows"}, dir);
        ASSERT_TRUE(Shows(&run, "Ctrl-C leaves.")) << AllText(run.screen);
        if (c.keys[0] != 0) {
            ASSERT_TRUE(RowIs(&run, ">")) << AllText(run.screen);
            Type(&run, c.keys);
        }
        std::string task = std::to_string(run.pid); // the console's one child is the bridge
        pid_t bridge = -1;
        for (int i = 0; i < 100 && bridge <= 0; ++i, Pump(&run, 50))
            std::ifstream("/proc/" + task + "/task/" + task + "/children") >> bridge;
        ASSERT_GT(bridge, 0);
        Type(&run, "\x03");
        ASSERT_TRUE(Ended(&run)) << AllText(run.screen);
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 130) << c.script;
        EXPECT_TRUE(Restored(run)) << c.script;
        EXPECT_EQ(RowText(run.screen, run.screen.row - 1), c.shows) << AllText(run.screen);
        EXPECT_EQ(CursorRow(run.screen), "") << AllText(run.screen);
        EXPECT_NE(kill(bridge, 0), 0) << c.script << ": the bridge was left running";
        Finish(&run);
    }
    setenv("PATH", path.c_str(), 1);
    unsetenv("TORVANE_WINDOWS_BUILD");
    unsetenv("TORVANE_WINE_PREFIX");
}

} // namespace
