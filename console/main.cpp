// torvane-console: the stand-in host's interactive front end. It loads the plug-in as the host
// does, hands it every key of the edit line, and runs a few built-in commands on Enter. Without a
// terminal on standard input it reads the keys from there and prints a transcript instead.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "console/session.h"
#include "console/terminal.h"
#include "console/wine.h"
#include "host/host_control.h"
#include "standins/registry_file.h"
#include "standins/services_control.h"
#include "standins/ui.h"
#include "standins/utf8.h"

namespace {

struct Options {
    std::string hostVersion = "23";
    std::string registry;
    bool windows = false;
    bool transcript = false;
};

constexpr const char* kUsage =
    "Usage: torvane-console [--host-version N] [--registry FILE] [--windows] [--transcript]\n"
    "  --host-version N  the host's major version (%_4ver); 24 and up report some keys by name\n"
    "  --registry FILE   the stand-in registry's file (default: $XDG_CONFIG_HOME/torvane/\n"
    "                    registry.txt, or ~/.config/torvane/registry.txt)\n"
    "  --windows         drive the real Torvane.dll under Wine instead of the native build\n"
    "  --transcript      read keys from standard input and print each edit line before and\n"
    "                    after every key (the mode without a terminal)\n";

// Keys are read without waiting longer than this for the rest of an escape sequence.
constexpr int kEscapeWaitMs = 40;
// A sequence still unfinished after this many bytes is dropped.
constexpr size_t kLongestSequence = 256;

int outputFd = STDOUT_FILENO;

void WriteOutput(const char* bytes, size_t length) {
    WriteAll(outputFd, bytes, length);
}

void Say(const std::string& text) {
    WriteOutput(text.data(), text.size());
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--host-version" || arg == "--registry") && i + 1 < argc) {
            (arg == "--registry" ? options->registry : options->hostVersion) = argv[++i];
        } else if (arg.rfind("--host-version=", 0) == 0) {
            options->hostVersion = arg.substr(15);
        } else if (arg.rfind("--registry=", 0) == 0) {
            options->registry = arg.substr(11);
        } else if (arg == "--windows") {
            options->windows = true;
        } else if (arg == "--transcript") {
            options->transcript = true;
        } else {
            return false;
        }
    }
    return true;
}

std::string DefaultRegistryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/torvane/registry.txt";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/torvane/registry.txt";
}

// The host reports keys by name from major version 24 on.
bool IsExtendedHost(const std::string& version) {
    char* end = nullptr;
    long number = std::strtol(version.c_str(), &end, 10);
    return end != version.c_str() && number >= 24;
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

// Decodes and handles the complete items in pending; keeps an unfinished sequence.
void Consume(std::string* pending, bool complete, bool lineFeedIsEnter) {
    size_t pos = 0;
    while (pos < pending->size() && !Console.exitRequested) {
        auto bytes = reinterpret_cast<const unsigned char*>(pending->data()) + pos;
        bool force = complete || pending->size() - pos > kLongestSequence;
        DecodedInput item = DecodeInput(bytes, pending->size() - pos, force, lineFeedIsEnter);
        if (item.kind == InputKind::kNeedMore) break;
        SessionInput(item);
        pos += item.consumed > 0 ? item.consumed : 1;
    }
    pending->erase(0, pos);
}

bool InputWaiting(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    int n;
    do {
        n = poll(&entry, 1, timeoutMs);
    } while (n < 0 && errno == EINTR && timeoutMs == 0);
    return n > 0 && (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

// Reads keys until exit, Ctrl-C or the end of the input.
void ReadKeys(int fd, bool terminal) {
    std::string pending;
    char buffer[65536];
    while (!Console.exitRequested) {
        if (terminal && TerminalChanged()) {
            SessionResize(TerminalWidth(outputFd));
            SessionFlush();
        }
        bool ready = InputWaiting(fd, pending.empty() ? -1 : kEscapeWaitMs);
        if (!ready) {
            if (errno == EINTR && pending.empty()) continue;
            Consume(&pending, true, !terminal); // the rest of a sequence never came
            SessionFlush();
            continue;
        }
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            Consume(&pending, true, !terminal);
            SessionFlush();
            return;
        }
        pending.append(buffer, static_cast<size_t>(n));
        Consume(&pending, false, !terminal);
        if (!InputWaiting(fd, 0)) SessionFlush();
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.registry.empty()) options.registry = DefaultRegistryPath();
    bool terminal = !options.transcript && isatty(STDIN_FILENO);
    int ttyFd = -1;
    if (terminal && !isatty(STDOUT_FILENO)) {
        ttyFd = open("/dev/tty", O_WRONLY | O_CLOEXEC);
        outputFd = ttyFd >= 0 ? ttyFd : STDOUT_FILENO;
    }
    // Raw mode from the start, so that keys typed while the plug-in loads are kept for the line.
    if (terminal) TerminalEnterRaw(STDIN_FILENO, outputFd);
    bool extended = IsExtendedHost(options.hostVersion);
    std::u16string version = FromUtf8(options.hostVersion);

    Say("Torvane console: the plug-in in a stand-in host (" +
        std::string(options.windows ? "Torvane.dll under Wine" : "native build") +
        ", host version " + options.hostVersion +
        (options.windows ? ", settings in the Wine prefix's registry"
                         : ", registry " + options.registry) +
        ").\nBuilt-in commands: torvane, help torvane, usage torvane, set, echo, cls, exit "
        "(help lists them); other lines are not run. Ctrl-C leaves.\n");

    // The stand-ins show on the terminal what the plug-in shows beside its output, or keep it
    // for the transcript; with --windows the bridge hands it to them.
    HostReset();
    HostSetEcho(true);
    HostSetClearEditLineHook(ClearEditLineHook);
    StandInCaptureConsole(!terminal);
    StandInRecordMessageBoxes(!terminal);
    StandInSetBellForSounds(terminal);
    std::signal(SIGPIPE, SIG_IGN);

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
    plugin->setVariable(u"_4ver", version);
    plugin->setVariable(kResultVariable, u"0");

    std::string problem;
    if (!plugin->start(&problem)) {
        std::fprintf(stderr, "torvane-console: the plug-in did not load: %s\n", problem.c_str());
        return 1;
    }
    SessionBegin(plugin, extended, !terminal, terminal ? TerminalWidth(outputFd) : 80, WriteOutput);
    SessionFlush();
    ReadKeys(STDIN_FILENO, terminal);
    if (!terminal && !Console.exitRequested) Say("(end of input)\n");
    if (terminal) TerminalRestore();
    plugin->stop();
    if (ttyFd >= 0) close(ttyFd);
    return 0;
}
