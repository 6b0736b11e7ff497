// torvane_console_bridge.exe: plays the host for torvane-console --windows. It loads the stand-in
// TakeCmd.dll and the real Torvane.dll from its own folder, the way the host does, and makes the
// calls the console asks for over standard input and output (console/bridge.h). Modifier
// keys are really held (SendInput); the plug-in's console writes, sounds and message boxes are
// passed on to the console, which shows them on its terminal.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/bridge.h"
#include "host/loader/plugin_loader.h"
#include "keys/modifiers.h"
#include "plugin/host.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

PluginExports plugin{};
HostControls host{};
HMODULE pluginModule = nullptr;

// The host's edit line and the key name of the record.
char16_t line[kLineBufferSize];
size_t lineLength = 0;
char16_t keyName[64];
int heldModifiers = 0;
int clearedReported = 0;

using WriteConsoleFunction = BOOL(WINAPI*)(HANDLE, const void*, DWORD, DWORD*, void*);
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
    Send("trace " + HexText(static_cast<const char16_t*>(text), length));
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
void HoldModifiers(int state) {
    if (state == heldModifiers) return;
    int held = 0;
    HoldModifierKeys(state, &held);
    heldModifiers = state;
}

// The host's output since the last call.
void SendOutput() {
    std::u16string out = host.stdoutText();
    std::u16string err = host.stderrText();
    host.clearOutput();
    if (!out.empty()) Send("out 1 " + HexText(out));
    if (!err.empty()) Send("out 2 " + HexText(err));
}

// Where p points in the line, 0 to limit; -1 for a pointer outside that (compared as numbers).
long IndexInLine(const char16_t* p, size_t limit) {
    auto base = reinterpret_cast<uintptr_t>(line);
    auto at = reinterpret_cast<uintptr_t>(p);
    if (at < base || at > base + limit * sizeof(char16_t)) return -1;
    return static_cast<long>((at - base) / sizeof(char16_t));
}

// Loads the host's DLL first (the plug-in imports from it), then the plug-in.
bool Load(std::string* why) {
    if (!LoadPluginWithHost(&plugin, &host, &pluginModule, why)) return false;
    realWriteConsole = reinterpret_cast<WriteConsoleFunction>(ReplaceImport(
        pluginModule, "KERNEL32.dll", "WriteConsoleW", reinterpret_cast<void*>(PassWriteConsole)));
    if (realWriteConsole == nullptr) realWriteConsole = WriteConsoleW;
    ReplaceImport(pluginModule, "USER32.dll", "MessageBoxW",
                  reinterpret_cast<void*>(PassMessageBox));
    ReplaceImport(pluginModule, "WINMM.dll", "PlaySoundW", reinterpret_cast<void*>(PassPlaySound));
    return true;
}

// key: the record as the console built it, the line brought up to date by the edit.
void Key(const std::vector<std::string>& f) {
    KeyRequest request{};
    if (!DecodeKeyRequest(f, &request)) {
        Send("fail the key request is incomplete");
        return;
    }
    if (!ApplyEdit(line, &lineLength, kLineBufferSize, request.record.edit)) {
        Send("fail the line edit does not fit");
        return;
    }
    std::u16string before(line, lineLength);
    keyName[request.record.name.copy(keyName, 63)] = 0;
    long cursor = request.record.cursor;
    KeystrokeRecord record{};
    SetRecordNumbers(&record, request.record);
    record.lineStart = line;
    record.cursorPos = line + (cursor >= 0 && static_cast<size_t>(cursor) <= lineLength
                                   ? static_cast<size_t>(cursor)
                                   : lineLength);
    record.keyName = request.hasName ? keyName : nullptr;
    HoldModifiers(request.modifiers & kCtrlAltShiftState);

    int result = plugin.key(&record);

    line[kLineBufferSize - 1] = 0;
    lineLength = std::char_traits<char16_t>::length(line);
    long index = IndexInLine(record.cursorPos, lineLength);
    KeyReply reply{result, record.redraw, FieldsOfRecord(record, index), {}};
    for (int n = host.clearedCount(); clearedReported < n; ++clearedReported)
        reply.cleared.push_back(IndexInLine(host.clearedAt(clearedReported), kLineBufferSize));
    SendOutput();
    reply.record.name =
        record.keyName != nullptr ? Units(reinterpret_cast<wchar_t*>(keyName)) : u"";
    reply.record.edit = EditBetween(before.data(), before.size(), line, lineLength);
    Send(EncodeKeyReply(reply));
}

// Runs one request; false for stop.
bool Serve(const std::vector<std::string>& f) {
    const std::string& what = f[0];
    if (what == "set") {
        host.setVariable(FieldText(f, 1).c_str(), FieldText(f, 2).c_str());
        Send("done 0");
    } else if (what == "unset") {
        host.unsetVariable(FieldText(f, 1).c_str());
        Send("done 0");
    } else if (what == "row") {
        host.setCursorRow(static_cast<int>(FieldNumber(f, 1)));
        Send("done 0");
    } else if (what == "expand") {
        char16_t buffer[1024] = {};
        FieldText(f, 1).copy(buffer, 1023);
        host.expandVariables(buffer, 1);
        buffer[1023] = 0;
        Send("done 0 " + HexText(Units(reinterpret_cast<wchar_t*>(buffer))));
    } else if (what == "start") {
        const PluginInfoRecord* info = plugin.getPluginInfo();
        if (info == nullptr || info->implements == nullptr) {
            Send("fail the plug-in gave no identity record");
            return true;
        }
        int result = plugin.initializePlugin();
        SendOutput();
        Send("done " + std::to_string(result));
    } else if (what == "stop") {
        int result = plugin.shutdownPlugin();
        HoldModifiers(0);
        SendOutput();
        Send("done " + std::to_string(result));
        return false;
    } else if (what == "command") {
        int result = plugin.torvane(FieldText(f, 1).c_str());
        SendOutput();
        Send("done " + std::to_string(result));
    } else if (what == "help") {
        int result = plugin.help(FieldText(f, 1).c_str());
        SendOutput();
        Send("done " + std::to_string(result));
    } else if (what == "usage") {
        char16_t out[1024] = {};
        int result = plugin.usage(FieldText(f, 1).c_str(), out);
        out[1023] = 0;
        SendOutput();
        Send("done " + std::to_string(result) + " " +
             HexText(Units(reinterpret_cast<wchar_t*>(out))));
    } else if (what == "key") {
        Key(f);
    } else {
        Send("fail unknown request " + what);
    }
    return true;
}

} // namespace

int wmain() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::string why;
    if (!Load(&why)) {
        Send("fail " + why);
        return 1;
    }
    Send("ready");
    std::string request;
    while (Receive(&request)) {
        std::vector<std::string> fields = Fields(request);
        if (fields.empty()) continue;
        if (!Serve(fields)) break;
    }
    HoldModifiers(0);
    return 0;
}
