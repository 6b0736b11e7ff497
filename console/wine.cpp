// The real Torvane.dll under Wine: torvane_console_bridge.exe makes the host's calls, and this
// driver talks to it over two pipes (console/bridge.h). Wine gets a pseudo-terminal of its
// own, so that the bridge has a console (the plug-in's trace lines need one) without Wine touching
// the user's terminal. What the plug-in shows beside its output (trace lines, sounds, message
// boxes) goes through the same stand-ins as in the native build, so it reaches the terminal, or
// the transcript, the same way.
#include "console/wine.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/bridge.h"
#include "console/output.h"
#include "console/terminal.h"
#include "host/host_control.h"
#include "platform/platform.h"
#include "standins/services_control.h"
#include "text/wtext.h"

namespace {

pid_t bridgePid = -1;
int toBridge = -1;
int fromBridge = -1;
int wineTerminal = -1;     // the master side of Wine's pseudo-terminal
std::string received;      // bytes from the bridge not yet taken as lines
std::u16string bridgeLine; // the edit line as the bridge holds it
bool broken = false;

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// The first of the names that is a program on the PATH.
std::string FindProgram(const std::vector<std::string>& names) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    for (const auto& name : names) {
        size_t start = 0;
        while (start <= dirs.size()) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
            start = end + 1;
        }
    }
    return "";
}

// Wine writes to its terminal now and then; what it writes is of no use and only read away.
void DrainWineTerminal() {
    char buffer[4096];
    while (wineTerminal >= 0 && read(wineTerminal, buffer, sizeof buffer) > 0) {
    }
}

void Stop() {
    if (toBridge >= 0) close(toBridge);
    if (fromBridge >= 0) close(fromBridge);
    toBridge = fromBridge = -1;
    if (bridgePid > 0) {
        for (int i = 0; i < 100 && waitpid(bridgePid, nullptr, WNOHANG) == 0; ++i) {
            DrainWineTerminal();
            usleep(20000);
        }
        if (waitpid(bridgePid, nullptr, WNOHANG) == 0) {
            kill(bridgePid, SIGKILL);
            waitpid(bridgePid, nullptr, 0);
        }
    }
    bridgePid = -1;
    if (wineTerminal >= 0) close(wineTerminal);
    wineTerminal = -1;
}

void Request(const std::string& line) {
    if (broken) return;
    std::string out = line + "\n";
    WriteAll(toBridge, out.data(), out.size());
}

// How long a call may take before the bridge counts as gone; starting may make a Wine prefix.
constexpr int kCallSeconds = 60;
constexpr int kStartSeconds = 300;

// The next line from the bridge; false once it is gone or has not answered within seconds.
bool NextLine(std::string* line, int seconds = kCallSeconds) {
    int waited = 0;
    while (!broken && waited < seconds * 1000) {
        size_t end = received.find('\n');
        if (end != std::string::npos) {
            *line = received.substr(0, end);
            received.erase(0, end + 1);
            return true;
        }
        pollfd fds[2] = {{fromBridge, POLLIN, 0}, {wineTerminal, POLLIN, 0}};
        int ready = poll(fds, 2, 1000);
        if (ready < 0 && errno != EINTR) break;
        if (ready == 0) waited += 1000;
        if (fds[1].revents & POLLIN) DrainWineTerminal();
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[65536];
            ssize_t n = read(fromBridge, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            received.append(buffer, static_cast<size_t>(n));
        }
    }
    if (!broken) std::fprintf(stderr, "torvane-console: the bridge under Wine stopped answering\n");
    broken = true;
    return false;
}

// Reads reports until the call's end; returns its fields ("done" first), empty when it failed.
std::vector<std::string> AwaitDone() {
    std::string line;
    while (NextLine(&line)) {
        std::vector<std::string> f = Fields(line);
        if (f.empty()) continue;
        if (f[0] == "done") return f;
        if (f[0] == "fail") {
            std::fprintf(stderr, "torvane-console: the bridge: %s\n", line.c_str() + 5);
            return {};
        }
        if (f[0] == "out" && f.size() >= 3) {
            std::u16string text = TextOfHex(f[2]);
            OutputHostText(f[1] == "2" ? 2 : 1, text.data(), text.size());
        } else if (f[0] == "trace" && f.size() >= 2) {
            std::u16string text = TextOfHex(f[1]);
            PlatformWriteConsole(text.data(), text.size());
        } else if (f[0] == "sound" && f.size() >= 2) {
            PlatformPlaySound(static_cast<uint32_t>(std::strtoul(f[1].c_str(), nullptr, 10)));
        } else if (f[0] == "box" && f.size() >= 3) {
            std::u16string title = TextOfHex(f[1]);
            std::u16string text = TextOfHex(f[2]);
            PlatformMessageBox(text.c_str(), title.c_str());
            Request("closed");
        }
    }
    return {};
}

int Result(const std::vector<std::string>& f) {
    return static_cast<int>(FieldNumber(f, 1));
}

bool WineStart(std::string* problem) {
    Request("start");
    std::vector<std::string> f = AwaitDone();
    if (f.empty()) {
        *problem = "the bridge did not start the plug-in";
        return false;
    }
    return true;
}

void WineStop() {
    Request("stop");
    AwaitDone();
    Stop();
}

int WineKey(KeystrokeRecord* record, int modifiers) {
    size_t length = TextLengthBounded(record->lineStart, kLineBufferSize);
    KeyRequest request{modifiers, record->keyName != nullptr,
                       FieldsOfRecord(*record, record->cursorPos - record->lineStart)};
    request.record.name = record->keyName != nullptr ? record->keyName : u"";
    request.record.edit =
        EditBetween(bridgeLine.data(), bridgeLine.size(), record->lineStart, length);
    bridgeLine.assign(record->lineStart, length);
    Request(EncodeKeyRequest(request));
    KeyReply reply{};
    if (!DecodeKeyReply(AwaitDone(), &reply)) return 0;
    // Where the plug-in cleared the shown line, then what it wrote into the line.
    for (long offset : reply.cleared)
        if (offset >= 0 && static_cast<size_t>(offset) <= length)
            ClearEditLine(record->lineStart + offset);
    size_t newLength = length;
    if (ApplyEdit(record->lineStart, &newLength, kLineBufferSize, reply.record.edit))
        bridgeLine.assign(record->lineStart, newLength);
    SetRecordNumbers(record, reply.record);
    long index = reply.record.cursor;
    if (index >= 0 && static_cast<size_t>(index) <= newLength)
        record->cursorPos = record->lineStart + index;
    record->redraw = reply.redraw;
    if (record->keyName != nullptr) CopyText(record->keyName, 64, reply.record.name.c_str());
    return reply.result;
}

int WineCommand(const char16_t* arguments) {
    Request("command " + HexText(arguments, TextLength(arguments)));
    return Result(AwaitDone());
}

int WineHelp(const char16_t* name) {
    Request("help " + HexText(name, TextLength(name)));
    return Result(AwaitDone());
}

int WineUsage(const char16_t* name, char16_t* out) {
    Request("usage " + HexText(name, TextLength(name)));
    std::vector<std::string> f = AwaitDone();
    if (Result(f) != 0 && f.size() >= 3) CopyText(out, 1024, TextOfHex(f[2]).c_str());
    return Result(f);
}

void WineSetVariable(const std::u16string& name, const std::u16string& value) {
    Request("set " + HexText(name) + " " + HexText(value));
    AwaitDone();
}

void WineUnsetVariable(const std::u16string& name) {
    Request("unset " + HexText(name));
    AwaitDone();
}

std::u16string WineExpand(const std::u16string& text) {
    if (text.size() >= 1024) return text;
    Request("expand " + HexText(text));
    std::vector<std::string> f = AwaitDone();
    return f.size() >= 3 ? TextOfHex(f[2]) : text;
}

void WineSetCursorRow(int32_t row) {
    Request("row " + std::to_string(row));
    AwaitDone();
}

const PluginDriver kWinePlugin = {
    .start = WineStart,
    .stop = WineStop,
    .key = WineKey,
    .command = WineCommand,
    .help = WineHelp,
    .usage = WineUsage,
    .setVariable = WineSetVariable,
    .unsetVariable = WineUnsetVariable,
    .expand = WineExpand,
    .setCursorRow = WineSetCursorRow,
    .takeSideOutput = TakeStandInSideOutput,
};

} // namespace

std::string WindowsBuildFolder() {
    const char* setDir = std::getenv("TORVANE_WINDOWS_BUILD");
    return setDir != nullptr && setDir[0] != 0 ? setDir
                                               : std::string(TORVANE_SOURCE_DIR) + "/build/windows";
}

std::string WinePrefixPath() {
    const char* setPrefix = std::getenv("TORVANE_WINE_PREFIX");
    return setPrefix != nullptr && setPrefix[0] != 0
               ? setPrefix
               : WindowsBuildFolder() + "/console-wine-prefix";
}

const PluginDriver* WinePlugin(std::string* problem) {
    std::string build = WindowsBuildFolder();
    const char* files[] = {"Torvane.dll", "TakeCmd.dll", "torvane_console_bridge.exe"};
    for (const char* file : files) {
        if (!Exists(build + "/" + file)) {
            *problem = "the Windows build is missing (no " + build + "/" + file +
                       "); build it with: cmake --preset windows && cmake --build --preset "
                       "windows (or set TORVANE_WINDOWS_BUILD)";
            return nullptr;
        }
    }
    std::string wine = FindProgram({"wine", "wine64"});
    if (wine.empty()) {
        *problem = "Wine is not installed (apt-get install wine wine64)";
        return nullptr;
    }
    std::string prefix = WinePrefixPath();
    if (!Exists(prefix))
        std::fprintf(stderr, "Preparing the Wine prefix %s (the first time takes a while) ...\n",
                     prefix.c_str());

    int requests[2];
    int reports[2];
    if (pipe2(requests, O_CLOEXEC) != 0 || pipe2(reports, O_CLOEXEC) != 0) {
        *problem = "no pipe to the bridge";
        return nullptr;
    }
    std::string bridge = build + "/torvane_console_bridge.exe";
    bridgePid = forkpty(&wineTerminal, nullptr, nullptr, nullptr);
    if (bridgePid < 0) {
        *problem = "no pseudo-terminal for Wine";
        return nullptr;
    }
    if (bridgePid == 0) {
        dup2(requests[0], STDIN_FILENO);
        dup2(reports[1], STDOUT_FILENO);
        setenv("WINEPREFIX", prefix.c_str(), 1);
        setenv("WINEARCH", "win64", 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        execl(wine.c_str(), wine.c_str(), bridge.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(requests[0]);
    close(reports[1]);
    toBridge = requests[1];
    fromBridge = reports[0];
    fcntl(wineTerminal, F_SETFL, fcntl(wineTerminal, F_GETFL) | O_NONBLOCK);

    // The bridge says ready once both DLLs are loaded; the first start of a prefix takes long.
    std::string line;
    while (NextLine(&line, kStartSeconds)) {
        if (line == "ready") return &kWinePlugin;
        if (line.rfind("fail ", 0) == 0) {
            *problem = "the bridge under Wine: " + line.substr(5);
            Stop();
            return nullptr;
        }
    }
    *problem = "the bridge under Wine did not start (" + wine + " " + bridge + ")";
    Stop();
    return nullptr;
}
