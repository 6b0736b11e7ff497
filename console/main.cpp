// torvane-console: the stand-in host's interactive front end. It loads the plug-in as the host
// does, hands it every key of the edit line, and runs a few built-in commands on Enter. Without a
// terminal on standard input it reads the keys from there and prints a transcript instead.
//
// main wires the three layers: the terminal (screen and keys), the session that plays the host,
// and the driver that reaches the plug-in, natively or under Wine.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "console/drivers/native_driver.h"
#include "console/drivers/wine_driver.h"
#include "console/drivers/wine_paths.h"
#include "console/options.h"
#include "console/session/commands.h"
#include "console/session/session.h"
#include "console/terminal/help_box.h"
#include "console/terminal/raw_mode.h"
#include "console/terminal/reader.h"
#include "console/terminal/terminal_screen.h"
#include "console/terminal/transcript_screen.h"
#include "host/host_control.h"
#include "standins/kept_file.h"
#include "standins/registry_file.h"
#include "standins/services_control.h"
#include "standins/ui.h"
#include "standins/utf8.h"

namespace {

ByteSink SinkOf(int fd) {
    return [fd](const char* bytes, size_t length) { WriteAll(fd, bytes, length); };
}

// Attaches the registry file; says once what happened when it was missing or unusable.
void AttachRegistry(Screen& screen, const std::string& path) {
    KeptFileMakeFolders(path);
    std::string message;
    StandInRegistryFileStatus status = StandInRegistryAttachFile(path, &message);
    if (status == StandInRegistryFileStatus::kNew)
        Say(screen, FromUtf8("No registry file at " + path +
                             " yet: the plug-in starts with its defaults (torvane /s saves "
                             "there).\n"));
    else if (status != StandInRegistryFileStatus::kLoaded)
        Say(screen, FromUtf8(message + "\n"));
}

// The start-up lines: what runs the plug-in, where its settings and the variables are kept.
std::string StartUpText(const ConsoleOptions& options, const std::string& variables) {
    std::string where =
        options.windows
            ? "Torvane.dll under Wine, host version " + std::to_string(options.hostVersion) +
                  ", settings in the registry of the Wine prefix " + WinePrefixPath()
            : "native build, host version " + std::to_string(options.hostVersion) + ", registry " +
                  options.registry;
    return "Torvane console: the plug-in in a stand-in host (" + where + ", variables " +
           variables + ").\nBuilt-in commands: " + ToUtf8(BuiltInCommandNames()) +
           " (help lists them); other lines are not run. Ctrl-C leaves.\n";
}

// Handles keys until exit, Ctrl-C or the end of the input, running each line the session hands
// back; the exit status.
int ReadKeys(Session& session, KeyReader& keys, int terminalFd) {
    bool terminal = terminalFd >= 0;
    while (!session.exitRequested) {
        DecodedInput item{};
        switch (ReadNext(&keys, &item, !terminal && !session.pasting)) {
        case InputEvent::kItem:
            // A line whose key was interrupted is not run.
            if (auto line = SessionInput(session, item); line && !session.exitRequested)
                RunCommandLine(session, *line);
            SessionCheckPlugin(session);
            if (!ReaderReady(&keys)) SessionFlush(session);
            break;
        case InputEvent::kChanged:
            SessionResize(session, TerminalSizeOf(terminalFd));
            SessionFlush(session);
            break;
        case InputEvent::kEnded:
            SessionFlush(session);
            if (!terminal) Say(*session.screen, u"(end of input)\n");
            return 0;
        case InputEvent::kInvalid:
            Complain(*session.screen, "cannot read the keys: " + keys.problem);
            return 1;
        }
    }
    return session.exitStatus;
}

// The driver options ask for, its host output shown on screen; null, with a message, when the
// plug-in cannot be reached, and without one when interrupted ended the wait for it.
std::unique_ptr<PluginDriver> DriverFor(const ConsoleOptions& options, Screen* screen,
                                        std::function<bool()> interrupted) {
    HostOutputSink output = [screen](int stream, const char16_t* text, size_t length) {
        screen->HostOutput(stream, text, length);
    };
    if (!options.windows) return MakeNativeDriver(output);
    std::string problem;
    BridgeWaits waits;
    waits.interrupted = std::move(interrupted);
    std::unique_ptr<PluginDriver> driver = LaunchWineDriver(
        output, [screen](const std::string& text) { Complain(*screen, text); }, std::move(waits),
        &problem);
    if (driver == nullptr && !problem.empty()) Complain(*screen, "--windows: " + problem);
    return driver;
}

// The console's parts as main makes them, and what links them.
struct Console {
    bool terminal = false;            // the keys come from a terminal, which shows the screen
    int outputFd = STDOUT_FILENO;     // the terminal's output
    KeyReader keys;                   // standard input, decoded
    std::unique_ptr<Session> session; // on the heap: it holds the host's 64K edit line
    std::unique_ptr<Screen> screen;   // the terminal's, or the transcript
    HelpBoxTerminal box{};            // how the help box and the pager reach the rest
    bool keysOurs = false;            // the keys are the console's: Ctrl-C ends a bridge wait
    std::function<bool()> bridgeInterrupted; // asked during each wait on the bridge under Wine
};

// Every hook through which what runs below main reaches the console's keys, screen and session,
// set in one place; UnhookConsole clears what outlives a call. The help box and the pager read
// their keys themselves, inside the plug-in's call, and tell the session of a resize and of
// Ctrl-C. The stand-ins show on the terminal what the plug-in shows beside its output (trace
// lines are its text, shown as any), or keep it for the transcript; with --windows the bridge
// hands it to them. A save waiting for another process's lock ends at Ctrl-C, and so does every
// wait on the bridge while the keys are the console's; once the line is there, the screen shows
// the Ctrl-C as at the line.
void HookConsole(Console& c) {
    c.box = {c.screen.get(), &c.keys,
             [&c] { SessionResize(*c.session, TerminalSizeOf(c.outputFd)); },
             [&c] { SessionLeave(*c.session, 130); }};
    HostReset();
    StandInCaptureConsole(!c.terminal);
    StandInSetBellForSounds(c.terminal);
    if (c.terminal) {
        StandInShowConsoleWith([&c](const char16_t* text, size_t length) {
            c.screen->Print(std::u16string(text, length));
        });
        StandInShowMessageBoxesWith([&c](const std::u16string& text, const std::u16string& title) {
            ShowHelpBox(c.box, text, title);
        });
        KeptFileWaitWith([&c] {
            if (!ReaderHolds(&c.keys, '\x03')) return false;
            SessionLeave(*c.session, 130);
            return true;
        });
    }
    c.keysOurs = c.terminal;
    c.bridgeInterrupted = [&c] {
        if (!c.keysOurs || !ReaderHolds(&c.keys, '\x03')) return false;
        c.session->screen != nullptr ? SessionInterrupt(*c.session) : SessionLeave(*c.session, 130);
        return true;
    };
}

void UnhookConsole() {
    StandInShowMessageBoxesWith(nullptr);
    StandInShowConsoleWith(nullptr);
    KeptFileWaitWith(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    ConsoleOptions options;
    std::string error;
    if (!ParseConsoleOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s\n%s", error.c_str(), ConsoleUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(ConsoleUsage().c_str(), stdout);
        return 0;
    }
    // Checked before any file is opened, which would otherwise be given its number.
    if (fcntl(STDIN_FILENO, F_GETFD) < 0) {
        std::fputs("torvane-console: standard input is not open\n", stderr);
        return 1;
    }
    if (options.registry.empty()) options.registry = DefaultRegistryPath();
    Console console;
    console.terminal = !options.transcript && isatty(STDIN_FILENO);
    bool terminal = console.terminal;
    int ttyFd = -1;
    if (terminal && !isatty(STDOUT_FILENO)) {
        ttyFd = open("/dev/tty", O_WRONLY | O_CLOEXEC);
        console.outputFd = ttyFd >= 0 ? ttyFd : STDOUT_FILENO;
    }
    int outputFd = console.outputFd;
    // Raw mode from the start, so that keys typed while the plug-in loads are kept for the line.
    if (terminal) TerminalEnterRaw(STDIN_FILENO, outputFd);
    console.keys = ReaderOf(STDIN_FILENO, terminal);
    // A transcript keeps no control character but the line feed, whoever writes it.
    TranscriptFilter out(SinkOf(STDOUT_FILENO));
    TranscriptFilter err(SinkOf(STDERR_FILENO));
    console.session = std::make_unique<Session>();
    if (terminal)
        // The host's output on the terminal is paged with the console's; elsewhere it is not.
        console.screen = MakeTerminalScreen(
            SinkOf(outputFd), outputFd == STDOUT_FILENO ? nullptr : SinkOf(STDOUT_FILENO),
            isatty(STDERR_FILENO) ? nullptr : SinkOf(STDERR_FILENO), TerminalSizeOf(outputFd),
            [&console] { return WaitForMore(console.box); });
    else
        console.screen = MakeTranscriptScreen(
            [&out](const char* bytes, size_t length) { out.Write(bytes, length); },
            [&err](const char* bytes, size_t length) { err.Write(bytes, length); });
    Screen* screen = console.screen.get();
    Session* session = console.session.get();
    HookConsole(console);
    std::signal(SIGPIPE, SIG_IGN);
    // A save past the file-size limit then fails as on a full disk, instead of ending the console
    // with the terminal raw and the half-written temporary left behind.
    std::signal(SIGXFSZ, SIG_IGN);

    std::string variables = VariablesPath(options.registry);
    Say(*screen, FromUtf8(StartUpText(options, variables)));
    std::unique_ptr<PluginDriver> plugin = DriverFor(options, screen, console.bridgeInterrupted);
    if (plugin == nullptr) return session->exitRequested ? session->exitStatus : 1;
    if (!options.windows) AttachRegistry(*screen, options.registry);
    std::string unreadable = VariablesAttach(&session->variables, variables);
    if (!unreadable.empty()) Say(*screen, FromUtf8(unreadable + "\n"));
    for (const auto& [name, value] : session->variables.byName)
        plugin->SetVariable(name, value);
    plugin->SetVariable(u"_4ver", FromUtf8(std::to_string(options.hostVersion)));
    plugin->SetVariable(kResultVariable, u"0");

    std::string problem;
    bool started = !session->exitRequested && plugin->Start(&problem);
    if (session->exitRequested) return session->exitStatus; // Ctrl-C while the plug-in loaded
    if (!started) {
        Complain(*screen, "the plug-in did not load: " + problem);
        return 1;
    }
    SessionBegin(*session, plugin.get(), screen,
                 options.hostVersion >= kFirstHostVersionWithKeyNames);
    SessionFlush(*session);
    int status = ReadKeys(*session, console.keys, terminal ? outputFd : -1);
    out.End();
    err.End();
    if (terminal) TerminalRestore();
    console.keysOurs = false; // what is typed from now on is for the shell
    plugin->Stop();
    UnhookConsole();
    if (ttyFd >= 0) close(ttyFd);
    return status;
}
