#include "command/command.h"

#include "command/help.h"
#include "report.h"
#include "world.h"

namespace {

using Command = World;

const std::u16string kDefaultReport = Report(u"F3");
const std::u16string kDefaultsRestored = u"Default plugin settings have been restored.\r\n";

struct CommandCase {
    std::u16string arguments;
    std::u16string out;
    std::u16string err; // without the prefix; empty: no error line
    int result;
    SettingsRecord after;
};

constexpr SettingsRecord kStart = kLoadTimeSettings;

// A failure names the row by its arguments.
void Check(const CommandCase& c) {
    SCOPED_TRACE("arguments: " + ToUtf8(c.arguments));
    EXPECT_EQ(Torvane(c.arguments.c_str()), c.result);
    EXPECT_EQ(ToUtf8(HostStdout()), ToUtf8(c.out));
    EXPECT_EQ(ToUtf8(HostStderr()), ToUtf8(c.err.empty() ? c.err : kErrorPrefix + c.err));
    EXPECT_EQ(Settings.hotkey, c.after.hotkey);
    EXPECT_EQ(Settings.overwrite, c.after.overwrite);
    EXPECT_EQ(Settings.breakAtSlash, c.after.breakAtSlash);
    EXPECT_EQ(Settings.keepOldArgs, c.after.keepOldArgs);
    EXPECT_EQ(Settings.beepOnError, c.after.beepOnError);
    EXPECT_EQ(Settings.traceMessages, c.after.traceMessages);
}

void CheckAll(std::initializer_list<CommandCase> cases) {
    for (const auto& c : cases) {
        ResetWorld();
        Check(c);
    }
}

TEST_F(Command, ReportAndOptionSpellings) {
    const SettingsRecord aOff = {.breakAtSlash = 0};
    CheckAll({
        {u"", kDefaultReport, u"", 0, kStart},
        {u" \t ", kDefaultReport, u"", 0, kStart},
        {u"/a:n /o:y",
         Report(u"F3", {.breakAtSlash = false, .overwrite = true}),
         u"",
         0,
         {.overwrite = 1, .breakAtSlash = 0}},
        {u"/A:N", Report(u"F3", {.breakAtSlash = false}), u"", 0, aOff},
        {u"/A=N", Report(u"F3", {.breakAtSlash = false}), u"", 0, aOff},
        {u"/AN", Report(u"F3", {.breakAtSlash = false}), u"", 0, aOff},
        {u"/A:NO", Report(u"F3", {.breakAtSlash = false}), u"", 0, aOff},
        {u"/ANY", Report(u"F3", {.breakAtSlash = false}), u"", 0, aOff},
        {u"/A:Y", kDefaultReport, u"", 0, kStart},
        {u"/A:YES", kDefaultReport, u"", 0, kStart},
        {u"/A:Y /A:N", Report(u"F3", {.breakAtSlash = false}), u"", 0, aOff},
        {u"/b:n /k:y",
         Report(u"F3", {.beepOnError = false, .keepOldArgs = true}),
         u"",
         0,
         {.keepOldArgs = 1, .beepOnError = 0}},
        {u"ctrl-q", Report(u"Ctrl-Q"), u"", 0, {.hotkey = 0x11}},
        {u"\"alt-a\" /q", u"", u"", 0, {.hotkey = 0x1001E}},
        {u"/Q /Q /A:N", u"", u"", 0, aOff},
    });
}

TEST_F(Command, CommandLineErrorsApplyNothing) {
    const std::u16string notWithL = u"Can\u2019t combine /L with other options\r\n";
    const std::u16string notDWithR = u"Can\u2019t combine /D and /R\r\n";
    CheckAll({
        {u"F3 F4", u"", u"Syntax error: \"F4\"\r\n", 1, kStart},
        {u"ctrl-q F4", u"", u"Syntax error: \"F4\"\r\n", 1, kStart},
        {u"/A:N /X", u"", u"Unknown option: \"/X\"\r\n", 1, kStart},
        {u"/A:Y /x", u"", u"Unknown option: \"/X\"\r\n", 1, kStart},
        {u"/DX", u"", u"Unknown option: \"/DX\"\r\n", 1, kStart},
        {u"/RX", u"", u"Unknown option: \"/RX\"\r\n", 1, kStart},
        {u"/LIST", u"", u"Unknown option: \"/LIST\"\r\n", 1, kStart},
        {u"/S:", u"", u"Unknown option: \"/S:\"\r\n", 1, kStart},
        {u"/Q!", u"", u"Unknown option: \"/Q!\"\r\n", 1, kStart},
        {u"/", u"", u"Unknown option: \"/\"\r\n", 1, kStart},
        {u"/A", u"", u"Expected Y or N: \"/A\"\r\n", 1, kStart},
        {u"/A:", u"", u"Expected Y or N: \"/A:\"\r\n", 1, kStart},
        {u"/A::Y", u"", u"Expected Y or N: \"/A::Y\"\r\n", 1, kStart},
        {u"/a:maybe", u"", u"Expected Y or N: \"/A:MAYBE\"\r\n", 1, kStart},
        {u"/O:N /B:X", u"", u"Expected Y or N: \"/B:X\"\r\n", 1, kStart},
        {u"foo", u"", u"Unknown key name: \"FOO\"\r\n", 1, kStart},
        {u"Ctrl-C", u"", u"Invalid hotkey: \"CTRL-C\"\r\n", 1, kStart},
        {u"s-q", u"", u"Key not allowed: \"S-Q\"\r\n", 1, kStart},
        {u"\" \"", u"", u"Unknown key name: \"\"\r\n", 1, kStart},
        {u"/L F3", u"", notWithL, 1, kStart},
        {u"/L /D", u"", notWithL, 1, kStart},
        {u"/R /L", u"", notWithL, 1, kStart},
        {u"/L /S", u"", notWithL, 1, kStart},
        {u"/S! /L", u"", notWithL, 1, kStart},
        {u"/D /R", u"", notDWithR, 1, kStart},
        {u"/R /D /Q", u"", notDWithR, 1, kStart},
    });
    ResetWorld();
    EXPECT_EQ(Torvane(nullptr), 1);
    EXPECT_TRUE(HostStdout().empty());
    EXPECT_TRUE(HostStderr().empty());
}

TEST_F(Command, DefaultsKeepBreakAtSlashAndQuietSilencesThem) {
    Settings = kEverySettingChanged;
    Check({u"/D",
           kDefaultsRestored + Report(u"F3", {.breakAtSlash = false}),
           u"",
           0,
           {.breakAtSlash = 0}});
    Settings = {
        .hotkey = 0x11, .overwrite = 1, .keepOldArgs = 1, .beepOnError = 0, .traceMessages = 1};
    HostClearOutput();
    Check({u"/D /A:N ctrl-q",
           kDefaultsRestored + Report(u"Ctrl-Q", {.breakAtSlash = false}),
           u"",
           0,
           {.hotkey = 0x11, .breakAtSlash = 0}});
    Settings = {.hotkey = 0x11, .overwrite = 1, .keepOldArgs = 1, .beepOnError = 0};
    HostClearOutput();
    Check({u"/D /Q", u"", u"", 0, {}});
}

TEST_F(Command, TraceSwitchTakesEffectAtOnce) {
    const SettingsRecord traceOn = {.traceMessages = 1};
    CheckAll({
        {u"/$:Y", kDefaultReport, u"", 0, traceOn},
        {u"/$Y /Q", u"", u"", 0, traceOn},
        {u"/$:N", kDefaultReport, u"", 0, kStart},
        {u"/$:Y /$=N /Q", u"", u"", 0, kStart},
        {u"/$:Y /D", kDefaultsRestored + kDefaultReport, u"", 0, kStart},
        {u"/$:Y /X", u"", u"Unknown option: \"/X\"\r\n", 1, traceOn},
        {u"/$:X", u"", u"Expected Y or N: \"/$:X\"\r\n", 1, kStart},
        {u"/$", u"", u"Expected Y or N: \"/$\"\r\n", 1, kStart},
    });
    // A bad value keeps the trace lines on when they were on.
    Settings.traceMessages = 1;
    HostClearOutput();
    Check({u"/$:MAYBE", u"", u"Expected Y or N: \"/$:MAYBE\"\r\n", 1, traceOn});
}

TEST_F(Command, ListAloneOrWithOptionsItIgnores) {
    for (const char16_t* args : {u"/L", u"/l /q", u"/L /A:N", u"/L /L /O:Y", u"/$:Y /L"}) {
        SCOPED_TRACE("arguments: " + ToUtf8(args));
        ResetWorld();
        EXPECT_EQ(Torvane(args), 0);
        const std::u16string& out = HostStdout();
        EXPECT_EQ(out.substr(0, out.find(u"\r\n")),
                  u"F1 \u00B7 Shift-F1 \u00B7 Ctrl-F1 \u00B7 Alt-F1 \u00B7 Ctrl-Shift-F1 \u00B7 "
                  u"Ctrl-Alt-F1");
        size_t lines = 0;
        for (size_t at = out.find(u"\r\n"); at != std::u16string::npos;
             at = out.find(u"\r\n", at + 2)) {
            ++lines;
        }
        EXPECT_EQ(lines, 74u);
        EXPECT_EQ(out.find(u"settings:"), std::u16string::npos);
        EXPECT_EQ(Settings.breakAtSlash, 1);
        EXPECT_EQ(Settings.overwrite, 0);
        EXPECT_EQ(Settings.traceMessages, args[1] == u'$' ? 1 : 0);
    }
}

TEST_F(Command, HelpWordsStopTheCommand) {
    const std::u16string help = std::u16string(HelpText) + u"\r\nThe current hotkey is F3.\r\n";
    const std::u16string version =
        u"\r\n\t\t\t\t\tTorvane  " TORVANE_FILE_VERSION_TEXT " (x64)\r\n";
    CheckAll({
        {u"/?", help, u"", 0, kStart},
        {u"/?X", help, u"", 0, kStart},
        {u"/???", help, u"", 0, kStart},
        {u"/??", help + version, u"", 0, kStart},
        {u"F4 /A:N /?", help, u"", 0, kStart},
        {u"/? /X", help, u"", 0, kStart},
        {u"/X /?", u"", u"Unknown option: \"/X\"\r\n", 1, kStart},
        {u"F3 F4 /?", u"", u"Syntax error: \"F4\"\r\n", 1, kStart},
    });
}

TEST_F(Command, ArgumentTextTooLongForThePoolIsAnError) {
    std::u16string text(9000, u'x');
    EXPECT_EQ(Torvane(text.c_str()), 1);
    EXPECT_EQ(HostStderr(), kErrorPrefix + u"Buffer overflow: b = 8191, MAX_ARG_LEN = 8192 \r\n");
    EXPECT_TRUE(HostStdout().empty());
    EXPECT_EQ(Settings.hotkey, 0x1003D);
}

// Past 1024 words the command line is an error: nothing applied, traced or saved.
TEST_F(Command, MoreThan1024WordsIsAnError) {
    const SettingsRecord aOff = {.breakAtSlash = 0};
    const std::u16string q1022 = Repeated(u"/Q ", 1022);
    auto tooMany = [](const char16_t* n) {
        return u"Too many arguments: " + std::u16string(n) + u" (at most 1024)\r\n";
    };
    CheckAll({
        {q1022 + u"/A:N /S", u"", u"", 0, aOff},
        {q1022 + u"/A:N /$:Y /S", u"", tooMany(u"1025"), 1, kStart},
        {q1022 + u"/A:N /$:Y \"a b\"\"\" \"\" ", u"", tooMany(u"1025"), 1, kStart},
        {Repeated(u"x ", 5000), u"", tooMany(u"5000"), 1, kStart},
    });
    EXPECT_FALSE(StandInRegistryKeyExists(kRootCurrentUser, SettingsKeyPath));
    ResetWorld();
    Torvane((q1022 + u"/A:N /S").c_str());
    EXPECT_TRUE(StandInRegistryKeyExists(kRootCurrentUser, SettingsKeyPath));
}

TEST_F(Command, ParseYesNoSkipsSlashLetterAndSeparator) {
    struct {
        const char16_t* word;
        int value;
    } const cases[] = {
        {u"/A:Y", 1},      {u"/A=y", 1}, {u"/AY", 1},  {u"/A:YES", 1}, {u"/ANY", 0},
        {u"/A:N", 0},      {u"A:Y", 1},  {u"Y", -1},   {u":N", 0},     {u"/$=N", 0},
        {u"/\u00C9:Y", 1}, {u"/A", -1},  {u"/A:", -1}, {u"/A::Y", -1}, {u"/1:Y", -1},
        {u"", -1},         {u"/Z:Y", 1}, {u"/a=N", 0}, {u"/zY", 1},    {u"/[:Y", -1},
    };
    for (const auto& c : cases) {
        HostClearOutput();
        EXPECT_EQ(ParseYesNo(c.word), c.value) << ToUtf8(c.word);
        std::u16string expected =
            c.value < 0 ? kErrorPrefix + u"Expected Y or N: \"" + c.word + u"\"\r\n" : u"";
        EXPECT_EQ(HostStderr(), expected) << ToUtf8(c.word);
    }
    HostClearOutput();
    EXPECT_EQ(ParseYesNo(nullptr), -1);
    EXPECT_TRUE(HostStderr().empty());
}

} // namespace
