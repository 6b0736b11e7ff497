// torvane_console_bridge.exe: plays the host for torvane-console --windows. It loads the stand-in
// TakeCmd.dll and the real Torvane.dll from its own folder, the way the host does, and makes the
// calls the console asks for over standard input and output (console/drivers/bridge_protocol.cpp).
// Modifier keys are really held (SendInput); the plug-in's console writes, sounds and message boxes
// are passed on to the console, which shows them on its terminal.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "console/drivers/bridge_protocol.h"
#include "host/loader/plugin_loader.h"
#include "keys/modifiers.h"
#include "plugin/host.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

// What the bridge holds between requests: the two DLLs and the host's edit line.
struct Bridge {
    PluginExports plugin{};
    HostControls host{};
    HMODULE pluginModule = nullptr;
    char16_t line[kLineBufferSize] = {};
    size_t lineLength = 0;
    char16_t keyName[kReportedKeyNameSize] = {};
    int heldModifiers = 0;
    int clearedReported = 0; // the host's ClearEditLine calls already reported
};

using WriteConsoleFunction = BOOL(WINAPI*)(HANDLE, const void*, DWORD, DWORD*, void*);
// The plug-in's own WriteConsoleW, for the replacement below, which is called in its place and
// so takes no context of its own.
WriteConsoleFunction realWriteConsole = nullptr;

void Send(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool Receive(std::string* text) {
    text->clear();
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        *text += static_cast<char>(c);
    return c != EOF || !text->empty();
}

std::u16string Units(const wchar_t* text) {
    return text == nullptr ? u"" : std::u16string(reinterpret_cast<const char16_t*>(text));
}

// Passes the plug-in's console text on, then writes it to the console as the plug-in asked.
BOOL WINAPI PassWriteConsole(HANDLE console, const void* text, DWORD length, DWORD* written,
                             void* reserved) {
    for (const std::string& message :
         TextMessages("trace", static_cast<const char16_t*>(text), length))
        Send(message);
    return realWriteConsole(console, text, length, written, reserved);
}

// The console shows the box on its terminal and says when it was closed.
int WINAPI PassMessageBox(HWND, LPCWSTR text, LPCWSTR title, UINT) {
    Send("box " + HexText(Units(title)) + " " + HexText(Units(text)));
    std::string answer;
    while (Receive(&answer) && answer != "closed") {
    }
    return IDOK;
}

// The console rings its bell; Wine has no sound to play.
BOOL WINAPI PassPlaySound(LPCWSTR name, HMODULE, DWORD) {
    Send("sound " + std::to_string(reinterpret_cast<uintptr_t>(name)));
    return TRUE;
}

// Presses and releases Shift, Ctrl and Alt so that the keyboard state is state (the bits of
// keys/modifiers.h), and waits a little for the system to see it.
void HoldModifiers(Bridge& b, int state) {
    if (state == b.heldModifiers) return;
    int held = 0;
    HoldModifierKeys(state, &held);
    b.heldModifiers = state;
}

// The host's output since the last call.
void SendOutput(Bridge& b) {
    std::u16string out = b.host.stdoutText();
    std::u16string err = b.host.stderrText();
    b.host.clearOutput();
    for (const std::string& message : TextMessages("out 1", out.data(), out.size()))
        Send(message);
    for (const std::string& message : TextMessages("out 2", err.data(), err.size()))
        Send(message);
}

// Where p points in the line, 0 to limit; -1 for a pointer outside that (compared as numbers).
long IndexInLine(const Bridge& b, const char16_t* p, size_t limit) {
    auto base = reinterpret_cast<uintptr_t>(b.line);
    auto at = reinterpret_cast<uintptr_t>(p);
    if (at < base || at > base + limit * sizeof(char16_t)) return -1;
    return static_cast<long>((at - base) / sizeof(char16_t));
}

// Loads the host's DLL first (the plug-in imports from it), then the plug-in.
bool Load(Bridge& b, std::string* why) {
    if (!LoadPluginWithHost(&b.plugin, &b.host, &b.pluginModule, why)) return false;
    realWriteConsole = reinterpret_cast<WriteConsoleFunction>(
        ReplaceImport(b.pluginModule, "KERNEL32.dll", "WriteConsoleW",
                      reinterpret_cast<void*>(PassWriteConsole)));
    if (realWriteConsole == nullptr) realWriteConsole = WriteConsoleW;
    ReplaceImport(b.pluginModule, "USER32.dll", "MessageBoxW",
                  reinterpret_cast<void*>(PassMessageBox));
    ReplaceImport(b.pluginModule, "WINMM.dll", "PlaySoundW",
                  reinterpret_cast<void*>(PassPlaySound));
    return true;
}

// key: the record as the console built it, the line brought up to date by the edit.
void Key(Bridge& b, const std::vector<std::string>& f) {
    KeyRequest request{};
    if (!DecodeKeyRequest(f, &request)) {
        Send("fail the key request is incomplete");
        return;
    }
    if (!ApplyEdit(b.line, &b.lineLength, kLineBufferSize, request.record.edit)) {
        Send("fail the line edit does not fit");
        return;
    }
    std::u16string before(b.line, b.lineLength);
    b.keyName[request.record.name.copy(b.keyName, kReportedKeyNameSize - 1)] = 0;
    long cursor = request.record.cursor;
    KeystrokeRecord record{};
    SetRecordNumbers(&record, request.record);
    record.lineStart = b.line;
    record.cursorPos = b.line + (cursor >= 0 && static_cast<size_t>(cursor) <= b.lineLength
                                     ? static_cast<size_t>(cursor)
                                     : b.lineLength);
    record.keyName = request.hasName ? b.keyName : nullptr;
    HoldModifiers(b, request.modifiers & kCtrlAltShiftState);

    int result = b.plugin.key(&record);

    b.line[kLineBufferSize - 1] = 0;
    b.lineLength = std::char_traits<char16_t>::length(b.line);
    long index = IndexInLine(b, record.cursorPos, b.lineLength);
    KeyReply reply{result, record.redraw, FieldsOfRecord(record, index), {}};
    for (int n = b.host.clearedCount(); b.clearedReported < n; ++b.clearedReported)
        reply.cleared.push_back(
            IndexInLine(b, b.host.clearedAt(b.clearedReported), kLineBufferSize));
    SendOutput(b);
    reply.record.name =
        record.keyName != nullptr ? Units(reinterpret_cast<wchar_t*>(b.keyName)) : u"";
    reply.record.edit = EditBetween(before.data(), before.size(), b.line, b.lineLength);
    Send(EncodeKeyReply(reply));
}

// Ends a call: the host's output meanwhile, then "done RESULT" and the text of a buffer of
// kExpandBufferSize (= kUsageBufferSize) characters, if any.
void Done(Bridge& b, int result, char16_t* text = nullptr) {
    SendOutput(b);
    std::string fields;
    if (text != nullptr) {
        text[kExpandBufferSize - 1] = 0;
        fields = " " + HexText(Units(reinterpret_cast<wchar_t*>(text)));
    }
    Send("done " + std::to_string(result) + fields);
}

// Runs one request; false for stop.
bool Serve(Bridge& b, const std::vector<std::string>& f) {
    const std::string& what = f[0];
    std::u16string argument = FieldText(f, 1);
    static_assert(kExpandBufferSize == kUsageBufferSize, "one buffer serves expand and usage");
    char16_t buffer[kExpandBufferSize] = {}; // expand and usage write their text here
    if (what == "key") {
        Key(b, f);
    } else if (what == "set") {
        b.host.setVariable(argument.c_str(), FieldText(f, 2).c_str());
        Done(b, 0);
    } else if (what == "unset") {
        b.host.unsetVariable(argument.c_str());
        Done(b, 0);
    } else if (what == "row") {
        b.host.setCursorRow(static_cast<int>(FieldNumber(f, 1)));
        Done(b, 0);
    } else if (what == "expand") {
        argument.copy(buffer, std::size(buffer) - 1);
        b.host.expandVariables(buffer, 1);
        Done(b, 0, buffer);
    } else if (what == "start") {
        const PluginInfoRecord* info = b.plugin.getPluginInfo();
        if (info == nullptr || info->implements == nullptr)
            Send("fail the plug-in gave no identity record");
        else
            Done(b, b.plugin.initializePlugin());
    } else if (what == "stop") {
        int result = b.plugin.shutdownPlugin();
        HoldModifiers(b, 0);
        Done(b, result);
        return false;
    } else if (what == "command") {
        Done(b, b.plugin.torvane(argument.c_str()));
    } else if (what == "help") {
        Done(b, b.plugin.help(argument.c_str()));
    } else if (what == "usage") {
        int result = b.plugin.usage(argument.c_str(), buffer);
        Done(b, result, buffer);
    } else {
        Send("fail unknown request " + what);
    }
    return true;
}

} // namespace

int wmain() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    // On the heap: it holds the host's 64K edit line.
    auto held = std::make_unique<Bridge>();
    Bridge& bridge = *held;
    std::string why;
    if (!Load(bridge, &why)) {
        Send("fail " + why);
        return 1;
    }
    Send("ready");
    std::string request;
    while (Receive(&request)) {
        std::vector<std::string> fields = Fields(request);
        if (fields.empty()) continue;
        if (!Serve(bridge, fields)) break;
    }
    HoldModifiers(bridge, 0);
    return 0;
}
