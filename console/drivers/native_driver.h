// The plug-in of this build, called in-process over the stand-in host and the stand-ins for the
// Windows services.
#pragma once

#include "console/drivers/side_output.h"
#include "console/session/driver.h"

class NativeDriver : public PluginDriver {
  public:
    // The host's output goes to output as well as into the stand-in host's record; none when
    // output is empty.
    explicit NativeDriver(HostOutputSink output = nullptr);

    bool Start(std::string* problem) override;
    void Stop() override;
    int Key(KeystrokeRecord* record, int modifiers, std::vector<const char16_t*>* cleared) override;
    int Command(const char16_t* arguments) override;
    int Help(const char16_t* name) override;
    int Usage(const char16_t* name, char16_t* out) override;
    void SetVariable(const std::u16string& name, const std::u16string& value) override;
    void UnsetVariable(const std::u16string& name) override;
    std::u16string Expand(const std::u16string& text) override;
    void SetCursorRow(int32_t row) override;
    std::u16string TakeSideOutput() override;

  private:
    HostOutputSink output_;
    SideOutputTaken taken_;
};
