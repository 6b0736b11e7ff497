// The Torvane console as a process: in a pseudo-terminal for what needs a real one (signals, the
// terminal's modes, resizes, the bridge under Wine), or with its input on a pipe.
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>

#include "plugin/version.h"
#include "tests/console/pty/pty_run.h"

namespace {

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
                   {"<f3>", "", "> notepad a.txt b.txt"},
                   {"<c-s-f3>", "", "> notepad a.txt b.txt"}, // not the hotkey
                   {"<left><left><del>", "", "> notepad a.txt b.tt"},
                   {"<esc>", "", ">"},
                   {"ab\x1b[99~\x1b[<0;3;3Mc", "", "> abc"}, // unknown sequences ignored
                   {"<bs><bs><bs>", "", ">"},
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
    Leave(&run, "exit\r", 0);

    ConsoleRun again = Start({"--registry", registry}, dir);
    ASSERT_TRUE(Shows(&again, "Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is Ctrl-Q."))
        << AllText(again.screen);
    EXPECT_EQ(AllText(again.screen).find("No registry file"), std::string::npos);
    Play(&again, {
                     {"copy a.txt b.txt\r", "", ">"},
                     {"notepad<c-q>", "", "> notepad a.txt b.txt"},
                     {"<f3>", "", "> notepad a.txt b.txt"}, // an ordinary key now
                 });
    Leave(&again, "<c-c>", 130);
}

TEST(ConsolePty, CombinedModifiersTraceLinesAndTheBell) {
    std::string dir = TestDirectory("modifiers");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir);
    ASSERT_TRUE(Shows(&run, "hotkey is F3."));
    Play(&run, {
                   {"x<f3>", "", "> x"}, // nothing saved yet: the bell
                   {"<esc>", "", ">"},
                   {"torvane ctrl-shift-f3 /$:y\r", "Ctrl-Shift-F3", ">"},
                   {"copy a.txt b.txt\r",
                    "\xe2\x96\xba Saving args \xe2\x80\x9c"
                    "a.txt b.txt\xe2\x80\x9d.",
                    ">"},
                   {"copy<c-s-f3>", "", "> copy a.txt b.txt"},
                   {"<c-home><c-s-f3>", "", "> a.txt b.txt copy a.txt b.txt"},
               });
    EXPECT_GE(run.screen.bells, 1);
    Leave(&run, "<c-c>", 130);
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
    pid_t console = ChildOf(&run);
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
    Type(&run, "d<left>");
    EXPECT_TRUE(RowIs(&run, "> abcd"));
    EXPECT_EQ(run.screen.column, 5u);
    Leave(&run, "<c-c>", 130);
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
    Leave(&run, "exit\r", 0);
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
    Leave(&run, "exit\r", 0);
}

TEST(ConsolePty, ResizingRedrawsALineOfSeveralRowsOnce) {
    std::string dir = TestDirectory("resize");
    ConsoleRun run = Start({"--registry", dir + "/registry.txt"}, dir, 24, 40);
    ASSERT_TRUE(Shows(&run, "F3."));
    std::string line;
    for (int i = 0; i < 20; ++i)
        line += (i > 0 ? " w" : "w") + std::string(i < 10 ? "0" : "") + std::to_string(i);
    Type(&run, line + "<left><left>"); // the cursor on the second character from the end
    for (size_t columns : {80, 30, 100, 25, 80}) {
        ResizeTo(&run, 24, columns);
        const TerminalModel& s = run.screen;
        std::string all = AllText(s);
        size_t count = 0; // the line's start, once
        for (size_t at = all.find("> w00"); at != std::string::npos; at = all.find("> w00", at + 1))
            ++count;
        EXPECT_EQ(count, 1u) << columns << " columns:\n" << all;
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
    Leave(&run, "<c-c>", 130);
}

TEST(ConsolePty, TheHelpBoxFitsTheTerminalAndClosesWithEnterEscOrCtrlC) {
    std::string dir = TestDirectory("help-box");
    std::string top = "\xe2\x94\x8c"; // the box's top border on 120 columns
    for (int i = 0; i < 68; ++i)
        top += "\xe2\x94\x80";
    top += "\xe2\x94\x90";
    struct Case {
        size_t rows, columns;
        std::string shows; // in the box
        std::string border;
        std::string close;
    };
    const Case cases[] = {
        {40, 120, "TORVANE with no options displays the current settings.", top, "\r"},
        {24, 80, "Lines 1-17 of 19: Up/Down/PgUp/PgDn", "", "<esc>"},
        {24, 40, "Lines 1-17 of 34", "", "<esc>"},
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
            Type(&run, "<down>");
            EXPECT_TRUE(Shows(&run, "Lines 2-18 of")) << AllText(run.screen);
        }
        Type(&run, c.close);
        EXPECT_TRUE(RowIs(&run, ">")) << AllText(run.screen);
        Type(&run, "help torvane\r");
        Leave(&run, "<c-c>", 130); // from the box
    }
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
        Leave(&run, "", c.status);
        EXPECT_NE(AllText(run.screen).find(c.shows), std::string::npos) << AllText(run.screen);
        if (c.status == 2) {
            EXPECT_NE(AllText(run.screen).find("Usage: torvane-console"), std::string::npos);
        }
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
    SharedWinePrefix prefix;
    ConsoleRun run = Start({"--windows"}, dir);
    auto startedOrRefused = [](const TerminalModel& s) {
        return CursorRow(s) == ">" || AllText(s).find("--windows:") != std::string::npos;
    };
    bool started = WaitFor(&run, startedOrRefused);
    std::string all = AllText(run.screen);
    if (all.find("--windows:") != std::string::npos) {
        Finish(&run);
        GTEST_SKIP() << all.substr(all.find("--windows:"));
    }
    ASSERT_TRUE(started) << all;
    Play(&run, {
                   {"torvane f3 /q\r", "", ">"},
                   {"copy a.txt b.txt\r", "Not run: copy a.txt b.txt", ">"},
                   {"notepad<f3>", "", "> notepad a.txt b.txt"},
                   {"<esc>", "", ">"},
                   {"torvane ctrl-shift-f3\r", "Ctrl-Shift-F3", ">"},
                   {"y<c-s-f3>", "", "> y ctrl-shift-f3"}, // Ctrl and Shift really held
                   {"<esc>", "", ">"},
                   {"torvane ctrl-q /s\r", "Settings saved to the registry", ">"},
                   {"x<c-q>", "", "> x ctrl-q /s"},
                   {"<esc>", "", ">"},
               });
    Leave(&run, "exit\r", 0);

    ConsoleRun again = Start({"--windows"}, dir);
    ASSERT_TRUE(WaitFor(&again, startedOrRefused)) << AllText(again.screen);
    EXPECT_TRUE(Shows(&again, "Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is Ctrl-Q."))
        << AllText(again.screen);
    Play(&again, {{"torvane /d /s /q\r", "", ">"}, {"set noloadmsg=1\r", "", ">"}});
    Leave(&again, "exit\r", 0);

    // The variables kept beside the default registry file reach the bridge before the plug-in
    // starts: no banner.
    ConsoleRun third = Start({"--windows"}, dir);
    ASSERT_TRUE(WaitFor(&third, [](const TerminalModel& s) { return CursorRow(s) == ">"; }))
        << AllText(third.screen);
    EXPECT_EQ(AllText(third.screen).find("loaded; hotkey is"), std::string::npos)
        << AllText(third.screen);
    Play(&third, {{"echo [%noloadmsg%]\r", "[1]", ">"}, {"set noloadmsg=\r", "", ">"}});
    Leave(&third, "<c-c>", 130);
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
    Leave(&run, "<c-c>", 130);
    EXPECT_NE(AllText(run.screen).find(".lock (the wait for it was interrupted)"),
              std::string::npos)
        << AllText(run.screen);
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
    Leave(&run, "exit\r", 0);
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
    SharedWinePrefix prefix;
    ConsoleRun run = Start({"--windows"}, TestDirectory("wine-dies"), 24, 200);
    auto startedOrRefused = [](const TerminalModel& s) {
        return CursorRow(s) == ">" || AllText(s).find("--windows:") != std::string::npos;
    };
    ASSERT_TRUE(WaitFor(&run, startedOrRefused)) << AllText(run.screen);
    if (CursorRow(run.screen) != ">") {
        Finish(&run);
        GTEST_SKIP() << AllText(run.screen);
    }
    pid_t bridge = ChildOf(&run);
    ASSERT_GT(bridge, 0);
    kill(bridge, SIGKILL);
    Leave(&run, "torvane /q\r", 1);
    EXPECT_NE(
        AllText(run.screen)
            .find(">\ntorvane-console: the bridge under Wine was ended by signal 9 (Killed)\n"),
        std::string::npos)
        << AllText(run.screen);
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
        pid_t bridge = ChildOf(&run); // the console's one child
        ASSERT_GT(bridge, 0);
        Leave(&run, "<c-c>", 130);
        EXPECT_EQ(RowText(run.screen, run.screen.row - 1), c.shows) << AllText(run.screen);
        EXPECT_EQ(CursorRow(run.screen), "") << AllText(run.screen);
        EXPECT_NE(kill(bridge, 0), 0) << c.script << ": the bridge was left running";
    }
    setenv("PATH", path.c_str(), 1);
    unsetenv("TORVANE_WINDOWS_BUILD");
    unsetenv("TORVANE_WINE_PREFIX");
}

} // namespace
