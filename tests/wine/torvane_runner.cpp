// The scenario runner on Windows (see tests/scenarios/runner/runner.h): loads Torvane.dll the way
// the host does (LoadLibrary, exports looked up by name) next to the stand-in TakeCmd.dll, and
// works the real system: modifier keys held through SendInput, the real registry, the console
// device, and the plug-in's imports of MessageBoxW, PlaySoundW and HeapAlloc taken over.
//
//   torvane_runner.exe SCENARIO [TRANSCRIPT]
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/loader/plugin_loader.h"
#include "standins/utf8.h"
#include "tests/scenarios/runner/runner.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

HMODULE pluginModule = nullptr;

// The settings key of the plug-in under either root, and the maker's key above it.
constexpr const wchar_t* kSettingsPath = L"Software\\Varnholt\\Torvane";
constexpr const wchar_t* kMakerPath = L"Software\\Varnholt";

// Modifier keys this program pressed, released again before it ends.
bool modifiersPressed = false;

// Console rows already shown by LayerConsoleRows.
SHORT consoleRowsShown = 0;

// Heap allocations of the plug-in fail while set (after LayerIntercept).
bool failAllocations = false;

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string Units(const wchar_t* text) {
    return text == nullptr ? u"" : std::u16string(reinterpret_cast<const char16_t*>(text));
}

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Stands in for MessageBoxW: reports the box and closes it at once with OK.
int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR title, UINT style) {
    ReportMessageBox(Units(title), Units(text), style, owner == GetForegroundWindow());
    return IDOK;
}

// Stands in for PlaySoundW: reports the sound instead of playing it.
BOOL WINAPI RecordPlaySound(LPCWSTR name, HMODULE module, DWORD flags) {
    ReportSound(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name)), module != nullptr, flags);
    return TRUE;
}

// Stands in for HeapAlloc: fails while failAllocations is set, else allocates.
LPVOID WINAPI SwitchedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    return failAllocations ? nullptr : HeapAlloc(heap, flags, bytes);
}

// Removes the maker's key with everything under it; a missing key is no failure.
bool DeleteMakerKey(RegistryRoot root, std::string* why) {
    LSTATUS status = RegDeleteTreeW(RootKey(root), kMakerPath);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
    *why = "delete failed: " + std::to_string(status);
    return false;
}

} // namespace

std::FILE* LayerOpenFile(const std::string& path, const char* mode) {
    std::u16string widePath = FromUtf8(path);
    std::u16string wideMode = FromUtf8(mode);
    return _wfopen(Wide(widePath), Wide(wideMode));
}

// A link is written through: the file replaced is the one the path leads to, as the system
// names it once it has opened it.
bool LayerReplaceFile(const std::string& path, const std::string& bytes, std::string* why) {
    std::u16string target = FromUtf8(path);
    HANDLE existing =
        CreateFileW(Wide(target), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        static wchar_t named[32768];
        DWORD length = GetFinalPathNameByHandleW(existing, named, 32768, FILE_NAME_NORMALIZED);
        CloseHandle(existing);
        if (length > 0 && length < 32768) target = Units(named);
    }
    DWORD attributes = GetFileAttributesW(Wide(target));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        *why = "the file is read-only";
        return false;
    }
    std::u16string temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_FILE_EXISTS;
    for (int serial = 0; file == INVALID_HANDLE_VALUE && error == ERROR_FILE_EXISTS && serial < 100;
         ++serial) {
        temporary = target + FromUtf8(".tmp." + std::to_string(GetCurrentProcessId()) + "." +
                                      std::to_string(serial));
        file = CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) error = GetLastError();
    }
    if (file == INVALID_HANDLE_VALUE) {
        *why = "cannot make a file beside it (error " + std::to_string(error) + ")";
        return false;
    }
    DWORD written = 0;
    error = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file))
        error = GetLastError();
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    if (error == 0 && !MoveFileExW(Wide(temporary), Wide(target),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error == 0) return true;
    DeleteFileW(Wide(temporary));
    *why = "error " + std::to_string(error);
    return false;
}

// The process was started inside or outside a console as the scenario asks (scripts/wine-test
// sees to that); the registry is the Wine prefix's, which every scenario of a run shares in the
// order of their names.
bool LayerBegin(const ScenarioSetup&, std::string*) {
    return true;
}

// Keys held at the end would still be held for the next program on the same desktop.
void LayerEnd(const ScenarioSetup&) {
    if (!modifiersPressed) return;
    int sent = 0;
    int held = 0;
    LayerHoldModifiers(0, &sent, &held);
}

// The host's DLL first (the plug-in imports from it), then the plug-in, from this program's
// directory.
bool LayerLoad(PluginExports* plugin, HostControls* host, std::string* why) {
    return LoadPluginWithHost(plugin, host, &pluginModule, why);
}

// Real keyboard input; the state then read back the way the plug-in reads it, waiting a little
// for the input to arrive.
void LayerHoldModifiers(int state, int* sent, int* held) {
    *sent = HoldModifierKeys(state, held);
    modifiersPressed = state != 0;
}

Interception LayerIntercept() {
    Interception taken{};
    taken.messageBox = ReplaceImport(pluginModule, "USER32.dll", "MessageBoxW",
                                     reinterpret_cast<void*>(RecordMessageBox)) != nullptr;
    taken.playSound = ReplaceImport(pluginModule, "WINMM.dll", "PlaySoundW",
                                    reinterpret_cast<void*>(RecordPlaySound)) != nullptr;
    taken.heapAlloc = ReplaceImport(pluginModule, "KERNEL32.dll", "HeapAlloc",
                                    reinterpret_cast<void*>(SwitchedHeapAlloc)) != nullptr;
    return taken;
}

void LayerFailAllocations(bool fail) {
    failAllocations = fail;
}

// The replacements report each call as it is made.
void LayerCollectCalls() {}

bool LayerRegistryClear(RegistryRoot root, std::string* why) {
    return DeleteMakerKey(root, why);
}

// A volatile maker's key: the system refuses to create a stable key under it.
bool LayerRegistryBlockSettingsKey(RegistryRoot root, std::string* why) {
    if (!DeleteMakerKey(root, why)) return false;
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(RootKey(root), kMakerPath, 0, nullptr, REG_OPTION_VOLATILE,
                                     KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        *why = "create failed: " + std::to_string(status);
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool LayerRegistrySet(RegistryRoot root, const RegistryEntry& entry, std::string* why) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(RootKey(root), kSettingsPath, 0, nullptr, 0, KEY_WRITE,
                                     nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        *why = "create failed: " + std::to_string(status);
        return false;
    }
    status = RegSetValueExW(key, Wide(entry.name), 0, entry.type,
                            reinterpret_cast<const BYTE*>(entry.bytes.data()),
                            static_cast<DWORD>(entry.bytes.size()));
    RegCloseKey(key);
    if (status == ERROR_SUCCESS) return true;
    *why = "failed: " + std::to_string(status);
    return false;
}

bool LayerRegistryValues(RegistryRoot root, std::vector<RegistryEntry>* entries) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootKey(root), kSettingsPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        static BYTE data[65536]; // room for the largest value the scenarios write
        DWORD size = sizeof data;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        entries->push_back({std::u16string(reinterpret_cast<const char16_t*>(name), nameLength),
                            type, std::string(reinterpret_cast<const char*>(data), size)});
    }
    RegCloseKey(key);
    return true;
}

// The text as the plug-in asks for it (one line, inserts ignored), trailing blanks dropped.
bool LayerSystemErrorText(uint32_t code, const std::u16string& text, std::string* why) {
    wchar_t buffer[1024];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, code, 0, buffer, 1024, nullptr);
    std::u16string actual(reinterpret_cast<const char16_t*>(buffer), n < 1024 ? n : 0);
    while (!actual.empty() && (actual.back() == u' ' || actual.back() == u'\r' ||
                               actual.back() == u'\n' || actual.back() == u'\t'))
        actual.pop_back();
    if (actual == text) return true;
    *why = "the system's text for " + std::to_string(code) + " is \"" + ToUtf8(actual) + "\"";
    return false;
}

bool LayerConsoleRows(std::vector<std::u16string>* rows) {
    HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
        if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
        return false;
    }
    for (SHORT row = consoleRowsShown; row < info.dwCursorPosition.Y; ++row) {
        std::vector<wchar_t> cells(static_cast<size_t>(info.dwSize.X));
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(cells.size()),
                                    COORD{0, row}, &read);
        while (read > 0 && cells[read - 1] == L' ')
            --read;
        if (read == 0) continue;
        rows->emplace_back(reinterpret_cast<const char16_t*>(cells.data()), read);
    }
    consoleRowsShown = info.dwCursorPosition.Y;
    CloseHandle(screen);
    return true;
}

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(ToUtf8(Units(argv[i])));
    return RunScenarioProgram(arguments);
}
