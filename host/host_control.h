// Controls of the stand-in host, for tests and for the console front end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Variables back to their defaults (_4ver 23, _transient 0, _pipe 0, _batch 0), output and
// recorded calls cleared, cursor row 0, no output hook.
void HostReset();

// Host variables by name without the percent sign, e.g. u"_4ver" or u"noloadmsg".
void HostSetVariable(const std::u16string& name, const std::u16string& value);
void HostUnsetVariable(const std::u16string& name);
// The value of a variable, or null when it is not set.
const std::u16string* HostVariable(const std::u16string& name);

// What the plug-in wrote to standard output and standard error since the last clear.
const std::u16string& HostStdout();
const std::u16string& HostStderr();
void HostClearOutput();

// Besides keeping the output, also hands it to hook (empty: none) with its stream, 1 or 2.
void HostSetOutputHook(std::function<void(int stream, const char16_t* text, size_t length)> hook);

// Off: the output, the QPuts texts, the expansion flags and the ClearEditLine positions are no
// longer kept (echo and the hook still run), so benchmarks and allocation counts see only the
// plug-in. On after a reset.
void HostSetRecording(bool on);

// The row that GetAbsCursorPosition reports.
void HostSetCursorRow(int32_t row);

// The texts of the QPuts calls since the last clear, one entry per call.
const std::vector<std::u16string>& HostPutsCalls();

// The flags ExpandVariables was called with, in order; the stand-in expands alike for any flag.
const std::vector<int>& HostExpandFlags();

// The positions ClearEditLine was called with, in order.
const std::vector<const char16_t*>& HostClearedAt();

// Where output for a Qprintf handle goes: 1 standard output, 2 standard error, 0 nowhere.
int HostStreamForHandle(void* handle);
