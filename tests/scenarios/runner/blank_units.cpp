// The scenario command that finds, through the exports only, which of the 65,536 UTF-16 units the
// plug-in takes for blanks: the same list natively, where the stand-in answers for the system,
// and under Wine, where the system's character types do.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/scenarios/runner/runner.h"
#include "tests/scenarios/runner/transcript.h"

namespace {

using Words = std::vector<ScenarioWord>;

constexpr int32_t kEnter = 13;
constexpr char16_t kLetter = u'\u0436'; // a Cyrillic letter, no blank
constexpr size_t kRun = 600;            // longer than one query of the system on Windows

// A host-sized edit line; each test writes its line with the terminator, zeros stay after it.
char16_t line[kLineBufferSize];

// Enter on text (which fits the line), then the hotkey on an empty line: what that recalls.
std::u16string CaptureAndRecall(const PluginExports& plugin, int32_t hotkey,
                                const std::u16string& text) {
    text.copy(line, text.size());
    line[text.size()] = 0;
    KeystrokeRecord record{};
    record.keyCode = kEnter;
    record.lineStart = line;
    record.cursorPos = line;
    plugin.key(&record);
    line[0] = 0;
    record = KeystrokeRecord{};
    record.keyCode = hotkey;
    record.lineStart = line;
    record.cursorPos = line;
    plugin.key(&record);
    return std::u16string(line);
}

// The units as ranges: "0x0009-0x000D 0x0020 ...".
std::string Ranges(const std::vector<bool>& blank) {
    std::string out;
    for (size_t unit = 0; unit < blank.size(); ++unit) {
        if (!blank[unit] || (unit > 0 && blank[unit - 1])) continue;
        size_t last = unit;
        while (last + 1 < blank.size() && blank[last + 1])
            ++last;
        char text[48];
        const auto first = static_cast<unsigned>(unit);
        if (last == unit)
            std::snprintf(text, sizeof text, " 0x%04X", first);
        else
            std::snprintf(text, sizeof text, " 0x%04X-0x%04X", first, static_cast<unsigned>(last));
        out += text;
    }
    return out.empty() ? " none" : out;
}

} // namespace

// blank-units HOTKEY: with break at slash and keep old arguments off, the units that end a command
// word: alone ("x", the unit, "y" keeps "y" exactly when the unit is a blank) and inside a run of
// Cyrillic letters that the plug-in asks the system about at once (the unit at a different place
// for each unit, so that the run's pieces break everywhere).
bool CommandBlankUnits(const Words& words) {
    const PluginExports* plugin = RunnerPlugin();
    long long hotkey = 0;
    if (plugin == nullptr || words.size() != 2 || !ParseScenarioNumber(words[1].text, &hotkey))
        return RunnerFail("usage: blank-units HOTKEY");
    std::vector<bool> alone(0x10000);
    std::vector<bool> inRun(0x10000);
    for (size_t unit = 0; unit < 0x10000; ++unit) {
        const char16_t ch = static_cast<char16_t>(unit);
        alone[unit] = CaptureAndRecall(*plugin, static_cast<int32_t>(hotkey),
                                       std::u16string(u"x") + ch + u"y") == u"y";
        const size_t before = 1 + unit % (kRun - 1);
        const std::u16string after = std::u16string(kRun - before, kLetter) + u" y";
        inRun[unit] = CaptureAndRecall(*plugin, static_cast<int32_t>(hotkey),
                                       std::u16string(before, kLetter) + ch + after) == after;
    }
    TranscriptLine("blank-units alone" + Ranges(alone));
    TranscriptLine("blank-units in a run" + Ranges(inRun));
    RunnerReportHostOutput();
    return true;
}
