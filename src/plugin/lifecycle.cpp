// The host's load, start and stop sequence: the identity record, start-up with the host's
// generation, the settings and the banner, and the release of the saved arguments.
#include "plugin/lifecycle.h"

#include "keys/key_names.h"
#include "keys/key_tables.h"
#include "plugin/host.h"
#include "plugin/identity.h"
#include "plugin/settings.h"
#include "text/chars.h"
#include "text/wtext.h"

int32_t HostVersion = 0;

namespace {

// Unsigned decimal after blanks and an optional sign (minus negates modulo 2^32); false on
// overflow.
bool ReadUnsigned(const char16_t* text, uint32_t* number) {
    while (IsBlank(*text))
        ++text;
    bool negative = *text == u'-';
    if (*text == u'-' || *text == u'+') ++text;
    uint64_t value = 0;
    bool overflow = false;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        value = value * 10 + static_cast<uint64_t>(*text - u'0');
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
    }
    uint32_t result = static_cast<uint32_t>(value);
    *number = negative ? 0u - result : result;
    return !overflow;
}

// Lets the host expand text in a buffer of kExpandBufferSize characters.
void ExpandInBuffer(char16_t (&buffer)[kExpandBufferSize], const char16_t* text) {
    for (char16_t& ch : buffer)
        ch = 0;
    CopyText(buffer, kExpandBufferSize, text);
    ExpandVariables(buffer, 1);
    buffer[kExpandBufferSize - 1] = 0;
}

// Finds the host's major version in %_4ver; anything unusable means an older host.
void ProbeHostGeneration() {
    char16_t buffer[kExpandBufferSize];
    ExpandInBuffer(buffer, u"%_4ver");
    uint32_t number = 0;
    bool fits = ReadUnsigned(buffer, &number);
    HostVersion = 0;
    if (fits && number >= kLowestUsableHostVersion && number <= kHighestUsableHostVersion)
        HostVersion = static_cast<int32_t>(number);
    extendedKeys = HostVersion >= kFirstHostVersionWithKeyNames;
}

// The banner, unless the host runs transiently, in a pipe, or the user set noloadmsg.
void PrintBanner() {
    char16_t flags[kExpandBufferSize];
    ExpandInBuffer(flags, u"%[_transient]%[_pipe]%[noloadmsg]");
    if (!TextEquals(flags, u"00")) return;
    char16_t hotkeyName[kKeyNameBufferSize] = {};
    FormatHotkey(hotkeyName);
    Printf(u"%s v%u.%u.%u loaded; hotkey is %s.\r\n", kPluginName, kVersionMajor, kVersionMinor,
           kVersionBuild, hotkeyName);
}

} // namespace

void StartPlugin() {
    ProbeHostGeneration(); // first: the load checks the hotkey against the table it selects
    SetDefaultSettings();
    if (LoadSettings(kRootCurrentUser) != 0) LoadSettings(kRootLocalMachine);
    PrintBanner();
}
