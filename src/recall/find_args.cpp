#include "plugin/settings.h"
#include "recall/recall.h"
#include "text/chars.h"

const char16_t* FindArgs(const char16_t* line) {
    if (line == nullptr || *line == 0) return nullptr;
    const char16_t* p = line;
    while (IsBlank(*p))
        ++p;
    if (*p == 0) return nullptr;
    // A line that starts with a slash is a switch-like command word: slashes never end it.
    const bool slashFirst = *p == u'/';
    bool inQuotes = false;
    for (;; ++p) {
        if (*p == 0) return nullptr;
        if (*p == u'"') {
            inQuotes = !inQuotes;
            continue;
        }
        if (inQuotes) continue;
        if (IsBlank(*p)) break;
        if (*p == u'/' && Settings.breakAtSlash != 0 && !slashFirst) break;
    }
    // A slash that ended the word is not a blank, so it stays as the first argument character.
    while (IsBlank(*p))
        ++p;
    return *p == 0 ? nullptr : p;
}
