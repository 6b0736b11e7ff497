// reg-matrix: one stored setting replaced by a value of every type and size, each followed by a
// start and a save, the outcomes grouped so that a transcript shows each distinct one once.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "standins/utf8.h"
#include "tests/scenarios/runner/runner.h"
#include "tests/scenarios/runner/transcript.h"

namespace {

// Both roots hold all five settings before each case; each name's replacement would change the
// setting if it were taken (and the yes/no ones differ from their defaults).
struct Baseline {
    const char16_t* name;
    uint32_t user;
    uint32_t machine;
    uint32_t replacement;
};

constexpr Baseline kBaselines[] = {
    {u"Hotkey", 0x1003F, 0x10041, 0x10043}, // F5, F7; F9
    {u"Overwrite", 1, 1, 1},
    {u"Break at slash", 0, 1, 0},
    {u"Keep old args", 1, 0, 1},
    {u"Beep on error", 0, 0, 0},
};

// REG_NONE, REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD.
constexpr uint32_t kTypes[] = {0, 1, 3, 4, 7, 11};
constexpr uint32_t kDword = 4;
constexpr size_t kSizes[] = {0, 1, 3, 4, 5, 8, 4096};
constexpr size_t kDwordSizes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 4096};

std::string Number(long long value) {
    return std::to_string(value);
}

// The little-endian bytes of value, cut or padded with zeros to size.
std::string Bytes(uint32_t value, size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size && i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

bool SetAll(RegistryRoot root, std::string* why) {
    if (!LayerRegistryClear(root, why)) return false;
    for (const Baseline& b : kBaselines) {
        uint32_t value = root == RegistryRoot::kCurrentUser ? b.user : b.machine;
        if (!LayerRegistrySet(root, {b.name, kDword, Bytes(value, 4)}, why)) return false;
    }
    return true;
}

// The values of a root in the order of their names, one line.
std::string Snapshot(RegistryRoot root) {
    std::vector<RegistryEntry> entries;
    if (!LayerRegistryValues(root, &entries)) return "no key";
    std::sort(entries.begin(), entries.end(),
              [](const RegistryEntry& a, const RegistryEntry& b) { return a.name < b.name; });
    std::string shown;
    for (const RegistryEntry& e : entries) {
        shown += (shown.empty() ? "" : "; ") + ToUtf8(e.name) + " ";
        if (e.type == kDword && e.bytes.size() == 4) {
            uint32_t value = 0;
            for (size_t i = 4; i-- > 0;)
                value = value << 8 | static_cast<unsigned char>(e.bytes[i]);
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%X", value);
            shown += hex;
        } else {
            shown += "type " + Number(e.type) + " size " +
                     Number(static_cast<long long>(e.bytes.size()));
        }
    }
    return shown;
}

// What the host shows, one quoted text per stream that has any.
std::string Output() {
    const HostControls& host = RunnerHost();
    std::string shown;
    std::u16string out = host.stdoutText(), err = host.stderrText();
    if (!out.empty()) shown += " stdout " + QuoteText(out);
    if (!err.empty()) shown += " stderr " + QuoteText(err);
    host.clearOutput();
    return shown;
}

} // namespace

// reg-matrix ROOT "NAME": for each type and size, the machine's root and, for HKCU, the user's
// get their five settings, NAME under ROOT is replaced, the plug-in starts and saves to ROOT (/Q /S
// or /Q /S!). Each distinct outcome is written once: the cases that gave it, the start and the
// save, ROOT's values after the save and whether the other root kept every value.
bool CommandRegMatrix(const std::vector<ScenarioWord>& words) {
    const PluginExports* plugin = RunnerPlugin();
    const Baseline* baseline = nullptr;
    for (const Baseline& b : kBaselines)
        if (words.size() == 3 && words[2].text == b.name) baseline = &b;
    bool user = words.size() == 3 && words[1].text == u"HKCU";
    if (plugin == nullptr || baseline == nullptr || (!user && words[1].text != u"HKLM"))
        return RunnerFail("usage: reg-matrix HKCU|HKLM \"NAME\"");
    RegistryRoot root = user ? RegistryRoot::kCurrentUser : RegistryRoot::kLocalMachine;
    RegistryRoot other = user ? RegistryRoot::kLocalMachine : RegistryRoot::kCurrentUser;

    // Each outcome with the sizes of each type that gave it, in the order first seen.
    std::vector<std::pair<std::string, std::map<uint32_t, std::string>>> outcomes;
    for (uint32_t type : kTypes) {
        const size_t* sizes = type == kDword ? kDwordSizes : kSizes;
        size_t sizeCount = type == kDword ? std::size(kDwordSizes) : std::size(kSizes);
        for (size_t s = 0; s < sizeCount; ++s) {
            std::string why;
            RegistryEntry entry{baseline->name, type, Bytes(baseline->replacement, sizes[s])};
            // The machine's settings are read only when the user's are not taken.
            if (!SetAll(RegistryRoot::kLocalMachine, &why) ||
                !(user ? SetAll(RegistryRoot::kCurrentUser, &why)
                       : LayerRegistryClear(RegistryRoot::kCurrentUser, &why)) ||
                !LayerRegistrySet(root, entry, &why))
                return RunnerFail("reg-matrix: " + why);
            std::string otherBefore = Snapshot(other);
            plugin->torvane(u"/Q /D /A:Y /$:N"); // the same start for every case
            Output();
            std::string outcome = "start " + Number(plugin->initializePlugin());
            outcome += Output();
            outcome += "\nsave " + Number(plugin->torvane(user ? u"/Q /S" : u"/Q /S!"));
            outcome += Output();
            outcome += "\n" + ToUtf8(words[1].text) + " " + Snapshot(root);
            outcome += "\nother root " +
                       std::string(Snapshot(other) == otherBefore ? "unchanged" : "CHANGED");
            auto found = std::find_if(outcomes.begin(), outcomes.end(),
                                      [&](const auto& o) { return o.first == outcome; });
            if (found == outcomes.end()) found = outcomes.insert(outcomes.end(), {outcome, {}});
            found->second[type] += " " + Number(static_cast<long long>(sizes[s]));
        }
    }
    for (const auto& [outcome, cases] : outcomes) {
        std::string shown;
        for (const auto& [type, sizes] : cases)
            shown +=
                (shown.empty() ? "" : ";") + std::string(" type ") + Number(type) + " size" + sizes;
        TranscriptLine("matrix" + shown);
        for (const std::string& l : SplitLines(outcome))
            TranscriptLine("  " + l);
    }
    std::string why;
    if (!LayerRegistryClear(RegistryRoot::kCurrentUser, &why) ||
        !LayerRegistryClear(RegistryRoot::kLocalMachine, &why))
        return RunnerFail("reg-matrix: " + why);
    return true;
}
