#include "keys/key_reports.h"

#include "keys/key_names.h"
#include "text/chars.h"

int32_t CodeOfReportedKeyName(const char16_t* keyName) {
    int32_t code = ParseExtendedKeyName(keyName);
    // The extended table marks plain Enter as not allowed for a hotkey, but a reported Enter
    // must still reach capture, so the name itself is recognised here.
    if (code < 0 && EqualsIgnoreCase(keyName, u"Enter")) return kEnterCode;
    return code > 0 ? code : 0;
}
