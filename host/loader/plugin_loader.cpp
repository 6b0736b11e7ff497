#include "host/loader/plugin_loader.h"

#include <cstring>

#include "keys/modifiers.h"

namespace {

// Looks up an export by name; 1, with a null result, when there is none, else 0.
template <typename Function> int Missing(HMODULE module, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *function == nullptr ? 1 : 0;
}

} // namespace

bool LoadPluginWithHost(PluginExports* plugin, HostControls* host, HMODULE* pluginModule,
                        std::string* why) {
    HMODULE hostModule = LoadLibraryW(L"TakeCmd.dll");
    if (hostModule == nullptr) {
        *why = "TakeCmd.dll not loaded: " + std::to_string(GetLastError());
        return false;
    }
    *pluginModule = LoadLibraryW(L"Torvane.dll");
    if (*pluginModule == nullptr) {
        *why = "Torvane.dll not loaded: " + std::to_string(GetLastError());
        return false;
    }
    int hostMissing = Missing(hostModule, "HostReset", &host->reset) +
                      Missing(hostModule, "HostSetVariable", &host->setVariable) +
                      Missing(hostModule, "HostUnsetVariable", &host->unsetVariable) +
                      Missing(hostModule, "HostSetCursorRow", &host->setCursorRow) +
                      Missing(hostModule, "HostStdout", &host->stdoutText) +
                      Missing(hostModule, "HostStderr", &host->stderrText) +
                      Missing(hostModule, "HostClearOutput", &host->clearOutput) +
                      Missing(hostModule, "HostClearedCount", &host->clearedCount) +
                      Missing(hostModule, "HostClearedAt", &host->clearedAt) +
                      Missing(hostModule, "ExpandVariables", &host->expandVariables);
    int pluginMissing = Missing(*pluginModule, "GetPluginInfo", &plugin->getPluginInfo) +
                        Missing(*pluginModule, "InitializePlugin", &plugin->initializePlugin) +
                        Missing(*pluginModule, "ShutdownPlugin", &plugin->shutdownPlugin) +
                        Missing(*pluginModule, "key", &plugin->key) +
                        Missing(*pluginModule, "Torvane", &plugin->torvane) +
                        Missing(*pluginModule, "Usage", &plugin->usage) +
                        Missing(*pluginModule, "Help", &plugin->help);
    if (hostMissing != 0) {
        *why = "TakeCmd.dll lacks the stand-in host's controls";
        return false;
    }
    if (pluginMissing != 0) {
        *why = "Torvane.dll lacks one of its exports";
        return false;
    }
    return true;
}

void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
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
            void* old = reinterpret_cast<void*>(slots->u1.Function);
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return old;
        }
    }
    return nullptr;
}

int HoldModifierKeys(int state, int* held) {
    struct ModifierKey {
        WORD key;
        int bit;
    };
    constexpr ModifierKey keys[3] = {
        {VK_SHIFT, kShiftBit}, {VK_CONTROL, kCtrlBit}, {VK_MENU, kAltBit}};
    INPUT input[3] = {};
    for (int i = 0; i < 3; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[i].key;
        input[i].ki.dwFlags = (state & keys[i].bit) != 0 ? 0 : KEYEVENTF_KEYUP;
    }
    int sent = static_cast<int>(SendInput(3, input, sizeof(INPUT)));
    // The input reaches the keyboard state a moment later.
    for (int attempt = 0; attempt < 50; ++attempt) {
        *held = 0;
        for (const ModifierKey& k : keys) {
            if ((static_cast<unsigned>(GetAsyncKeyState(k.key)) & 0x8000u) != 0) *held |= k.bit;
        }
        if (*held == state) break;
        Sleep(10);
    }
    return sent;
}
