// The native driver: the exports called directly, the modifier keys set in the key-state
// stand-in for the call.
#include "console/drivers/native_driver.h"

#include <utility>

#include "host/host_control.h"
#include "standins/services_control.h"
#include "text/wtext.h"

NativeDriver::NativeDriver(HostOutputSink output) : output_(std::move(output)) {}

bool NativeDriver::Start(std::string* problem) {
    HostSetOutputHook(output_);
    const PluginInfoRecord* info = GetPluginInfo();
    if (info == nullptr || info->implements == nullptr) {
        *problem = "the plug-in gave no identity record";
        return false;
    }
    InitializePlugin();
    return true;
}

void NativeDriver::Stop() {
    ShutdownPlugin();
    HostSetOutputHook(nullptr);
}

int NativeDriver::Key(KeystrokeRecord* record, int modifiers,
                      std::vector<const char16_t*>* cleared) {
    size_t clearedBefore = HostClearedAt().size();
    StandInSetModifiers(modifiers);
    int result = key(record);
    StandInSetModifiers(0);
    const auto& clearedAt = HostClearedAt();
    for (size_t i = clearedBefore; i < clearedAt.size(); ++i)
        cleared->push_back(clearedAt[i]);
    return result;
}

int NativeDriver::Command(const char16_t* arguments) {
    return Torvane(arguments);
}

int NativeDriver::Help(const char16_t* name) {
    return ::Help(name);
}

int NativeDriver::Usage(const char16_t* name, char16_t* out) {
    return ::Usage(name, out);
}

void NativeDriver::SetVariable(const std::u16string& name, const std::u16string& value) {
    HostSetVariable(name, value);
}

void NativeDriver::UnsetVariable(const std::u16string& name) {
    HostUnsetVariable(name);
}

// The host expands in buffers of 1024 characters; longer text is left as it is.
std::u16string NativeDriver::Expand(const std::u16string& text) {
    constexpr size_t kCapacity = 1024;
    if (text.size() >= kCapacity) return text;
    char16_t buffer[kCapacity] = {};
    CopyText(buffer, kCapacity, text.c_str());
    ExpandVariables(buffer, 1);
    return std::u16string(buffer, TextLengthBounded(buffer, kCapacity));
}

void NativeDriver::SetCursorRow(int32_t row) {
    HostSetCursorRow(row);
}

std::u16string NativeDriver::TakeSideOutput() {
    return ::TakeSideOutput(&taken_);
}
