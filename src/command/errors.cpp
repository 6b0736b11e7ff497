// The start of every error line, and the one-line texts of system error codes.
#include "command/errors.h"

#include "platform/platform.h"
#include "plugin/host.h"
#include "plugin/identity.h"
#include "text/chars.h"
#include "text/wtext.h"

namespace {

// Room for the host's expansion of the batch position.
constexpr size_t kExpansionSize = 8192;

constexpr uint32_t kUnknownErrorCode = 0xFFFFFFFF;

} // namespace

void WriteErrorPrefix() {
    void* handle = PlatformStdErrorHandle();
    Qprintf(handle, u"%s plugin: ", kPluginName);

    char16_t buffer[kExpansionSize] = u"%_batch";
    ExpandVariables(buffer, 1);
    buffer[kExpansionSize - 1] = 0;
    if (buffer[0] == u'0') return; // at the prompt

    CopyText(buffer, kExpansionSize, u"%_batchname [%_batchline]  ");
    ExpandVariables(buffer, 1);
    buffer[kExpansionSize - 1] = 0;
    // An argument, never the format: a file name may hold a percent sign.
    Qprintf(handle, u"%s", buffer);
}

void GetSystemErrorText(uint32_t code, char16_t* buffer) {
    if (code == kUnknownErrorCode) {
        CopyText(buffer, kErrorTextSize, u"Unknown error");
    } else if (!PlatformSystemErrorText(code, buffer, kErrorTextSize)) {
        FormatText(buffer, kErrorTextSize, u"Error %d", static_cast<int32_t>(code));
    }
    buffer[kErrorTextSize - 1] = 0;

    size_t length = TextLength(buffer);
    while (length > 0 && IsBlank(buffer[length - 1]))
        buffer[--length] = 0;
}
