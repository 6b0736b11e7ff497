// The TORVANE command: reads every word first, applies the choices only when all are valid, then
// shows the settings and saves them when asked.
#include "command/command.h"

#include "command/arguments.h"
#include "command/errors.h"
#include "command/help.h"
#include "keys/key_names.h"
#include "keys/key_tables.h"
#include "platform/platform.h"
#include "plugin/host.h"
#include "plugin/identity.h"
#include "plugin/settings.h"
#include "text/chars.h"
#include "text/wtext.h"

namespace {

// A registry root the settings are saved to or restored from, and the short name the messages
// show for it.
struct RegistryRoot {
    RegistryKey root;
    const char16_t* name;
};

// In the order /R tries them: the user's key, then the machine's.
constexpr RegistryRoot kRegistryRoots[] = {
    {kRootCurrentUser, u"HKCU"},
    {kRootLocalMachine, u"HKLM"},
};
constexpr const RegistryRoot* kUserKey = &kRegistryRoots[0];
constexpr const RegistryRoot* kMachineKey = &kRegistryRoots[1];

// What the options of one command line ask for, before anything is applied.
struct CommandChoices {
    int32_t hotkey = 0; // 0: no key name given
    int32_t breakAtSlash = -1;
    int32_t beepOnError = -1;
    int32_t keepOldArgs = -1;
    int32_t overwrite = -1; // -1: not given
    bool defaults = false;
    bool list = false;
    bool quiet = false;
    bool restore = false;
    const RegistryRoot* saveTarget = nullptr; // null: no save
};

// What a matching word does: show the help, set the trace lines at once, set a yes/no choice, set
// a flag, or choose where to save.
enum class Option { Help, Trace, YesNo, Flag, Save };

// The options in the order they are tried. Options with a value match on their first two
// characters; the others must match the whole word.
struct OptionRule {
    const char16_t* text;
    bool firstTwo;
    Option option;
    int32_t CommandChoices::*choice = nullptr; // YesNo
    bool CommandChoices::*flag = nullptr;      // Flag
    const RegistryRoot* saveTarget = nullptr;  // Save
};

// clang-format off
constexpr OptionRule kOptionRules[] = {
    {u"/?",  true,  Option::Help},
    {u"/$",  true,  Option::Trace},
    {u"/A",  true,  Option::YesNo, &CommandChoices::breakAtSlash},
    {u"/B",  true,  Option::YesNo, &CommandChoices::beepOnError},
    {u"/D",  false, Option::Flag,  nullptr, &CommandChoices::defaults},
    {u"/K",  true,  Option::YesNo, &CommandChoices::keepOldArgs},
    {u"/L",  false, Option::Flag,  nullptr, &CommandChoices::list},
    {u"/O",  true,  Option::YesNo, &CommandChoices::overwrite},
    {u"/Q",  false, Option::Flag,  nullptr, &CommandChoices::quiet},
    {u"/R",  false, Option::Flag,  nullptr, &CommandChoices::restore},
    {u"/S",  false, Option::Save,  nullptr, nullptr, kUserKey},
    {u"/S!", false, Option::Save,  nullptr, nullptr, kMachineKey},
};
// clang-format on

bool Matches(const OptionRule& rule, const char16_t* word) {
    if (rule.firstTwo) return word[0] == rule.text[0] && word[1] == rule.text[1];
    return TextEquals(word, rule.text);
}

const OptionRule* FindOption(const char16_t* word) {
    for (const OptionRule& rule : kOptionRules) {
        if (Matches(rule, word)) return &rule;
    }
    return nullptr;
}

// One error line: the prefix, then the message with the word in place of %s.
void ReportError(const char16_t* message, const char16_t* word = u"") {
    WriteErrorPrefix();
    Qprintf(PlatformStdErrorHandle(), message, word);
}

const char16_t* YesNo(int32_t value) {
    return value != 0 ? u"Yes" : u"No";
}

void ShowSettingsReport(char16_t* text) {
    Printf(u"\r\n       %s v%u.%u.%u (%s) settings:\r\n\r\n", kPluginName, kVersionMajor,
           kVersionMinor, kVersionBuild, kPlatformName);
    FormatHotkey(text);
    Printf(u"Hotkey . . . . . . . . . . . . . . .     %s\r\n", text);
    Printf(u"Break at first unquoted slash  . . . /A: %s\r\n", YesNo(Settings.breakAtSlash));
    Printf(u"Beep on errors . . . . . . . . . . . /B: %s\r\n", YesNo(Settings.beepOnError));
    Printf(u"Keep old arguments . . . . . . . . . /K: %s\r\n", YesNo(Settings.keepOldArgs));
    Printf(u"Overwrite text right of cursor . . . /O: %s\r\n", YesNo(Settings.overwrite));
}

// Reads a key name into the choices; false after reporting why it cannot be the hotkey.
bool ChooseHotkey(CommandChoices& choices, const char16_t* word) {
    if (choices.hotkey != 0) {
        ReportError(u"Syntax error: \"%s\"\r\n", word);
        return false;
    }
    int32_t code = ParseKeyName(word);
    if (code == 0) {
        ReportError(u"Unknown key name: \"%s\"\r\n", word);
    } else if (code == kInvalidCombination) {
        ReportError(u"Invalid hotkey: \"%s\"\r\n", word);
    } else if (code == kNotAllowedAsHotkey) {
        ReportError(u"Key not allowed: \"%s\"\r\n", word);
    } else {
        choices.hotkey = code;
        return true;
    }
    return false;
}

// Stores a yes/no value in a choice; false after ParseYesNo reported a bad value.
bool ChooseYesNo(int32_t& choice, const char16_t* word) {
    int value = ParseYesNo(word);
    if (value < 0) return false;
    choice = value;
    return true;
}

// Loads the user's settings, else the machine's, and says which unless quiet. 0 when either
// key supplied settings, 2 when neither did.
int RestoreSettings(bool quiet) {
    for (const RegistryRoot& from : kRegistryRoots) {
        if (LoadSettings(from.root) != 0) continue;
        if (!quiet) {
            Printf(u"Settings restored from the registry (%s\\%s).\r\n", from.name,
                   SettingsKeyPath);
        }
        return 0;
    }
    if (!quiet) QPuts(u"Settings not found in the registry.\r\n");
    return 2;
}

void ApplyChoices(const CommandChoices& choices) {
    if (choices.hotkey != 0) Settings.hotkey = choices.hotkey;
    if (choices.overwrite != -1) Settings.overwrite = choices.overwrite;
    if (choices.breakAtSlash != -1) Settings.breakAtSlash = choices.breakAtSlash;
    if (choices.keepOldArgs != -1) Settings.keepOldArgs = choices.keepOldArgs;
    if (choices.beepOnError != -1) Settings.beepOnError = choices.beepOnError;
}

// Saves to the chosen key; on failure writes the two error lines and returns 2.
int SaveChosenSettings(const RegistryRoot& target, bool quiet, char16_t* text) {
    const char16_t* rootName = target.name;
    int code = SaveSettings(target.root);
    if (code != 0) {
        GetSystemErrorText(static_cast<uint32_t>(code), text);
        CrLf();
        WriteErrorPrefix();
        Qprintf(PlatformStdErrorHandle(), u"Error saving settings to the registry (%s\\%s) :\r\n",
                rootName, SettingsKeyPath);
        Qprintf(PlatformStdErrorHandle(), u"%s\r\n", text);
        return 2;
    }
    if (!quiet) {
        Printf(u"\r\nSettings saved to the registry (%s\\%s).\r\n", rootName, SettingsKeyPath);
    }
    return 0;
}

} // namespace

int ParseYesNo(const char16_t* word) {
    if (word == nullptr) return -1;
    const char16_t* p = word;
    if (*p == u'/') ++p;
    if (IsLetter(*p) || *p == u'$') ++p;
    if (*p == u':' || *p == u'=') ++p;
    switch (UpperAscii(*p)) {
    case u'N':
        return 0;
    case u'Y':
        return 1;
    default:
        ReportError(u"Expected Y or N: \"%s\"\r\n", word);
        return -1;
    }
}

int RunTorvaneCommand(const char16_t* arguments) {
    if (arguments == nullptr) return 1;
    CommandChoices choices;
    char16_t text[kKeyNameBufferSize] = {};
    // An argument text too long for the word pool was reported by the tokenizer: a command
    // line error like any other, with nothing applied.
    if (TokenizeArguments(arguments) < 0) return 1;
    // Words past the limit were dropped: acting on the rest could skip a /S or an error.
    if (ArgumentList.found > kMaxArgs) {
        WriteErrorPrefix();
        Qprintf(PlatformStdErrorHandle(), u"Too many arguments: %d (at most %d)\r\n",
                ArgumentList.found, kMaxArgs);
        return 1;
    }

    for (int32_t n = 0; n < ArgumentList.count; ++n) {
        const char16_t* word = ArgumentList.words[n];
        const OptionRule* rule = FindOption(word);
        if (rule == nullptr) {
            if (word[0] == u'/') {
                ReportError(u"Unknown option: \"%s\"\r\n", word);
                return 1;
            }
            if (!ChooseHotkey(choices, word)) return 1;
            continue;
        }
        switch (rule->option) {
        case Option::Help:
            ShowCommandHelp(TextEquals(word, u"/??"));
            return 0;
        case Option::Trace: {
            // Takes effect at once; a bad value leaves the trace lines as they were.
            int value = ParseYesNo(word);
            if (value < 0) return 1;
            Settings.traceMessages = value;
            break;
        }
        case Option::YesNo:
            if (!ChooseYesNo(choices.*rule->choice, word)) return 1;
            break;
        case Option::Flag:
            choices.*rule->flag = true;
            break;
        case Option::Save:
            choices.saveTarget = rule->saveTarget;
            break;
        }
    }

    if (choices.list) {
        if (choices.saveTarget != nullptr || choices.restore || choices.defaults ||
            choices.hotkey != 0) {
            ReportError(u"Can\u2019t combine /L with other options\r\n");
            return 1;
        }
        ListHotkeys(QPuts);
        return 0;
    }

    int result = 0;
    if (choices.defaults) {
        if (choices.restore) {
            ReportError(u"Can\u2019t combine /D and /R\r\n");
            return 1;
        }
        SetDefaultSettings();
        if (!choices.quiet) QPuts(u"Default plugin settings have been restored.\r\n");
    } else if (choices.restore) {
        result = RestoreSettings(choices.quiet);
    }

    ApplyChoices(choices);
    if (!choices.quiet) ShowSettingsReport(text);
    if (choices.saveTarget == nullptr) return result;
    int saved = SaveChosenSettings(*choices.saveTarget, choices.quiet, text);
    return saved != 0 ? saved : result;
}
