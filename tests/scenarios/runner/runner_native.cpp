// The scenario runner on the native build (see runner.h): the plug-in is linked in with the
// stand-in host and the stand-ins for the system, which this layer steers and reads back.
//
//   torvane_runner SCENARIO [TRANSCRIPT]
//
// Each run with a transcript file keeps the registry it leaves behind next to it, as NAME.reg,
// where a later scenario marked "#! after NAME" starts from it: on Windows the scenarios share one
// registry in the order of their names.
#include <cstdio>
#include <string>
#include <vector>

#include "host/host_control.h"
#include "keys/modifiers.h"
#include "platform/platform.h"
#include "standins/kept_file.h"
#include "standins/registry.h"
#include "standins/registry_file.h"
#include "standins/services_control.h"
#include "standins/ui.h"
#include "standins/utf8.h"
#include "tests/scenarios/runner/runner.h"
#include "tests/scenarios/runner/transcript.h"

namespace {

// The settings key of the plug-in under either root, and the maker's key above it.
const std::u16string kSettingsPath = u"Software\\Varnholt\\Torvane";
const std::u16string kMakerPath = u"Software\\Varnholt";

// What the system's calls behind the stand-ins are given: a message box with one OK button
// (MB_OK) owned by the foreground window; a sound by its alias identifier, played asynchronously
// (SND_ALIAS_ID | SND_ASYNC) with no module.
constexpr uint32_t kMessageBoxStyle = 0;
constexpr uint32_t kSoundFlags = 0x00110001;

// The sounds and boxes the stand-ins had recorded before the last report.
size_t soundsReported = 0;
size_t boxesReported = 0;

// Whether the process has a console, and the part of the console text already shown.
bool consolePresent = false;
size_t consoleTextShown = 0;

RegistryKey RootKey(RegistryRoot root) {
    return root == RegistryRoot::kCurrentUser ? kRootCurrentUser : kRootLocalMachine;
}

std::string RegistryFile(const ScenarioSetup& setup, const std::string& name) {
    return setup.folder + "/" + name + ".reg";
}

// The stand-in host's controls with the arguments the runner passes.
void SetVariable(const char16_t* name, const char16_t* value) {
    HostSetVariable(name, value);
}
void UnsetVariable(const char16_t* name) {
    HostUnsetVariable(name);
}
void SetCursorRow(int row) {
    HostSetCursorRow(row);
}
const char16_t* StdoutText() {
    return HostStdout().c_str();
}
const char16_t* StderrText() {
    return HostStderr().c_str();
}
int ClearedCount() {
    return static_cast<int>(HostClearedAt().size());
}
const char16_t* ClearedAt(int n) {
    const auto& calls = HostClearedAt();
    return n >= 0 && static_cast<size_t>(n) < calls.size() ? calls[static_cast<size_t>(n)]
                                                           : nullptr;
}

} // namespace

std::FILE* LayerOpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool LayerReplaceFile(const std::string& path, const std::string& bytes, std::string* why) {
    KeptFileOutcome outcome;
    if (KeptFileReplace(path, bytes, &outcome)) return true;
    *why = (outcome.file == path ? "" : outcome.file + ": ") + outcome.cause;
    return false;
}

// The console device is there only for a scenario that runs with one; the registry is empty or
// as the scenario named by "#! after" left it.
bool LayerBegin(const ScenarioSetup& setup, std::string* why) {
    consolePresent = setup.console;
    StandInSetConsoleMissing(!consolePresent);
    if (!setup.folder.empty()) std::remove(RegistryFile(setup, setup.name).c_str());
    if (setup.after.empty()) return true;
    if (setup.folder.empty()) {
        *why = "it starts from the registry " + setup.after + " leaves: give a transcript file";
        return false;
    }
    std::string path = RegistryFile(setup, setup.after);
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    bool read = file != nullptr && ReadWholeFile(file, &text);
    if (file != nullptr) std::fclose(file);
    int line = 0;
    if (!read) {
        *why = "no registry left by " + setup.after + " (" + path + "): run that scenario first";
        return false;
    }
    if (!StandInRegistryFromText(text, &line)) {
        *why = "the registry left by " + setup.after + " is unreadable at line " +
               std::to_string(line);
        return false;
    }
    return true;
}

void LayerEnd(const ScenarioSetup& setup) {
    if (setup.folder.empty()) return;
    std::string path = RegistryFile(setup, setup.name);
    std::string text = StandInRegistryToText();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    if (!written) std::fprintf(stderr, "cannot keep the registry in %s\n", path.c_str());
}

// The plug-in and the host are linked in and start as freshly loaded libraries do.
bool LayerLoad(PluginExports* plugin, HostControls* host, std::string*) {
    *plugin = {
        .getPluginInfo = GetPluginInfo,
        .initializePlugin = InitializePlugin,
        .shutdownPlugin = ShutdownPlugin,
        .key = key,
        .torvane = Torvane,
        .usage = Usage,
        .help = Help,
    };
    *host = {
        .reset = HostReset,
        .setVariable = SetVariable,
        .unsetVariable = UnsetVariable,
        .setCursorRow = SetCursorRow,
        .stdoutText = StdoutText,
        .stderrText = StderrText,
        .clearOutput = HostClearOutput,
        .clearedCount = ClearedCount,
        .clearedAt = ClearedAt,
        .expandVariables = ExpandVariables,
    };
    return true;
}

void LayerHoldModifiers(int state, int* sent, int* held) {
    StandInSetModifiers(state);
    *sent = 3; // one event for each of the three keys
    struct ModifierKey {
        int key;
        int bit;
    };
    constexpr ModifierKey keys[3] = {
        {kVkShift, kShiftBit}, {kVkControl, kCtrlBit}, {kVkMenu, kAltBit}};
    *held = 0;
    for (const ModifierKey& k : keys)
        if (PlatformKeyHeld(k.key)) *held |= k.bit;
}

// The stand-ins record every box and sound; what came before this is not reported.
Interception LayerIntercept() {
    soundsReported = StandInSoundsPlayed().size();
    boxesReported = StandInMessageBoxes().size();
    return {true, true, true};
}

void LayerFailAllocations(bool fail) {
    StandInFailAllocations(fail);
}

void LayerCollectCalls() {
    const auto& boxes = StandInMessageBoxes();
    for (; boxesReported < boxes.size(); ++boxesReported)
        ReportMessageBox(boxes[boxesReported].title, boxes[boxesReported].text, kMessageBoxStyle,
                         true);
    const auto& sounds = StandInSoundsPlayed();
    for (; soundsReported < sounds.size(); ++soundsReported)
        ReportSound(sounds[soundsReported], false, kSoundFlags);
}

bool LayerRegistryClear(RegistryRoot root, std::string*) {
    StandInRegistryDeleteKey(RootKey(root), kMakerPath);
    StandInRegistryFailCreate(RootKey(root), 0);
    return true;
}

// An empty maker's key under which creating a key fails as it does under a volatile one.
bool LayerRegistryBlockSettingsKey(RegistryRoot root, std::string* why) {
    LayerRegistryClear(root, why);
    StandInRegistryCreateKey(RootKey(root), kMakerPath);
    StandInRegistryFailCreate(RootKey(root), kErrorChildMustBeVolatile);
    return true;
}

// Through the registry functions the plug-in uses, so that a blocked key stays blocked.
bool LayerRegistrySet(RegistryRoot root, const RegistryEntry& entry, std::string* why) {
    RegistryKey key = 0;
    int32_t status = PlatformRegCreateKey(RootKey(root), kSettingsPath.c_str(), kKeyWrite, &key);
    if (status != 0) {
        *why = "create failed: " + std::to_string(status);
        return false;
    }
    status = PlatformRegSetValue(key, entry.name.c_str(), entry.type, entry.bytes.data(),
                                 static_cast<uint32_t>(entry.bytes.size()));
    PlatformRegCloseKey(key);
    if (status == 0) return true;
    *why = "failed: " + std::to_string(status);
    return false;
}

bool LayerRegistryValues(RegistryRoot root, std::vector<RegistryEntry>* entries) {
    if (!StandInRegistryKeyExists(RootKey(root), kSettingsPath)) return false;
    for (const std::u16string& name : StandInRegistryValueNames(RootKey(root), kSettingsPath)) {
        StandInRegistryValue value = StandInRegistryGetValue(RootKey(root), kSettingsPath, name);
        entries->push_back({name, value.type, value.bytes});
    }
    return true;
}

// The system's texts end with a line end.
bool LayerSystemErrorText(uint32_t code, const std::u16string& text, std::string*) {
    StandInSetSystemErrorText(code, text + u"\r\n");
    return true;
}

// The captured console text laid out as a console screen does: a carriage return goes back to
// the row's start, a line feed to the next row; the row the cursor is on is not finished yet.
bool LayerConsoleRows(std::vector<std::u16string>* rows) {
    if (!consolePresent) return false;
    const std::u16string& text = StandInConsoleText();
    size_t end = text.rfind(u'\n');
    if (end == std::u16string::npos || end < consoleTextShown) return true;
    std::u16string row;
    size_t column = 0;
    for (size_t i = consoleTextShown; i <= end; ++i) {
        char16_t ch = text[i];
        if (ch == u'\r') {
            column = 0;
        } else if (ch == u'\n') {
            while (!row.empty() && row.back() == u' ')
                row.pop_back();
            if (!row.empty()) rows->push_back(row);
            row.clear();
            column = 0;
        } else {
            if (column < row.size())
                row[column] = ch;
            else
                row.append(column - row.size(), u' ') += ch;
            ++column;
        }
    }
    consoleTextShown = end + 1;
    return true;
}

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunScenarioProgram(arguments);
}
