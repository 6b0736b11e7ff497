// The TORVANE command's fixed texts, as the tests expect them.
#pragma once

#include <string>

inline const std::u16string kErrorPrefix = u"Torvane plugin: ";

// The settings report for the given hotkey name and yes/no settings.
inline std::u16string Report(const std::u16string& hotkey, bool a, bool b, bool k, bool o) {
    auto yn = [](bool v) { return std::u16string(v ? u"Yes" : u"No"); };
    return u"\r\n       Torvane v1.0.1 (x64) settings:\r\n\r\n"
           u"Hotkey . . . . . . . . . . . . . . .     " +
           hotkey + u"\r\nBreak at first unquoted slash  . . . /A: " + yn(a) +
           u"\r\nBeep on errors . . . . . . . . . . . /B: " + yn(b) +
           u"\r\nKeep old arguments . . . . . . . . . /K: " + yn(k) +
           u"\r\nOverwrite text right of cursor . . . /O: " + yn(o) + u"\r\n";
}
