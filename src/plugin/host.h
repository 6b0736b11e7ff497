// The contract with the host: the records that cross between host and plug-in, the seven
// operations the host library exports, and the plug-in's own exports.
#pragma once

#include <cstddef>
#include <cstdint>

// Passed to key for every keystroke on the edit line; owned by the host.
struct KeystrokeRecord {
    int32_t keyCode; // 0 when the host reports the key by name only
    int32_t startRow;
    int32_t startColumn;
    int32_t cursorRow;
    int32_t cursorColumn;
    char16_t* lineStart; // the edit line buffer, kLineBufferSize characters
    char16_t* cursorPos; // the cursor's character in that buffer
    int32_t redraw;      // non-zero asks the host to redraw the line
    char16_t* keyName;   // only in records of hosts that report keys by name
};

// The host reads these fields at these offsets: the layout of the 64-bit Windows ABI.
static_assert(sizeof(void*) == 8, "the plug-in is built for 64-bit hosts only");
static_assert(offsetof(KeystrokeRecord, keyCode) == 0);
static_assert(offsetof(KeystrokeRecord, startRow) == 4);
static_assert(offsetof(KeystrokeRecord, startColumn) == 8);
static_assert(offsetof(KeystrokeRecord, cursorRow) == 12);
static_assert(offsetof(KeystrokeRecord, cursorColumn) == 16);
static_assert(offsetof(KeystrokeRecord, lineStart) == 24);
static_assert(offsetof(KeystrokeRecord, cursorPos) == 32);
static_assert(offsetof(KeystrokeRecord, redraw) == 40);
static_assert(offsetof(KeystrokeRecord, keyName) == 48);
static_assert(sizeof(KeystrokeRecord) == 56);

// The host's major version (%_4ver): a number from kLowestUsableHostVersion to
// kHighestUsableHostVersion, or no usable version at all. From kFirstHostVersionWithKeyNames on,
// the host may report a key by name and knows Ctrl+Alt+Shift: the plug-in then uses the extended
// key table.
constexpr int32_t kLowestUsableHostVersion = 8;
constexpr int32_t kHighestUsableHostVersion = 100;
constexpr int32_t kFirstHostVersionWithKeyNames = 24;

// The text buffers that cross between host and plug-in, in characters, the terminating zero
// included. The edit line at lineStart:
constexpr size_t kLineBufferSize = 0x10000;
// The buffer Usage copies the usage text into:
constexpr size_t kUsageBufferSize = 1024;
// A buffer handed to ExpandVariables, which is told no size: the plug-in's start-up buffers hold
// this much, and a host expands into no more than this.
constexpr size_t kExpandBufferSize = 1024;
// The keyName buffer of the records that the stand-in hosts (tests, scenario runner, console)
// hand to key. The plug-in itself only ever empties the name, whatever its size.
constexpr size_t kReportedKeyNameSize = 64;

// The identity record that GetPluginInfo returns.
struct PluginInfoRecord {
    const char16_t* name;
    const char16_t* author;
    const char16_t* email;
    const char16_t* webPage;
    const char16_t* description;
    const char16_t* implements;
    int32_t major;
    int32_t minor;
    int32_t build;
};
static_assert(offsetof(PluginInfoRecord, implements) == 40);
static_assert(offsetof(PluginInfoRecord, major) == 48);
static_assert(offsetof(PluginInfoRecord, build) == 56);

extern "C" {

// Host operations (TakeCmd.dll). Results are ignored by the plug-in.
int Printf(const char16_t* format, ...);
int Qprintf(void* handle, const char16_t* format, ...);
int QPuts(const char16_t* text);
int CrLf();
int ExpandVariables(char16_t* buffer, int flag);
int GetAbsCursorPosition(int32_t* row, int32_t* column);
void ClearEditLine(char16_t* cursor); // imported under its decorated name

// The plug-in's exports.
PluginInfoRecord* GetPluginInfo();
int InitializePlugin();
int ShutdownPlugin();
int key(KeystrokeRecord* record);
int Torvane(const char16_t* arguments);
int Usage(const char16_t* name, char16_t* out);
int Help(const char16_t* name);
}
