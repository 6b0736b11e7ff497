// The native driver: the exports called directly, the modifier keys set in the key-state
// stand-in for the call.
#include "console/drivers/native_driver.h"

#include <utility>

#include "console/drivers/side_output.h"
#include "host/host_control.h"
#include "standins/services_control.h"
#include "text/wtext.h"

namespace {

class Native : public PluginDriver {
  public:
    explicit Native(HostOutputSink output) : output_(std::move(output)) {}

    bool Start(std::string* problem) override {
        HostSetOutputHook(output_);
        const PluginInfoRecord* info = GetPluginInfo();
        if (info == nullptr || info->implements == nullptr) {
            *problem = "the plug-in gave no identity record";
            return false;
        }
        InitializePlugin();
        return true;
    }
    void Stop() override {
        ShutdownPlugin();
        HostSetOutputHook(nullptr);
    }
    int Key(KeystrokeRecord* record, int modifiers,
            std::vector<const char16_t*>* cleared) override {
        size_t clearedBefore = HostClearedAt().size();
        StandInSetModifiers(modifiers);
        int result = key(record);
        StandInSetModifiers(0);
        const auto& clearedAt = HostClearedAt();
        cleared->insert(cleared->end(), clearedAt.begin() + clearedBefore, clearedAt.end());
        return result;
    }
    int Command(const char16_t* arguments) override { return Torvane(arguments); }
    int Help(const char16_t* name) override { return ::Help(name); }
    int Usage(const char16_t* name, char16_t* out) override { return ::Usage(name, out); }
    void SetVariable(const std::u16string& name, const std::u16string& value) override {
        HostSetVariable(name, value);
    }
    void UnsetVariable(const std::u16string& name) override { HostUnsetVariable(name); }
    // The host expands in buffers of kExpandBufferSize characters; longer text is left as it is.
    std::u16string Expand(const std::u16string& text) override {
        if (text.size() >= kExpandBufferSize) return text;
        char16_t buffer[kExpandBufferSize] = {};
        CopyText(buffer, kExpandBufferSize, text.c_str());
        ExpandVariables(buffer, 1);
        return std::u16string(buffer, TextLengthBounded(buffer, kExpandBufferSize));
    }
    void SetCursorRow(int32_t row) override { HostSetCursorRow(row); }
    std::u16string TakeSideOutput() override { return ::TakeSideOutput(&taken_); }

  private:
    HostOutputSink output_;
    SideOutputTaken taken_;
};

} // namespace

std::unique_ptr<PluginDriver> MakeNativeDriver(HostOutputSink output) {
    return std::make_unique<Native>(std::move(output));
}
