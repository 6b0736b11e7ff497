// The command's help text, the table of names that have help, and the /? and /?? display.
#include "command/help.h"

#include "keys/key_names.h"
#include "plugin/host.h"
#include "plugin/identity.h"
#include "plugin/settings.h"
#include "text/chars.h"

// The line after the first ends in CR LF on purpose: the usage text starts right after it.
const char16_t HelpText[] = u"Display or change settings for the Torvane plugin.\n"
                            u"\n"
                            u"TORVANE /A: /B: /D /K: /L /O: /Q /R /S hotkey\r\n"
                            u"\n"
                            u"\t/A:\tbreak at first unquoted slash (Y or N)\n"
                            u"\t/B:\tbeep on errors (Y or N)\n"
                            u"\t/D\trestore original plugin defaults\n"
                            u"\t/K:\tkeep old arguments (Y or N)\n"
                            u"\t/L\tlist all supported hotkeys\n"
                            u"\t/O:\toverwrite any text right of the cursor (Y or N)  \n"
                            u"\t/Q\tquietly\n"
                            u"\t/R\trestore saved settings from the registry\n"
                            u"\t/S\tsave settings to the registry as the new default  \n"
                            u"\n"
                            u"Examples of valid keys are F3, Ctrl-Q, Alt-A, or Shift-F10.  The\n"
                            u"default is F3.  /D and /R cannot be used together; /L cannot be\n"
                            u"combined with any other option.\n"
                            u"\n"
                            u"TORVANE with no options displays the current settings.\n";

static_assert(sizeof(HelpText) / sizeof(HelpText[0]) == 659 + 1,
              "the help text changed: update its length (659) here and in "
              "tests/plugin/help_test.cpp, and the usage length (607, from its third line) "
              "there and in tests/scenarios/60-usage-and-help.txt");

namespace {

// The names that have help, in the order they are looked up: the command's one name, for now.
constexpr HelpEntry HelpTable[] = {
    {u"torvane", HelpText},
};

} // namespace

const HelpEntry* FindHelpEntry(const char16_t* name) {
    if (name == nullptr) return nullptr;
    for (const HelpEntry& entry : HelpTable) {
        if (EqualsIgnoreCase(name, entry.name)) return &entry;
    }
    return nullptr;
}

void ShowCommandHelp(bool showVersion) {
    char16_t hotkeyName[kKeyNameBufferSize] = {};
    FormatHotkey(hotkeyName);
    QPuts(HelpText);
    Printf(u"\r\nThe current hotkey is %s.\r\n", hotkeyName);
    if (showVersion) {
        Printf(u"\r\n\t\t\t\t\t%s  %u.%u.%u.%u (%s)\r\n", kPluginName, kVersionMajor, kVersionMinor,
               kVersionBuild, kVersionRevision, kPlatformName);
    }
}
