// Drives Torvane.dll the way the host does: LoadLibrary, exports looked up by name, records of
// the host's layout. Runs the commands of a scenario file (its lines starting with "> ") and
// writes a transcript: each command echoed, followed by what came back. The scenario file holds
// the expected transcript around its commands, so the test compares the two.
//
//   torvane_runner.exe SCENARIO [TRANSCRIPT]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "plugin/host.h"
#include "tests/wine/common/transcript.h"
#include "text/utf8.h"

namespace {

using InfoFunction = PluginInfoRecord* (*)();
using PlainFunction = int (*)();
using KeyFunction = int (*)(KeystrokeRecord*);
using TextFunction = int (*)(const char16_t*);
using UsageFunction = int (*)(const char16_t*, char16_t*);

// The plug-in's exports, looked up by name as the host does.
struct PluginExports {
    InfoFunction getPluginInfo;
    PlainFunction initializePlugin;
    PlainFunction shutdownPlugin;
    KeyFunction key;
    TextFunction torvane;
    UsageFunction usage;
    TextFunction help;
};

// The stand-in host's controls, exported by the stand-in TakeCmd.dll.
struct HostControls {
    void (*reset)();
    void (*setVariable)(const char16_t*, const char16_t*);
    void (*unsetVariable)(const char16_t*);
    void (*setCursorRow)(int);
    const char16_t* (*stdoutText)();
    const char16_t* (*stderrText)();
    void (*clearOutput)();
    int (*clearedCount)();
    const char16_t* (*clearedAt)(int);
};

PluginExports plugin{};
HostControls host{};
bool loaded = false;
HMODULE pluginModule = nullptr;

// Calls into Windows that the plug-in made through intercepted imports, not yet reported.
std::vector<std::string> intercepted;

// The host's edit line and key-name buffers, as big as the host's.
char16_t lineBuffer[kLineBufferSize];
char16_t keyNameBuffer[256];

// The settings key of the plug-in under either root, and the maker's key above it.
constexpr const wchar_t* kSettingsPath = L"Software\\Varnholt\\Torvane";
constexpr const wchar_t* kMakerPath = L"Software\\Varnholt";

// Modifier keys this program pressed, released again before it ends.
bool modifiersPressed = false;

// Console rows already shown by the console command.
SHORT consoleRowsShown = 0;

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::string Narrow(const std::u16string& text) {
    return ToUtf8(text);
}

std::string Number(long long value) {
    return std::to_string(value);
}

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

template <typename Function> void Find(HMODULE module, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// One line per line of text, each labelled and quoted, its line end included.
void AddLines(const std::string& label, const char16_t* text, std::vector<std::string>* lines) {
    std::u16string all = text == nullptr ? u"" : text;
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find(u'\n', start);
        end = end == std::u16string::npos ? all.size() : end + 1;
        lines->push_back(label + " " + QuoteText(all.data() + start, end - start));
        start = end;
    }
}

void ReportStream(const char* label, const char16_t* text) {
    std::vector<std::string> lines;
    AddLines(label, text, &lines);
    for (const std::string& line : lines)
        TranscriptLine(line);
}

void ReportHostOutput() {
    ReportStream("stdout", host.stdoutText());
    ReportStream("stderr", host.stderrText());
    host.clearOutput();
    for (const std::string& call : intercepted)
        TranscriptLine(call);
    intercepted.clear();
}

// Stands in for MessageBoxW: records the box and closes it at once with OK.
int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR title, UINT style) {
    const auto* units = reinterpret_cast<const char16_t*>(title);
    intercepted.push_back("box title " + QuoteText(units, wcslen(title)) + " style " +
                          Number(style) + " owner " +
                          (owner == GetForegroundWindow() ? "foreground" : "other"));
    AddLines("box text", reinterpret_cast<const char16_t*>(text), &intercepted);
    return IDOK;
}

// Stands in for PlaySoundW: records the sound instead of playing it.
BOOL WINAPI RecordPlaySound(LPCWSTR name, HMODULE module, DWORD flags) {
    intercepted.push_back(
        "sound " + Hex(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(name))) + " module " +
        (module == nullptr ? "null" : "given") + " flags " + Hex(flags));
    return TRUE;
}

// Stands in for HeapAlloc: fails while failAllocations is set, else allocates.
bool failAllocations = false;
LPVOID WINAPI SwitchedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    return failAllocations ? nullptr : HeapAlloc(heap, flags, bytes);
}

// Points the plug-in's import of function from dll at replacement; false when it imports no
// such function.
bool ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return false;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

bool RootFromWord(const std::u16string& word, HKEY* root) {
    if (word == u"HKCU")
        *root = HKEY_CURRENT_USER;
    else if (word == u"HKLM")
        *root = HKEY_LOCAL_MACHINE;
    else
        return false;
    return true;
}

// ---- the commands -----------------------------------------------------------------------------

using Words = std::vector<ScenarioWord>;

bool Fail(const std::string& why) {
    TranscriptLine("error " + why);
    return false;
}

bool NeedLoaded() {
    return loaded || Fail("the plug-in is not loaded");
}

// load: the host's DLL first (the plug-in imports from it), then the plug-in, from this
// program's directory.
bool CommandLoad(const Words&) {
    HMODULE hostModule = LoadLibraryW(L"TakeCmd.dll");
    if (hostModule == nullptr) return Fail("TakeCmd.dll not loaded: " + Number(GetLastError()));
    pluginModule = LoadLibraryW(L"Torvane.dll");
    if (pluginModule == nullptr) return Fail("Torvane.dll not loaded: " + Number(GetLastError()));
    Find(hostModule, "HostReset", &host.reset);
    Find(hostModule, "HostSetVariable", &host.setVariable);
    Find(hostModule, "HostUnsetVariable", &host.unsetVariable);
    Find(hostModule, "HostSetCursorRow", &host.setCursorRow);
    Find(hostModule, "HostStdout", &host.stdoutText);
    Find(hostModule, "HostStderr", &host.stderrText);
    Find(hostModule, "HostClearOutput", &host.clearOutput);
    Find(hostModule, "HostClearedCount", &host.clearedCount);
    Find(hostModule, "HostClearedAt", &host.clearedAt);
    void* controls[sizeof host / sizeof(void*)];
    std::memcpy(controls, &host, sizeof host);
    for (void* control : controls)
        if (control == nullptr) return Fail("TakeCmd.dll lacks a control export");
    Find(pluginModule, "GetPluginInfo", &plugin.getPluginInfo);
    Find(pluginModule, "InitializePlugin", &plugin.initializePlugin);
    Find(pluginModule, "ShutdownPlugin", &plugin.shutdownPlugin);
    Find(pluginModule, "key", &plugin.key);
    Find(pluginModule, "Torvane", &plugin.torvane);
    Find(pluginModule, "Usage", &plugin.usage);
    Find(pluginModule, "Help", &plugin.help);
    host.reset();
    loaded = true;
    TranscriptLine("loaded");
    return true;
}

template <typename Function> bool Have(Function function, const char* name) {
    return NeedLoaded() && (function != nullptr || Fail(std::string("no export ") + name));
}

// info: GetPluginInfo twice, as a host may; the same record both times.
bool CommandInfo(const Words&) {
    if (!Have(plugin.getPluginInfo, "GetPluginInfo")) return false;
    PluginInfoRecord* first = plugin.getPluginInfo();
    PluginInfoRecord* second = plugin.getPluginInfo();
    if (first == nullptr) return Fail("no record");
    auto text = [](const char16_t* value) { return value == nullptr ? "null" : QuoteText(value); };
    auto given = [](const char16_t* value) {
        return value != nullptr && value[0] != 0 ? "given" : "missing";
    };
    TranscriptLine(std::string("info same ") + (first == second ? "yes" : "no") + " name " +
                   text(first->name) + " description " + text(first->description) + " implements " +
                   text(first->implements));
    TranscriptLine("info version " + Number(first->major) + "." + Number(first->minor) + "." +
                   Number(first->build) + " author " + given(first->author) + " email " +
                   given(first->email) + " web " + given(first->webPage));
    ReportHostOutput();
    return true;
}

bool CommandInit(const Words&) {
    if (!Have(plugin.initializePlugin, "InitializePlugin")) return false;
    TranscriptLine("init " + Number(plugin.initializePlugin()));
    ReportHostOutput();
    return true;
}

bool CommandShutdown(const Words&) {
    if (!Have(plugin.shutdownPlugin, "ShutdownPlugin")) return false;
    TranscriptLine("shutdown " + Number(plugin.shutdownPlugin()));
    ReportHostOutput();
    return true;
}

// var NAME "VALUE" / unset NAME / row N: the stand-in host's variables and cursor row.
bool CommandVar(const Words& words) {
    if (!NeedLoaded()) return false;
    if (words.size() != 3) return Fail("usage: var NAME \"VALUE\"");
    host.setVariable(words[1].text.c_str(), words[2].text.c_str());
    return true;
}

bool CommandUnset(const Words& words) {
    if (!NeedLoaded()) return false;
    if (words.size() != 2) return Fail("usage: unset NAME");
    host.unsetVariable(words[1].text.c_str());
    return true;
}

bool CommandRow(const Words& words) {
    long long row = 0;
    if (!NeedLoaded()) return false;
    if (words.size() != 2 || !ParseScenarioNumber(words[1].text, &row)) return Fail("usage: row N");
    host.setCursorRow(static_cast<int>(row));
    return true;
}

// mods N: holds Shift (1), Ctrl (2) and Alt (4) through real keyboard input and releases the
// others; reports the state the keyboard then shows.
bool CommandMods(const Words& words) {
    long long state = 0;
    if (words.size() != 2 || !ParseScenarioNumber(words[1].text, &state))
        return Fail("usage: mods N");
    const WORD keys[3] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    INPUT input[3] = {};
    for (int i = 0; i < 3; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[i];
        input[i].ki.dwFlags = (state & (1 << i)) != 0 ? 0 : KEYEVENTF_KEYUP;
    }
    UINT sent = SendInput(3, input, sizeof(INPUT));
    modifiersPressed = state != 0;
    int shown = 0;
    for (int attempt = 0; attempt < 50; ++attempt) {
        shown = 0;
        for (int i = 0; i < 3; ++i)
            if ((static_cast<unsigned>(GetAsyncKeyState(keys[i])) & 0x8000u) != 0) shown |= 1 << i;
        if (shown == state) break;
        Sleep(10);
    }
    TranscriptLine("mods sent " + Number(sent) + " held " + Number(shown));
    return true;
}

// key CODE "LINE" [name "TEXT"]: one keystroke on an edit line; '|' marks the cursor (the end
// when there is none). The record's rows and columns start at 7 and 2.
bool CommandKey(const Words& words) {
    if (!Have(plugin.key, "key")) return false;
    long long code = 0;
    bool named = words.size() == 5 && words[3].text == u"name" && words[4].quoted;
    if ((words.size() != 3 && !named) || !ParseScenarioNumber(words[1].text, &code) ||
        !words[2].quoted)
        return Fail("usage: key CODE \"LINE\" [name \"TEXT\"]");

    std::u16string line = words[2].text;
    size_t cursor = line.find(u'|');
    if (cursor == std::u16string::npos)
        cursor = line.size();
    else
        line.erase(cursor, 1);
    if (line.size() >= kLineBufferSize) return Fail("line too long");

    std::memset(lineBuffer, 0, sizeof lineBuffer);
    std::memcpy(lineBuffer, line.data(), line.size() * sizeof(char16_t));
    std::memset(keyNameBuffer, 0, sizeof keyNameBuffer);
    if (named) {
        if (words[4].text.size() >= std::size(keyNameBuffer)) return Fail("name too long");
        std::memcpy(keyNameBuffer, words[4].text.data(), words[4].text.size() * sizeof(char16_t));
    }

    KeystrokeRecord record{};
    record.keyCode = static_cast<int32_t>(code);
    record.startRow = record.cursorRow = 7;
    record.startColumn = 2;
    record.cursorColumn = 2 + static_cast<int32_t>(cursor);
    record.lineStart = lineBuffer;
    record.cursorPos = lineBuffer + cursor;
    record.keyName = named ? keyNameBuffer : nullptr;

    int clearedBefore = host.clearedCount();
    int result = plugin.key(&record);

    size_t length = 0;
    while (length < kLineBufferSize && lineBuffer[length] != 0)
        ++length;
    std::string keyName = record.keyName == nullptr ? "null" : QuoteText(record.keyName);
    TranscriptLine("key " + Number(result) + " line " + QuoteText(lineBuffer, length) + " cursor " +
                   Number(record.cursorPos - record.lineStart) + " keyCode " +
                   Number(record.keyCode) + " redraw " + Number(record.redraw) + " keyName " +
                   keyName);
    TranscriptLine("key rows " + Number(record.startRow) + " " + Number(record.startColumn) + " " +
                   Number(record.cursorRow) + " " + Number(record.cursorColumn));
    for (int i = clearedBefore; i < host.clearedCount(); ++i)
        TranscriptLine("cleared at " + Number(host.clearedAt(i) - lineBuffer));
    ReportHostOutput();
    return true;
}

bool CommandTorvane(const Words& words) {
    if (!Have(plugin.torvane, "Torvane")) return false;
    if (words.size() != 2 || !words[1].quoted) return Fail("usage: torvane \"ARGUMENTS\"");
    TranscriptLine("torvane " + Number(plugin.torvane(words[1].text.c_str())));
    ReportHostOutput();
    return true;
}

// usage "NAME": the host's 1024-character buffer, filled beforehand so that an untouched
// buffer shows.
bool CommandUsage(const Words& words) {
    if (!Have(plugin.usage, "Usage")) return false;
    if (words.size() != 2 || !words[1].quoted) return Fail("usage: usage \"NAME\"");
    char16_t out[1024];
    for (char16_t& ch : out)
        ch = u'#';
    out[1023] = 0;
    int result = plugin.usage(words[1].text.c_str(), out);
    size_t length = 0;
    while (length < 1024 && out[length] != 0)
        ++length;
    bool untouched = length == 1023;
    for (size_t i = 0; untouched && i < length; ++i)
        untouched = out[i] == u'#';
    if (untouched) {
        TranscriptLine("usage " + Number(result) + " untouched");
        return true;
    }
    TranscriptLine("usage " + Number(result) + " length " + Number(static_cast<long long>(length)));
    ReportStream("text", out);
    return true;
}

bool CommandHelp(const Words& words) {
    if (!Have(plugin.help, "Help")) return false;
    if (words.size() != 2 || !words[1].quoted) return Fail("usage: help \"NAME\"");
    TranscriptLine("help " + Number(plugin.help(words[1].text.c_str())));
    ReportHostOutput();
    return true;
}

// intercept: from now on the plug-in's message boxes and sounds are recorded and reported
// with the call that made them, with the arguments the plug-in passed, and its heap
// allocations can be made to fail.
bool CommandIntercept(const Words&) {
    if (!NeedLoaded()) return false;
    bool box = ReplaceImport(pluginModule, "USER32.dll", "MessageBoxW",
                             reinterpret_cast<void*>(RecordMessageBox));
    bool sound = ReplaceImport(pluginModule, "WINMM.dll", "PlaySoundW",
                               reinterpret_cast<void*>(RecordPlaySound));
    bool heap = ReplaceImport(pluginModule, "KERNEL32.dll", "HeapAlloc",
                              reinterpret_cast<void*>(SwitchedHeapAlloc));
    TranscriptLine(std::string("intercept MessageBoxW ") + (box ? "yes" : "no") + " PlaySoundW " +
                   (sound ? "yes" : "no") + " HeapAlloc " + (heap ? "yes" : "no"));
    return true;
}

// fail-alloc yes|no: after intercept, the plug-in's heap allocations fail or succeed.
bool CommandFailAlloc(const Words& words) {
    if (words.size() != 2 || (words[1].text != u"yes" && words[1].text != u"no"))
        return Fail("usage: fail-alloc yes|no");
    failAllocations = words[1].text == u"yes";
    return true;
}

// reg-clear ROOT: removes the maker's key with the plug-in's settings under the root.
bool CommandRegClear(const Words& words) {
    HKEY root = nullptr;
    if (words.size() != 2 || !RootFromWord(words[1].text, &root))
        return Fail("usage: reg-clear HKCU|HKLM");
    LSTATUS status = RegDeleteTreeW(root, kMakerPath);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return Fail("reg-clear failed: " + Number(status));
    return true;
}

// reg-volatile ROOT: makes the maker's key a volatile one, under which the system refuses to
// create the plug-in's stable key, so that a save fails. reg-clear undoes it.
bool CommandRegVolatile(const Words& words) {
    HKEY root = nullptr;
    if (words.size() != 2 || !RootFromWord(words[1].text, &root))
        return Fail("usage: reg-volatile HKCU|HKLM");
    LSTATUS status = RegDeleteTreeW(root, kMakerPath);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return Fail("reg-volatile: delete failed: " + Number(status));
    HKEY key = nullptr;
    status = RegCreateKeyExW(root, kMakerPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr,
                             &key, nullptr);
    if (status != ERROR_SUCCESS) return Fail("reg-volatile: create failed: " + Number(status));
    RegCloseKey(key);
    return true;
}

// reg-set ROOT "NAME" dword N | sz "TEXT" | qword N: one value in the settings key.
bool CommandRegSet(const Words& words) {
    HKEY root = nullptr;
    long long number = 0;
    if (words.size() != 5 || !RootFromWord(words[1].text, &root) || !words[2].quoted)
        return Fail("usage: reg-set ROOT \"NAME\" TYPE VALUE");
    HKEY key = nullptr;
    LSTATUS status =
        RegCreateKeyExW(root, kSettingsPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return Fail("reg-set create failed: " + Number(status));
    const std::u16string& type = words[3].text;
    if (type == u"sz") {
        status = RegSetValueExW(key, Wide(words[2].text), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(words[4].text.c_str()),
                                static_cast<DWORD>((words[4].text.size() + 1) * 2));
    } else if ((type == u"dword" || type == u"qword") &&
               ParseScenarioNumber(words[4].text, &number)) {
        unsigned long long data = static_cast<unsigned long long>(number);
        DWORD dword = static_cast<DWORD>(data);
        bool wide = type == u"qword";
        status = RegSetValueExW(key, Wide(words[2].text), 0, wide ? REG_QWORD : REG_DWORD,
                                wide ? reinterpret_cast<const BYTE*>(&data)
                                     : reinterpret_cast<const BYTE*>(&dword),
                                wide ? 8 : 4);
    } else {
        RegCloseKey(key);
        return Fail("reg-set: unknown type or value");
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS || Fail("reg-set failed: " + Number(status));
}

// reg-show ROOT: every value of the settings key, in the order the registry keeps them.
bool CommandRegShow(const Words& words) {
    HKEY root = nullptr;
    if (words.size() != 2 || !RootFromWord(words[1].text, &root))
        return Fail("usage: reg-show HKCU|HKLM");
    std::string rootName = Narrow(words[1].text);
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kSettingsPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        TranscriptLine("reg " + rootName + " no key");
        return true;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        BYTE data[512];
        DWORD size = sizeof data;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        std::string shown = "reg " + rootName + " " +
                            QuoteText(reinterpret_cast<const char16_t*>(name), nameLength) + " ";
        if (type == REG_DWORD && size == 4) {
            DWORD value = 0;
            std::memcpy(&value, data, 4);
            shown += "dword " + Hex(value);
        } else if (type == REG_SZ) {
            size_t length = size / 2;
            const auto* text = reinterpret_cast<const char16_t*>(data);
            while (length > 0 && text[length - 1] == 0)
                --length;
            shown += "sz " + QuoteText(text, length);
        } else {
            shown += "type " + Number(type) + " size " + Number(size);
        }
        TranscriptLine(shown);
    }
    RegCloseKey(key);
    return true;
}

// console: the console rows written since the last look, blanks at their ends removed; "none"
// when the process has no console.
bool CommandConsole(const Words&) {
    HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
        if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
        TranscriptLine("console none");
        return true;
    }
    for (SHORT row = consoleRowsShown; row < info.dwCursorPosition.Y; ++row) {
        std::vector<wchar_t> cells(static_cast<size_t>(info.dwSize.X));
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(cells.size()),
                                    COORD{0, row}, &read);
        while (read > 0 && cells[read - 1] == L' ')
            --read;
        if (read == 0) continue;
        TranscriptLine("console " +
                       QuoteText(reinterpret_cast<const char16_t*>(cells.data()), read));
    }
    consoleRowsShown = info.dwCursorPosition.Y;
    CloseHandle(screen);
    return true;
}

struct Command {
    const char* name;
    bool (*run)(const Words&);
};

constexpr Command kCommands[] = {
    {"load", CommandLoad},
    {"info", CommandInfo},
    {"init", CommandInit},
    {"shutdown", CommandShutdown},
    {"var", CommandVar},
    {"unset", CommandUnset},
    {"row", CommandRow},
    {"mods", CommandMods},
    {"key", CommandKey},
    {"torvane", CommandTorvane},
    {"usage", CommandUsage},
    {"help", CommandHelp},
    {"reg-clear", CommandRegClear},
    {"reg-set", CommandRegSet},
    {"reg-show", CommandRegShow},
    {"reg-volatile", CommandRegVolatile},
    {"console", CommandConsole},
    {"intercept", CommandIntercept},
    {"fail-alloc", CommandFailAlloc},
};

bool RunCommand(const std::u16string& line) {
    Words words;
    std::string reason;
    if (!SplitScenarioLine(line, &words, &reason)) return Fail(reason);
    if (words.empty()) return Fail("empty command");
    std::string name = Narrow(words[0].text);
    for (const Command& command : kCommands)
        if (name == command.name) return command.run(words);
    return Fail("unknown command " + name);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: torvane_runner SCENARIO [TRANSCRIPT]\n", stderr);
        return 2;
    }
    std::vector<std::u16string> lines;
    if (!ReadScenarioFile(argv[1], &lines)) {
        std::fputs("cannot read the scenario\n", stderr);
        return 2;
    }
    if (!OpenTranscript(argc == 3 ? argv[2] : nullptr)) {
        std::fputs("cannot write the transcript\n", stderr);
        return 2;
    }
    int failures = 0;
    for (const std::u16string& line : lines) {
        if (line.rfind(u"> ", 0) != 0) continue;
        TranscriptLine("> " + Narrow(line.substr(2)));
        if (!RunCommand(line.substr(2))) ++failures;
    }
    CloseTranscript();
    // Keys held at the end would still be held for the next program on the same desktop.
    if (modifiersPressed) CommandMods({{u"mods", false}, {u"0", false}});
    return failures == 0 ? 0 : 1;
}
