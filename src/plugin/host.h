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
    char16_t* lineStart; // the edit line buffer, 65536 characters
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

// Characters in the host's edit line buffer, the terminating zero included.
constexpr size_t kLineBufferSize = 0x10000;

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
