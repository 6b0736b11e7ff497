// The scenario runner: drives the plug-in only through its exports, the way a host does, runs the
// commands of a scenario file (its lines starting with "> ") and writes a transcript, each command
// echoed and followed by what came back. The scenario file holds the expected transcript around
// its commands, so the runner compares the two. In a scenario file, lines starting with '#' and
// blank lines are comments, and two comment lines ask something of the process:
//   #! pty          the process has a console (the Windows run starts it in a pseudo-terminal)
//   #! after NAME   the registry starts as scenario NAME left it (NAME runs first)
//
// runner.cpp holds the commands and is the same for both builds. What only a build can do (find
// the plug-in, hold modifier keys, reach the registry, read the console, intercept the plug-in's
// calls into the system) is behind the functions below: tests/wine/torvane_runner.cpp does it
// with the real Torvane.dll and the real system, runner_native.cpp with the plug-in linked in and
// the stand-ins.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/plugin_exports.h"
#include "plugin/host.h"

// What a scenario asks of the process it runs in, from its "#! " lines.
struct ScenarioSetup {
    std::string name;     // the file's name without folder and ".txt"
    std::string folder;   // where the transcript goes; empty when it goes to standard output
    bool console = false; // "#! pty": the process has a console
    std::string after;    // "#! after NAME": the registry starts as scenario NAME left it
};

// The two registry roots the scenarios use.
enum class RegistryRoot { kCurrentUser, kLocalMachine };

// One value of the plug-in's settings key.
struct RegistryEntry {
    std::u16string name;
    uint32_t type;
    std::string bytes;
};

// A plug-in call into the system, made while intercepted; the layer hands it to ReportSound or
// ReportMessageBox (runner.cpp) with the arguments the plug-in passed.
void ReportSound(uint32_t aliasId, bool moduleGiven, uint32_t flags);
void ReportMessageBox(const std::u16string& title, const std::u16string& text, uint32_t style,
                      bool ownedByForeground);

// Runs the program: [--update] SCENARIO [TRANSCRIPT], or --help; the paths in UTF-8. Returns the
// exit status: 0 when every command ran and the transcript is the expected one (or, with
// --update, the scenario file was rewritten to it), 1 when not, 2 for a bad call.
int RunScenarioProgram(const std::vector<std::string>& commandLine);

// ---- for the commands in the runner's other files (bad_input.cpp) ---------------------------

// Text quoted as QuoteText does; a text longer than 300 characters as its length and its ends.
std::string ShownText(const char16_t* text, size_t length);
// Writes "error WHY" and returns false.
bool RunnerFail(const std::string& why);
// The plug-in's exports once loaded, else null; the stand-in host's controls.
const PluginExports* RunnerPlugin();
const HostControls& RunnerHost();
// Writes what the plug-in wrote through the host and the calls it made, since the last report.
void RunnerReportHostOutput();
// Calls key with record, whose line is line, and writes the record, the line and the output.
void PressKey(KeystrokeRecord* record, const char16_t* line);

// The commands of bad_input.cpp, each given the words of its line.
struct ScenarioWord;
bool CommandNull(const std::vector<ScenarioWord>& words);
bool CommandKeyAt(const std::vector<ScenarioWord>& words);
bool CommandKeyLong(const std::vector<ScenarioWord>& words);
bool CommandKeyNameLong(const std::vector<ScenarioWord>& words);
bool CommandTorvaneLong(const std::vector<ScenarioWord>& words);
bool CommandRegMatrix(const std::vector<ScenarioWord>& words);
// The command of blank_units.cpp.
bool CommandBlankUnits(const std::vector<ScenarioWord>& words);

// ---- each build's layer --------------------------------------------------------------------

// Opens a file by its UTF-8 path, as fopen does.
std::FILE* LayerOpenFile(const std::string& path, const char* mode);
// Replaces the file at path by bytes as the console saves its own files: through a link to the
// file it leads to, never over a read-only file, the bytes first in a new file made exclusively
// beside it; false, with the reason and the file left whole, when that failed.
bool LayerReplaceFile(const std::string& path, const std::string& bytes, std::string* why);

// Before the first command; false with a reason when the process cannot be set up.
bool LayerBegin(const ScenarioSetup& setup, std::string* why);
// After the last command (also after a failed one): leaves no key held and keeps what the next
// scenario may start from.
void LayerEnd(const ScenarioSetup& setup);

// Makes the plug-in and the stand-in host ready as a host loads them; fills both tables.
bool LayerLoad(PluginExports* plugin, HostControls* host, std::string* why);

// Holds Shift (1), Ctrl (2) and Alt (4) as state says and releases the others; sent: the key
// events sent, held: the state the keyboard shows afterwards.
void LayerHoldModifiers(int state, int* sent, int* held);

// From now on the plug-in's message boxes, sounds and allocations go through the runner: each
// flag says whether that call could be taken over.
struct Interception {
    bool messageBox;
    bool playSound;
    bool heapAlloc;
};
Interception LayerIntercept();
// After LayerIntercept: the plug-in's allocations fail (true) or succeed.
void LayerFailAllocations(bool fail);
// Hands the intercepted calls not yet reported to ReportSound and ReportMessageBox.
void LayerCollectCalls();

// The registry under a root: the maker's key with the settings key removed; the maker's key made
// such that the settings key cannot be created under it (undone by LayerRegistryClear); one value
// set in the settings key; the settings key's values (false when there is no such key).
bool LayerRegistryClear(RegistryRoot root, std::string* why);
bool LayerRegistryBlockSettingsKey(RegistryRoot root, std::string* why);
bool LayerRegistrySet(RegistryRoot root, const RegistryEntry& entry, std::string* why);
bool LayerRegistryValues(RegistryRoot root, std::vector<RegistryEntry>* entries);

// The error code that LayerRegistryBlockSettingsKey makes the creation of the settings key fail
// with: the system's code for a stable key under a volatile parent.
constexpr uint32_t kErrorChildMustBeVolatile = 1021;

// Makes the system's error text for code text (the stand-ins), or checks that it is (the real
// system); false with a reason when it is not.
bool LayerSystemErrorText(uint32_t code, const std::u16string& text, std::string* why);

// The console rows written since the last look, without their trailing blanks, empty rows left
// out; false when the process has no console.
bool LayerConsoleRows(std::vector<std::u16string>* rows);
