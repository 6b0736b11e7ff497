// A name's usage text and its help box, as the host asks for them.
#include "command/help.h"
#include "platform/platform.h"
#include "plugin/host.h"
#include "plugin/identity.h"
#include "text/wtext.h"

namespace {

// The box title, in characters.
constexpr size_t kTitleSize = 1024;

// The help text without its first line and the line feeds that follow that line.
const char16_t* UsagePart(const char16_t* text) {
    while (*text != 0 && *text != u'\n')
        ++text;
    while (*text == u'\n')
        ++text;
    return text;
}

} // namespace

int CopyUsageText(const char16_t* name, char16_t* out) {
    if (name == nullptr || out == nullptr) return 0;
    // The host's function and internal-variable names (@name, _name) are never commands.
    if (name[0] == u'@' || name[0] == u'_') return 0;
    const HelpEntry* entry = FindHelpEntry(name);
    if (entry == nullptr) return 0;
    CopyText(out, kUsageBufferSize, UsagePart(entry->text));
    return 1;
}

int ShowHelpBox(const char16_t* name) {
    char16_t title[kTitleSize];
    FormatText(title, kTitleSize, u"%s Plugin Help", kPluginName);
    const HelpEntry* entry = FindHelpEntry(name);
    if (entry == nullptr) return 0;
    PlatformMessageBox(entry->text, title);
    return 1;
}
