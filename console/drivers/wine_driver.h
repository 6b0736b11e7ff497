// The real Torvane.dll under Wine, driven through a bridge program over a pipe.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "console/drivers/side_output.h"
#include "console/session/driver.h"

class WineDriver : public PluginDriver {
  public:
    // Starts the bridge, whose host output goes to output; null, with the reason in *problem,
    // when Wine or the Windows build is missing or the bridge does not start.
    static std::unique_ptr<WineDriver> Launch(HostOutputSink output, std::string* problem);
    ~WineDriver() override;

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
    explicit WineDriver(HostOutputSink output);
    void Request(const std::string& line);
    bool NextLine(std::string* line, int seconds);
    std::vector<std::string> AwaitDone();
    void DrainWineTerminal();
    void End();

    HostOutputSink output_;
    SideOutputTaken taken_;
    pid_t bridgePid_ = -1;
    int toBridge_ = -1;
    int fromBridge_ = -1;
    int wineTerminal_ = -1;     // the master side of Wine's pseudo-terminal
    std::string received_;      // bytes from the bridge not yet taken as lines
    std::u16string bridgeLine_; // the edit line as the bridge holds it
    bool broken_ = false;
};

// The Windows build the bridge and the DLLs come from: $TORVANE_WINDOWS_BUILD, or build/windows
// in the source tree.
std::string WindowsBuildFolder();

// The Wine prefix, and with it the registry, that --windows uses: $TORVANE_WINE_PREFIX, or
// console-wine-prefix in the Windows build.
std::string WinePrefixPath();
