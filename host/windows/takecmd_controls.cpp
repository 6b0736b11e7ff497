// The stand-in TakeCmd.dll's control surface for the Windows test programs: the controls of
// host_control.h with C-style arguments, exported by takecmd_exports.def.
#include <string>

#include "host/host_control.h"

namespace {

// Keeps the last text handed out so that the pointer stays valid until the next call.
std::u16string handedOut;

} // namespace

extern "C" {

void TakeCmdReset() {
    HostReset();
}

void TakeCmdSetVariable(const char16_t* name, const char16_t* value) {
    HostSetVariable(name, value);
}

void TakeCmdUnsetVariable(const char16_t* name) {
    HostUnsetVariable(name);
}

void TakeCmdSetCursorRow(int row) {
    HostSetCursorRow(row);
}

const char16_t* TakeCmdStdout() {
    return (handedOut = HostStdout()).c_str();
}

const char16_t* TakeCmdStderr() {
    return (handedOut = HostStderr()).c_str();
}

void TakeCmdClearOutput() {
    HostClearOutput();
}

void TakeCmdSetRecording(int on) {
    HostSetRecording(on != 0);
}

int TakeCmdClearedCount() {
    return static_cast<int>(HostClearedAt().size());
}

// Where the n-th ClearEditLine call pointed, or null past the last one.
const char16_t* TakeCmdClearedAt(int n) {
    const auto& calls = HostClearedAt();
    return n >= 0 && static_cast<size_t>(n) < calls.size() ? calls[static_cast<size_t>(n)]
                                                           : nullptr;
}
}
