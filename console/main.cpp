// torvane-console: the stand-in host's interactive front end. It loads the plug-in as the host
// does, hands it every key of the edit line, and runs a few built-in commands on Enter. Without a
// terminal on standard input it reads the keys from there and prints a transcript instead.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "console/input.h"
#include "console/message_box.h"
#include "console/options.h"
#include "console/output.h"
#include "console/session.h"
#include "console/terminal.h"
#include "console/variables.h"
#include "console/wine.h"
#include "console/wrap.h"
#include "host/host_control.h"
#include "standins/registry_file.h"
#include "standins/services_control.h"
#include "standins/ui.h"
#include "standins/utf8.h"

namespace {

size_t screenWidth = 80;

// Writes the console's own message, broken at blanks to the terminal's width.
void Say(const std::string& text) {
    std::string bytes = ToUtf8(WrapText(FromUtf8(text), screenWidth));
    OutputWrite(bytes.data(), bytes.size());
}

// Attaches the registry file; says once what happened when it was missing or unusable.
void AttachRegistry(const std::string& path) {
    std::error_code error;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    std::string message;
    StandInRegistryFileStatus status = StandInRegistryAttachFile(path, &message);
    if (status == StandInRegistryFileStatus::kNew)
        Say("No registry file at " + path +
            " yet: the plug-in starts with its defaults (torvane /s saves there).\n");
    else if (status != StandInRegistryFileStatus::kLoaded)
        Say(message + "\n");
}

void ClearEditLineHook(char16_t* cursor) {
    SessionClearFrom(cursor);
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
           variables +
           ").\nBuilt-in commands: torvane, help torvane, usage torvane, set, echo, cls, exit "
           "(help lists them); other lines are not run. Ctrl-C leaves.\n";
}

// Handles keys until exit, Ctrl-C or the end of the input; the exit status.
int ReadKeys(bool terminal) {
    while (!Console.exitRequested) {
        DecodedInput item{};
        switch (InputNext(&item, !terminal && !Console.pasting)) {
        case InputEvent::kItem:
            SessionInput(item);
            if (!InputReady()) SessionFlush();
            break;
        case InputEvent::kChanged:
            SessionFitTerminal();
            SessionFlush();
            break;
        case InputEvent::kEnded:
            SessionFlush();
            if (!terminal) Say("(end of input)\n");
            return 0;
        case InputEvent::kInvalid:
            std::fprintf(stderr, "torvane-console: cannot read the keys: %s\n",
                         InputProblem().c_str());
            return 1;
        }
    }
    return Console.exitStatus;
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
    std::string registry = options.registry.empty() ? DefaultRegistryPath() : options.registry;
    options.registry = registry;
    bool terminal = !options.transcript && isatty(STDIN_FILENO);
    int outputFd = STDOUT_FILENO;
    int ttyFd = -1;
    if (terminal && !isatty(STDOUT_FILENO)) {
        ttyFd = open("/dev/tty", O_WRONLY | O_CLOEXEC);
        outputFd = ttyFd >= 0 ? ttyFd : STDOUT_FILENO;
    }
    // Raw mode from the start, so that keys typed while the plug-in loads are kept for the line.
    if (terminal) TerminalEnterRaw(STDIN_FILENO, outputFd);
    OutputBegin(outputFd, !terminal);
    InputBegin(STDIN_FILENO, terminal);

    // The stand-ins show on the terminal what the plug-in shows beside its output, or keep it
    // for the transcript; with --windows the bridge hands it to them.
    HostReset();
    HostSetOutputHook(OutputHostText);
    HostSetClearEditLineHook(ClearEditLineHook);
    StandInCaptureConsole(!terminal);
    StandInShowMessageBoxesWith(terminal ? ShowMessageBox : nullptr);
    StandInSetBellForSounds(terminal);
    std::signal(SIGPIPE, SIG_IGN);

    if (terminal) screenWidth = TerminalWidth(outputFd);
    std::string variables = VariablesPath(registry);
    Say(StartUpText(options, variables));

    const PluginDriver* plugin = &NativePlugin;
    if (options.windows) {
        std::string problem;
        plugin = WinePlugin(&problem);
        if (plugin == nullptr) {
            std::fprintf(stderr, "torvane-console: --windows: %s\n", problem.c_str());
            return 1;
        }
    } else {
        AttachRegistry(options.registry);
    }
    std::string unreadable = VariablesAttach(variables);
    if (!unreadable.empty()) Say(unreadable + "\n");
    for (const auto& [name, value] : KeptVariables())
        plugin->setVariable(name, value);
    plugin->setVariable(u"_4ver", FromUtf8(std::to_string(options.hostVersion)));
    plugin->setVariable(kResultVariable, u"0");

    std::string problem;
    if (!plugin->start(&problem)) {
        std::fprintf(stderr, "torvane-console: the plug-in did not load: %s\n", problem.c_str());
        return 1;
    }
    SessionBegin(plugin, options.hostVersion >= kFirstHostWithKeyNames, !terminal, screenWidth,
                 OutputWrite);
    if (terminal) SessionFitTerminal();
    SessionFlush();
    int status = ReadKeys(terminal);
    OutputEnd();
    if (terminal) TerminalRestore();
    plugin->stop();
    if (ttyFd >= 0) close(ttyFd);
    return status;
}
