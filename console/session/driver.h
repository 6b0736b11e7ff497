// The plug-in as the session drives it: the calls the host makes, on the plug-in of the native
// build in this process or on the real Torvane.dll under Wine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "plugin/host.h"

// Where a driver hands what the plug-in wrote to the host's standard output (stream 1) or
// standard error (stream 2).
using HostOutputSink = std::function<void(int stream, const char16_t* text, size_t length)>;
// Where a driver says what the user should know of it: a long wait, a call that failed.
using DriverMessageSink = std::function<void(const std::string& text)>;

class PluginDriver {
  public:
    virtual ~PluginDriver() = default;

    // Loads the plug-in as the host does (GetPluginInfo, then InitializePlugin); false, with the
    // reason in *problem, when it cannot be used.
    virtual bool Start(std::string* problem) = 0;
    virtual void Stop() = 0; // ShutdownPlugin
    // The keystroke handler, with the modifier keys in modifiers held during the call. Each place
    // where the plug-in cleared the shown line (the host's ClearEditLine), a pointer into the
    // record's line, is added to *cleared in order.
    virtual int Key(KeystrokeRecord* record, int modifiers,
                    std::vector<const char16_t*>* cleared) = 0;
    virtual int Command(const char16_t* arguments) = 0; // the TORVANE command
    virtual int Help(const char16_t* name) = 0;
    // The usage text goes to out, a buffer of kUsageBufferSize characters.
    virtual int Usage(const char16_t* name, char16_t* out) = 0;
    virtual void SetVariable(const std::u16string& name, const std::u16string& value) = 0;
    virtual void UnsetVariable(const std::u16string& name) = 0;
    // The text with the host's variable references replaced.
    virtual std::u16string Expand(const std::u16string& text) = 0;
    // The row GetAbsCursorPosition reports during the next calls.
    virtual void SetCursorRow(int32_t row) = 0;
    // What the plug-in showed beside its output (trace lines, sounds, message boxes) since the
    // last call, as the stand-ins kept it for a transcript.
    virtual std::u16string TakeSideOutput() = 0;
    // Why the plug-in can no longer be reached (the bridge under Wine ended); empty while it can.
    virtual std::string Lost() const { return ""; }
};
