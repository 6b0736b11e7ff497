// The TORVANE command's fixed texts, as the tests expect them.
#pragma once

#include <string>

#include "plugin/version.h"

inline const std::u16string kErrorPrefix = u"Torvane plugin: ";

// The yes/no settings a report shows: the load-time values unless a row names another.
struct ReportedChoices {
    bool breakAtSlash = true;
    bool beepOnError = true;
    bool keepOldArgs = false;
    bool overwrite = false;
};

// What a report shows of kEverySettingChanged (world.h).
inline const ReportedChoices kEveryChoiceChanged = {
    .breakAtSlash = false, .beepOnError = false, .keepOldArgs = true, .overwrite = true};

// The settings report for the given hotkey name and yes/no settings.
inline std::u16string Report(const std::u16string& hotkey, ReportedChoices shown = {}) {
    auto yn = [](bool v) { return std::u16string(v ? u"Yes" : u"No"); };
    return u"\r\n       Torvane v" TORVANE_VERSION_TEXT " (x64) settings:\r\n\r\n"
           u"Hotkey . . . . . . . . . . . . . . .     " +
           hotkey + u"\r\nBreak at first unquoted slash  . . . /A: " + yn(shown.breakAtSlash) +
           u"\r\nBeep on errors . . . . . . . . . . . /B: " + yn(shown.beepOnError) +
           u"\r\nKeep old arguments . . . . . . . . . /K: " + yn(shown.keepOldArgs) +
           u"\r\nOverwrite text right of cursor . . . /O: " + yn(shown.overwrite) + u"\r\n";
}
