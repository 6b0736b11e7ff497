// The scenario runner's commands, the same for both builds (see runner.h).
#include "tests/scenarios/runner/runner.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "keys/modifiers.h"
#include "standins/utf8.h"
#include "tests/scenarios/runner/transcript.h"

namespace {

PluginExports plugin{};
HostControls host{};
bool loaded = false;
bool intercepted = false;

// Intercepted calls not yet written to the transcript.
std::vector<std::string> pendingCalls;

// The host's edit line and key-name buffers, as big as the host's.
char16_t lineBuffer[kLineBufferSize];
char16_t keyNameBuffer[kReportedKeyNameSize];

// The registry value types the scenarios write and show.
constexpr uint32_t kTypeSz = 1;
constexpr uint32_t kTypeDword = 4;
constexpr uint32_t kTypeQword = 11;

std::string Number(long long value) {
    return std::to_string(value);
}

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

// One line per line of text, each labelled and quoted, its line end included.
void AddLines(const std::string& label, const char16_t* text, std::vector<std::string>* lines) {
    std::u16string all = text == nullptr ? u"" : text;
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find(u'\n', start);
        end = end == std::u16string::npos ? all.size() : end + 1;
        lines->push_back(label + " " + ShownText(all.data() + start, end - start));
        start = end;
    }
}

void ReportStream(const char* label, const char16_t* text) {
    std::vector<std::string> lines;
    AddLines(label, text, &lines);
    for (const std::string& line : lines)
        TranscriptLine(line);
}

// What the plug-in wrote through the host and the calls it made into the system, since the
// last report.
void ReportHostOutput() {
    ReportStream("stdout", host.stdoutText());
    ReportStream("stderr", host.stderrText());
    host.clearOutput();
    if (intercepted) LayerCollectCalls();
    for (const std::string& call : pendingCalls)
        TranscriptLine(call);
    pendingCalls.clear();
}

bool RootFromWord(const std::u16string& word, RegistryRoot* root) {
    if (word == u"HKCU")
        *root = RegistryRoot::kCurrentUser;
    else if (word == u"HKLM")
        *root = RegistryRoot::kLocalMachine;
    else
        return false;
    return true;
}

std::u16string FoldedName(const std::u16string& name) {
    std::u16string out = name;
    for (char16_t& ch : out)
        if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch + 0x20);
    return out;
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

// load: the plug-in and the stand-in host as a host loads them.
bool CommandLoad(const Words&) {
    std::string why;
    if (!LayerLoad(&plugin, &host, &why)) return Fail(why);
    void* controls[sizeof host / sizeof(void*)];
    std::memcpy(controls, &host, sizeof host);
    for (void* control : controls)
        if (control == nullptr) return Fail("the stand-in host lacks a control");
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

// mods N: holds Shift (1), Ctrl (2) and Alt (4) and releases the others; reports the state the
// keyboard then shows.
bool CommandMods(const Words& words) {
    long long state = 0;
    if (words.size() != 2 || !ParseScenarioNumber(words[1].text, &state) || state < 0 ||
        state >= kModifierStates)
        return Fail("usage: mods N (0 to 7)");
    int sent = 0;
    int held = 0;
    LayerHoldModifiers(static_cast<int>(state), &sent, &held);
    TranscriptLine("mods sent " + Number(sent) + " held " + Number(held));
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

    PressKey(&record, lineBuffer);
    return true;
}

bool CommandTorvane(const Words& words) {
    if (!Have(plugin.torvane, "Torvane")) return false;
    if (words.size() != 2 || !words[1].quoted) return Fail("usage: torvane \"ARGUMENTS\"");
    TranscriptLine("torvane " + Number(plugin.torvane(words[1].text.c_str())));
    ReportHostOutput();
    return true;
}

// usage "NAME": a buffer of the host's size, filled beforehand so that an untouched buffer shows.
bool CommandUsage(const Words& words) {
    if (!Have(plugin.usage, "Usage")) return false;
    if (words.size() != 2 || !words[1].quoted) return Fail("usage: usage \"NAME\"");
    char16_t out[kUsageBufferSize];
    for (char16_t& ch : out)
        ch = u'#';
    out[kUsageBufferSize - 1] = 0;
    int result = plugin.usage(words[1].text.c_str(), out);
    size_t length = 0;
    while (length < kUsageBufferSize && out[length] != 0)
        ++length;
    bool untouched = length == kUsageBufferSize - 1;
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

// intercept: from now on the plug-in's message boxes and sounds are recorded and reported with
// the call that made them, with the arguments the plug-in passed, and its allocations can be
// made to fail.
bool CommandIntercept(const Words&) {
    if (!NeedLoaded()) return false;
    Interception taken = LayerIntercept();
    intercepted = true;
    auto yes = [](bool flag) { return flag ? "yes" : "no"; };
    TranscriptLine(std::string("intercept MessageBoxW ") + yes(taken.messageBox) + " PlaySoundW " +
                   yes(taken.playSound) + " HeapAlloc " + yes(taken.heapAlloc));
    return true;
}

// fail-alloc yes|no: after intercept, the plug-in's allocations fail or succeed.
bool CommandFailAlloc(const Words& words) {
    if (words.size() != 2 || (words[1].text != u"yes" && words[1].text != u"no"))
        return Fail("usage: fail-alloc yes|no");
    if (!intercepted) return Fail("fail-alloc needs intercept first");
    LayerFailAllocations(words[1].text == u"yes");
    return true;
}

// reg-clear ROOT: removes the maker's key with the plug-in's settings under the root.
bool CommandRegClear(const Words& words) {
    RegistryRoot root{};
    if (words.size() != 2 || !RootFromWord(words[1].text, &root))
        return Fail("usage: reg-clear HKCU|HKLM");
    std::string why;
    return LayerRegistryClear(root, &why) || Fail("reg-clear: " + why);
}

// reg-volatile ROOT: makes the maker's key a volatile one, under which the plug-in's stable
// settings key cannot be created, so that a save fails. reg-clear undoes it.
bool CommandRegVolatile(const Words& words) {
    RegistryRoot root{};
    if (words.size() != 2 || !RootFromWord(words[1].text, &root))
        return Fail("usage: reg-volatile HKCU|HKLM");
    std::string why;
    return LayerRegistryBlockSettingsKey(root, &why) || Fail("reg-volatile: " + why);
}

// reg-set ROOT "NAME" dword N | sz "TEXT" | qword N: one value in the settings key.
bool CommandRegSet(const Words& words) {
    RegistryRoot root{};
    long long number = 0;
    if (words.size() != 5 || !RootFromWord(words[1].text, &root) || !words[2].quoted)
        return Fail("usage: reg-set ROOT \"NAME\" TYPE VALUE");
    RegistryEntry entry{words[2].text, 0, ""};
    const std::u16string& type = words[3].text;
    if (type == u"sz") {
        entry.type = kTypeSz;
        std::u16string text = words[4].text + u'\0';
        entry.bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    } else if ((type == u"dword" || type == u"qword") &&
               ParseScenarioNumber(words[4].text, &number)) {
        // Little-endian, as the registry keeps numbers.
        unsigned long long data = static_cast<unsigned long long>(number);
        size_t size = type == u"qword" ? 8 : 4;
        entry.type = type == u"qword" ? kTypeQword : kTypeDword;
        for (size_t i = 0; i < size; ++i)
            entry.bytes += static_cast<char>((data >> (8 * i)) & 0xFF);
    } else {
        return Fail("reg-set: unknown type or value");
    }
    std::string why;
    return LayerRegistrySet(root, entry, &why) || Fail("reg-set: " + why);
}

// reg-show ROOT: every value of the settings key, in the order of their names (registries keep
// them in orders of their own).
bool CommandRegShow(const Words& words) {
    RegistryRoot root{};
    if (words.size() != 2 || !RootFromWord(words[1].text, &root))
        return Fail("usage: reg-show HKCU|HKLM");
    std::string rootName = ToUtf8(words[1].text);
    std::vector<RegistryEntry> entries;
    if (!LayerRegistryValues(root, &entries)) {
        TranscriptLine("reg " + rootName + " no key");
        return true;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RegistryEntry& a, const RegistryEntry& b) {
                         return FoldedName(a.name) < FoldedName(b.name);
                     });
    for (const RegistryEntry& entry : entries) {
        std::string shown = "reg " + rootName + " " + QuoteText(entry.name) + " ";
        if (entry.type == kTypeDword && entry.bytes.size() == 4) {
            unsigned long value = 0;
            for (size_t i = 4; i-- > 0;)
                value = value << 8 | static_cast<unsigned char>(entry.bytes[i]);
            shown += "dword " + Hex(value);
        } else if (entry.type == kTypeSz) {
            std::u16string text;
            for (size_t i = 0; i + 1 < entry.bytes.size(); i += 2)
                text += static_cast<char16_t>(static_cast<unsigned char>(entry.bytes[i]) |
                                              static_cast<unsigned char>(entry.bytes[i + 1]) << 8);
            while (!text.empty() && text.back() == 0)
                text.pop_back();
            shown += "sz " + QuoteText(text);
        } else {
            shown += "type " + Number(entry.type) + " size " +
                     Number(static_cast<long long>(entry.bytes.size()));
        }
        TranscriptLine(shown);
    }
    return true;
}

// system-text CODE "TEXT": the system's message text for an error code, without its line end.
// The stand-ins are given it; the real system is checked to have it.
bool CommandSystemText(const Words& words) {
    long long code = 0;
    if (words.size() != 3 || !ParseScenarioNumber(words[1].text, &code) || code < 0 ||
        !words[2].quoted)
        return Fail("usage: system-text CODE \"TEXT\"");
    std::string why;
    return LayerSystemErrorText(static_cast<uint32_t>(code), words[2].text, &why) ||
           Fail("system-text: " + why);
}

// console: the console rows written since the last look, blanks at their ends removed; "none"
// when the process has no console.
bool CommandConsole(const Words&) {
    std::vector<std::u16string> rows;
    if (!LayerConsoleRows(&rows)) {
        TranscriptLine("console none");
        return true;
    }
    for (const std::u16string& row : rows)
        TranscriptLine("console " + QuoteText(row));
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
    {"system-text", CommandSystemText},
    {"console", CommandConsole},
    {"intercept", CommandIntercept},
    {"fail-alloc", CommandFailAlloc},
    {"null", CommandNull},
    {"key-at", CommandKeyAt},
    {"key-long", CommandKeyLong},
    {"key-name-long", CommandKeyNameLong},
    {"torvane-long", CommandTorvaneLong},
    {"reg-matrix", CommandRegMatrix},
    {"blank-units", CommandBlankUnits},
};

bool RunCommand(const std::u16string& line) {
    Words words;
    std::string reason;
    if (!SplitScenarioLine(line, &words, &reason)) return Fail(reason);
    if (words.empty()) return Fail("empty command");
    std::string name = ToUtf8(words[0].text);
    for (const Command& command : kCommands)
        if (name == command.name) return command.run(words);
    return Fail("unknown command " + name);
}

// The file's name without its folder and its last extension.
std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string Folder(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

constexpr const char* kUsage =
    "usage: torvane_runner [--update] SCENARIO [TRANSCRIPT]\n"
    "\n"
    "Runs the commands of SCENARIO (its lines that start with \"> \") against the plug-in, as a\n"
    "host would, and compares what comes back with the transcript the file holds around them.\n"
    "\n"
    "  TRANSCRIPT  the file the actual transcript is written to (default: standard output).\n"
    "              The registry the scenario leaves is kept beside it as NAME.reg, so a\n"
    "              scenario marked \"#! after NAME\" needs one, in the same folder as NAME's.\n"
    "  --update    after a deliberate change of the output, write the actual transcript into\n"
    "              SCENARIO; comments, commands and the lines that still hold stay as they are\n"
    "  --help      show this text\n"
    "\n"
    "Exit status: 0 when the transcript is the expected one (or SCENARIO was updated), 1 when\n"
    "not, 2 for a bad call.\n";

// Writes the lines to path as the build's layer replaces a file, so that a failed write leaves
// path whole; the reason when it could not.
std::string WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes, why;
    for (const std::string& line : lines)
        bytes += line + "\n";
    return LayerReplaceFile(path, bytes, &why) ? "" : why;
}

// The "#! " lines: "pty" and "after NAME"; false with a reason for any other.
bool ReadSetup(const std::vector<std::string>& lines, ScenarioSetup* setup, std::string* why) {
    for (const std::string& line : lines) {
        if (line.rfind("#! ", 0) != 0) continue;
        std::string directive = line.substr(3);
        if (directive == "pty") {
            setup->console = true;
        } else if (directive.rfind("after ", 0) == 0 && directive.size() > 6 &&
                   setup->after.empty()) {
            setup->after = directive.substr(6);
        } else {
            *why = "unknown or repeated directive: " + line;
            return false;
        }
    }
    return true;
}

} // namespace

std::string ShownText(const char16_t* text, size_t length) {
    constexpr size_t kLongest = 300;
    constexpr size_t kEnds = 40;
    if (length <= kLongest) return QuoteText(text, length);
    return "length " + Number(static_cast<long long>(length)) + " " + QuoteText(text, kEnds) +
           " ... " + QuoteText(text + length - kEnds, kEnds);
}

bool RunnerFail(const std::string& why) {
    return Fail(why);
}

const PluginExports* RunnerPlugin() {
    return loaded ? &plugin : nullptr;
}

const HostControls& RunnerHost() {
    return host;
}

void RunnerReportHostOutput() {
    ReportHostOutput();
}

void PressKey(KeystrokeRecord* record, const char16_t* line) {
    int clearedBefore = host.clearedCount();
    int result = plugin.key(record);

    size_t length = 0;
    while (length < kLineBufferSize && line[length] != 0)
        ++length;
    std::string keyName =
        record->keyName == nullptr
            ? "null"
            : ShownText(record->keyName, std::char_traits<char16_t>::length(record->keyName));
    std::string cursor = record->cursorPos == nullptr ? "null" : Number(record->cursorPos - line);
    TranscriptLine("key " + Number(result) + " line " + ShownText(line, length) + " cursor " +
                   cursor + " keyCode " + Number(record->keyCode) + " redraw " +
                   Number(record->redraw) + " keyName " + keyName);
    TranscriptLine("key rows " + Number(record->startRow) + " " + Number(record->startColumn) +
                   " " + Number(record->cursorRow) + " " + Number(record->cursorColumn));
    for (int i = clearedBefore; i < host.clearedCount(); ++i)
        TranscriptLine("cleared at " + Number(host.clearedAt(i) - line));
    ReportHostOutput();
}

void ReportSound(uint32_t aliasId, bool moduleGiven, uint32_t flags) {
    pendingCalls.push_back("sound " + Hex(aliasId) + " module " + (moduleGiven ? "given" : "null") +
                           " flags " + Hex(flags));
}

void ReportMessageBox(const std::u16string& title, const std::u16string& text, uint32_t style,
                      bool ownedByForeground) {
    pendingCalls.push_back("box title " + QuoteText(title) + " style " + Number(style) + " owner " +
                           (ownedByForeground ? "foreground" : "other"));
    AddLines("box text", text.c_str(), &pendingCalls);
}

int RunScenarioProgram(const std::vector<std::string>& commandLine) {
    std::vector<std::string> arguments;
    bool update = false;
    for (const std::string& argument : commandLine) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--update") {
            update = true;
        } else if (argument.rfind("--", 0) == 0) {
            std::fprintf(stderr, "unknown option %s\n%s", argument.c_str(), kUsage);
            return 2;
        } else {
            arguments.push_back(argument);
        }
    }
    if (arguments.empty() || arguments.size() > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string bytes;
    std::FILE* file = LayerOpenFile(arguments[0], "rb");
    bool read = file != nullptr && ReadWholeFile(file, &bytes);
    if (file != nullptr) std::fclose(file);
    if (!read) {
        std::fprintf(stderr, "cannot read the scenario %s\n", arguments[0].c_str());
        return 2;
    }
    std::vector<std::string> lines = SplitLines(bytes);

    ScenarioSetup setup;
    setup.name = BaseName(arguments[0]);
    if (arguments.size() == 2) setup.folder = Folder(arguments[1]);
    std::string why;
    if (!ReadSetup(lines, &setup, &why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 2;
    }
    std::FILE* out = nullptr;
    if (arguments.size() == 2 && (out = LayerOpenFile(arguments[1], "wb")) == nullptr) {
        std::fprintf(stderr, "cannot write the transcript %s\n", arguments[1].c_str());
        return 2;
    }
    StartTranscript(out);

    int failures = 0;
    if (!LayerBegin(setup, &why)) {
        Fail(why);
        ++failures;
    } else {
        for (const std::string& line : lines) {
            if (line.rfind("> ", 0) != 0) continue;
            TranscriptLine(line);
            if (!RunCommand(FromUtf8(line.substr(2)))) ++failures;
        }
    }
    LayerEnd(setup);
    CloseTranscript();

    std::string differences = TranscriptDifferences(ExpectedFromScenario(lines), TranscriptLines());
    if (!differences.empty())
        std::fprintf(stderr, "%s: the transcript differs from the expected one\n%s",
                     setup.name.c_str(), differences.c_str());
    if (!update || differences.empty()) return failures == 0 && differences.empty() ? 0 : 1;
    // A command that failed wrote its error into the transcript: that is no output to accept.
    if (failures != 0) {
        std::fprintf(stderr, "%s not updated: a command failed (its \"error\" line above)\n",
                     arguments[0].c_str());
        return 1;
    }
    why = WriteLines(arguments[0], UpdatedScenario(lines, TranscriptLines()));
    if (!why.empty()) {
        std::fprintf(stderr, "cannot write the scenario %s: %s\n", arguments[0].c_str(),
                     why.c_str());
        return 2;
    }
    std::fprintf(stderr, "%s updated to the transcript above\n", arguments[0].c_str());
    return 0;
}
