// The real Torvane.dll under Wine: torvane_console_bridge.exe makes the host's calls, and this
// driver talks to it over two pipes (console/drivers/bridge_protocol.cpp). Wine gets a
// pseudo-terminal of its own, so that the bridge has a console (the plug-in's trace lines need one)
// without Wine touching the user's terminal. What the plug-in shows beside its output (trace lines,
// sounds, message boxes) goes through the same stand-ins as in the native build, so it reaches the
// terminal, or the transcript, the same way.
#include "console/drivers/wine_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "console/drivers/bridge_protocol.h"
#include "console/drivers/side_output.h"
#include "console/drivers/wine_paths.h"
#include "platform/platform.h"
#include "text/wtext.h"

namespace {

using Clock = std::chrono::steady_clock;

// A wait on the bridge asks this often whether the user interrupted it; quicker answers are never
// interrupted.
constexpr auto kAskEvery = std::chrono::milliseconds(50);

int Result(const std::vector<std::string>& f) {
    return static_cast<int>(FieldNumber(f, 1));
}

// The bridge and the pipes to it. A bridge that ended, stopped answering or went wrong stays lost,
// and Lost says why; one whose wait the user interrupted stays left. Either way every later call
// does nothing and returns as a failed one.
class Wine : public PluginDriver {
  public:
    Wine(HostOutputSink output, DriverMessageSink say, BridgeWaits waits)
        : output_(std::move(output)), say_(std::move(say)), waits_(std::move(waits)) {}
    ~Wine() override { End(); }

    // Starts wine with the bridge in the prefix and waits until the bridge says ready, once both
    // DLLs are loaded; the first start of a prefix takes long. False, with the reason in
    // *problem, when it did not start; with no reason when the user interrupted the wait.
    bool Launch(const std::string& wine, const std::string& bridge, const std::string& prefix,
                std::string* problem) {
        int requests[2] = {-1, -1};
        int reports[2] = {-1, -1};
        if (pipe2(requests, O_CLOEXEC) != 0 || pipe2(reports, O_CLOEXEC) != 0) {
            for (int fd : {requests[0], requests[1], reports[0], reports[1]})
                if (fd >= 0) close(fd);
            *problem = "no pipe to the bridge";
            return false;
        }
        // The console's ends; End closes them whatever happens next.
        toBridge_ = requests[1];
        fromBridge_ = reports[0];
        bridgePid_ = forkpty(&wineTerminal_, nullptr, nullptr, nullptr);
        if (bridgePid_ == 0) {
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
        if (bridgePid_ < 0) {
            *problem = "no pseudo-terminal for Wine";
            return false;
        }
        // Neither a full pipe nor Wine's terminal may hold the console up.
        for (int fd : {toBridge_, wineTerminal_})
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);

        BeginWait(waits_.startSeconds, waits_.startSeconds);
        std::string line;
        while (NextLine(&line)) {
            if (line == "ready") return true;
            if (line.rfind("fail ", 0) == 0) {
                *problem = "the bridge under Wine: " + line.substr(5);
                return false;
            }
        }
        *problem = left_ ? "" : lost_ + " before it started (" + wine + " " + bridge + ")";
        return false;
    }

    bool Start(std::string* problem) override {
        if (!Call("start").empty()) return true;
        *problem = lost_.empty() ? "the bridge did not start the plug-in" : lost_;
        return false;
    }
    void Stop() override {
        Call("stop");
        End();
    }
    int Key(KeystrokeRecord* record, int modifiers,
            std::vector<const char16_t*>* cleared) override {
        size_t length = TextLengthBounded(record->lineStart, kLineBufferSize);
        KeyRequest request{modifiers, record->keyName != nullptr,
                           FieldsOfRecord(*record, record->cursorPos - record->lineStart)};
        request.record.name = record->keyName != nullptr ? record->keyName : u"";
        request.record.edit =
            EditBetween(bridgeLine_.data(), bridgeLine_.size(), record->lineStart, length);
        bridgeLine_.assign(record->lineStart, length);
        KeyReply reply{};
        if (!DecodeKeyReply(Call(EncodeKeyRequest(request)), &reply)) return 0;
        // Where the plug-in cleared the shown line, then what it wrote into the line.
        for (long offset : reply.cleared)
            if (offset >= 0 && static_cast<size_t>(offset) <= length)
                cleared->push_back(record->lineStart + offset);
        size_t newLength = length;
        if (ApplyEdit(record->lineStart, &newLength, kLineBufferSize, reply.record.edit))
            bridgeLine_.assign(record->lineStart, newLength);
        SetRecordNumbers(record, reply.record);
        long index = reply.record.cursor;
        if (index >= 0 && static_cast<size_t>(index) <= newLength)
            record->cursorPos = record->lineStart + index;
        record->redraw = reply.redraw;
        if (record->keyName != nullptr)
            CopyText(record->keyName, kReportedKeyNameSize, reply.record.name.c_str());
        return reply.result;
    }
    int Command(const char16_t* arguments) override {
        return Result(Call("command " + HexText(arguments, TextLength(arguments))));
    }
    int Help(const char16_t* name) override {
        return Result(Call("help " + HexText(name, TextLength(name))));
    }
    int Usage(const char16_t* name, char16_t* out) override {
        std::vector<std::string> f = Call("usage " + HexText(name, TextLength(name)));
        if (Result(f) != 0 && f.size() >= 3)
            CopyText(out, kUsageBufferSize, TextOfHex(f[2]).c_str());
        return Result(f);
    }
    void SetVariable(const std::u16string& name, const std::u16string& value) override {
        Call("set " + HexText(name) + " " + HexText(value));
    }
    void UnsetVariable(const std::u16string& name) override { Call("unset " + HexText(name)); }
    // The host expands in buffers of kExpandBufferSize characters; longer text is left as it is.
    std::u16string Expand(const std::u16string& text) override {
        if (text.size() >= kExpandBufferSize) return text;
        std::vector<std::string> f = Call("expand " + HexText(text));
        return f.size() >= 3 ? TextOfHex(f[2]) : text;
    }
    void SetCursorRow(int32_t row) override { Call("row " + std::to_string(row)); }
    std::u16string TakeSideOutput() override { return ::TakeSideOutput(&taken_); }
    std::string Lost() const override { return left_ ? "" : lost_; }

  private:
    bool Gone() const { return left_ || !lost_.empty(); }

    // Wine writes to its terminal now and then; what it writes is of no use and only read away.
    void DrainWineTerminal() {
        char buffer[4096];
        while (wineTerminal_ >= 0 && read(wineTerminal_, buffer, sizeof buffer) > 0) {
        }
    }

    // Closes the pipes and waits a little for the bridge to end; then it is killed. A bridge given
    // up is killed at once: it may be stopped, or busy for good.
    void End() {
        if (toBridge_ >= 0) close(toBridge_);
        if (fromBridge_ >= 0) close(fromBridge_);
        toBridge_ = fromBridge_ = -1;
        if (bridgePid_ > 0) {
            for (int i = 0; i < 100 && !Gone() && waitpid(bridgePid_, nullptr, WNOHANG) == 0; ++i) {
                DrainWineTerminal();
                usleep(20000);
            }
            if (waitpid(bridgePid_, nullptr, WNOHANG) == 0) {
                kill(bridgePid_, SIGKILL);
                waitpid(bridgePid_, nullptr, 0);
            }
        }
        bridgePid_ = -1;
        if (wineTerminal_ >= 0) close(wineTerminal_);
        wineTerminal_ = -1;
    }

    // Notes why the bridge is lost: how it ended, when it ends within a second of closing its pipe.
    void Lose(bool timedOut) {
        int status = 0;
        pid_t ended = 0;
        for (int i = 0; i < 50 && ended == 0 && bridgePid_ > 0 && !timedOut; ++i)
            if ((ended = waitpid(bridgePid_, &status, WNOHANG)) == 0) usleep(20000);
        if (ended == bridgePid_) bridgePid_ = -1; // reaped: End has nothing left to wait for
        lost_ = "the bridge under Wine stopped answering";
        if (ended > 0 && WIFEXITED(status))
            lost_ = "the bridge under Wine ended with exit status " +
                    std::to_string(WEXITSTATUS(status));
        if (ended > 0 && WIFSIGNALED(status))
            lost_ = "the bridge under Wine was ended by signal " +
                    std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    }

    // A wait begins: the start, or a call's answer, each with its limits.
    void BeginWait(int limitSeconds, int quietSeconds) {
        limitSeconds_ = limitSeconds;
        quiet_ = std::chrono::seconds(quietSeconds);
        waited_ = {};
        nextAsk_ = kAskEvery;
    }

    // Waits until fd is ready for events, draining Wine's terminal meanwhile; false once the
    // bridge is given up: silent too long, the wait past its limit, or interrupted by the user.
    bool AwaitBridge(int fd, short events, Clock::time_point since) {
        for (;;) {
            Clock::duration silent = Clock::now() - since;
            Clock::duration spent = waited_ + silent;
            if (silent >= quiet_) {
                Lose(true);
                return false;
            }
            if (spent >= std::chrono::seconds(limitSeconds_)) {
                lost_ = "the bridge under Wine kept reporting for " +
                        std::to_string(limitSeconds_) + " seconds without an answer";
                return false;
            }
            if (spent >= nextAsk_) {
                nextAsk_ = spent + kAskEvery;
                if (waits_.interrupted && waits_.interrupted()) {
                    left_ = true;
                    return false;
                }
            }
            pollfd fds[2] = {{fd, events, 0}, {wineTerminal_, POLLIN, 0}};
            int ready = poll(fds, 2, static_cast<int>(kAskEvery.count()));
            if (ready < 0 && errno != EINTR) {
                Lose(false);
                return false;
            }
            if (fds[1].revents & POLLIN) DrainWineTerminal();
            if (fds[0].revents & (events | POLLHUP | POLLERR)) return true;
        }
    }

    // Sends a request; one the bridge does not take in time gives it up as a silent answer does.
    void Request(const std::string& line) {
        std::string out = line + "\n";
        Clock::time_point since = Clock::now();
        for (size_t done = 0; done < out.size() && !Gone();) {
            ssize_t n = write(toBridge_, out.data() + done, out.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else if (n < 0 && errno == EAGAIN)
                AwaitBridge(toBridge_, POLLOUT, since);
            else if (n == 0 || errno != EINTR)
                Lose(false);
        }
        waited_ += Clock::now() - since;
    }

    // The next line from the bridge; false once it is given up.
    bool NextLine(std::string* line) {
        Clock::time_point since = Clock::now();
        bool taken = false;
        while (!taken && !Gone()) {
            switch (TakeLine(&received_, line)) {
            case LineTaken::kLine:
                taken = true;
                break;
            case LineTaken::kTooLong:
                lost_ = "the bridge under Wine sent a line longer than " +
                        std::to_string(kLongestLine) + " bytes";
                received_ = std::string();
                break;
            case LineTaken::kWaiting:
                if (AwaitBridge(fromBridge_, POLLIN, since)) ReadReports();
                break;
            }
        }
        waited_ += Clock::now() - since;
        return taken;
    }

    // Reads what the bridge reported; the end of its reports loses it.
    void ReadReports() {
        char buffer[65536];
        ssize_t n = read(fromBridge_, buffer, sizeof buffer);
        if (n > 0)
            received_.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || (errno != EINTR && errno != EAGAIN))
            Lose(false);
    }

    // Reads reports until the call's end; returns its fields ("done" first), empty when it failed.
    // What the plug-in shows on the way goes where the native build's stand-ins put it.
    std::vector<std::string> AwaitDone() {
        std::string line;
        while (NextLine(&line)) {
            std::vector<std::string> f = Fields(line);
            if (f.empty()) continue;
            if (f[0] == "done") return f;
            if (f[0] == "fail") {
                say_("the bridge: " + line.substr(std::min(line.find("fail") + 5, line.size())));
                return {};
            }
            if (f[0] == "out" && f.size() >= 3) {
                std::u16string text = TextOfHex(f[2]);
                if (output_) output_(f[1] == "2" ? 2 : 1, text.data(), text.size());
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

    // Makes a request and waits for its end: the fields of its answer ("done" first), empty when
    // the call failed.
    std::vector<std::string> Call(const std::string& request) {
        if (Gone()) return {};
        BeginWait(waits_.callSeconds, waits_.quietSeconds);
        Request(request);
        return AwaitDone();
    }

    HostOutputSink output_;
    DriverMessageSink say_;
    BridgeWaits waits_;
    SideOutputTaken taken_;
    pid_t bridgePid_ = -1;
    int toBridge_ = -1;
    int fromBridge_ = -1;
    int wineTerminal_ = -1;     // the master side of Wine's pseudo-terminal
    std::string received_;      // bytes from the bridge not yet taken as lines
    std::u16string bridgeLine_; // the edit line as the bridge holds it
    std::string lost_;          // why the bridge is lost; empty while it answers
    bool left_ = false;         // the user interrupted a wait on the bridge
    // The wait under way: its limits, the time spent on it, and when the user is asked next.
    int limitSeconds_ = 0;
    Clock::duration quiet_{};
    Clock::duration waited_{};
    Clock::duration nextAsk_{};
};

} // namespace

std::unique_ptr<PluginDriver> LaunchWineDriver(HostOutputSink output, DriverMessageSink say,
                                               BridgeWaits waits, std::string* problem) {
    std::string build = WindowsBuildFolder();
    const char* files[] = {"Torvane.dll", "TakeCmd.dll", "torvane_console_bridge.exe"};
    for (const char* file : files) {
        if (!PathExists(build + "/" + file)) {
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
    if (!PathExists(prefix))
        say("preparing the Wine prefix " + prefix + " (the first time takes a while)");
    auto driver = std::make_unique<Wine>(std::move(output), std::move(say), std::move(waits));
    if (!driver->Launch(wine, build + "/torvane_console_bridge.exe", prefix, problem))
        return nullptr;
    return driver;
}
