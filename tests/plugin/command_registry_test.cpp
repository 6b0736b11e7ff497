// The command's restore and save, against the registry stand-in.
#include "command/command.h"
#include "report.h"
#include "world.h"

namespace {

using CommandRegistry = World;

const std::u16string kSavedForUser =
    u"\r\nSettings saved to the registry (HKCU\\Software\\Varnholt\\Torvane).\r\n";

void Store(RegistryKey root, uint32_t hotkey, uint32_t overwrite, uint32_t breakAtSlash,
           uint32_t keepOldArgs, uint32_t beepOnError) {
    StandInRegistrySetDword(root, kPath, u"Hotkey", hotkey);
    StandInRegistrySetDword(root, kPath, u"Overwrite", overwrite);
    StandInRegistrySetDword(root, kPath, u"Break at slash", breakAtSlash);
    StandInRegistrySetDword(root, kPath, u"Keep old args", keepOldArgs);
    StandInRegistrySetDword(root, kPath, u"Beep on error", beepOnError);
}

uint32_t StoredDword(RegistryKey root, const std::u16string& name) {
    StandInRegistryValue v = StandInRegistryGetValue(root, kPath, name);
    EXPECT_TRUE(v.exists) << ToUtf8(name);
    EXPECT_EQ(v.type, kRegDword) << ToUtf8(name);
    EXPECT_EQ(v.bytes.size(), 4u) << ToUtf8(name);
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && i < v.bytes.size(); ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(v.bytes[i])) << (8 * i);
    }
    return value;
}

struct RestoreCase {
    const char* what;
    bool user;
    bool machine;
    std::u16string arguments;
    std::u16string out;
    int result;
    int32_t hotkey;
};

TEST_F(CommandRegistry, RestoreNamesTheKeyThatHeldSettings) {
    const std::u16string fromUser =
        u"Settings restored from the registry (HKCU\\Software\\Varnholt\\Torvane).\r\n";
    const std::u16string fromMachine =
        u"Settings restored from the registry (HKLM\\Software\\Varnholt\\Torvane).\r\n";
    const std::u16string notFound = u"Settings not found in the registry.\r\n";
    const RestoreCase cases[] = {
        {"user key", true, true, u"/R", fromUser + Report(u"Ctrl-Q", kEveryChoiceChanged), 0, 0x11},
        {"machine key", false, true, u"/R", fromMachine + Report(u"Alt-A"), 0, 0x1001E},
        {"neither", false, false, u"/R", notFound + Report(u"F3"), 2, 0x1003D},
        {"neither, quietly", false, false, u"/R /Q", u"", 2, 0x1003D},
        {"neither, saved all the same", false, false, u"/R /S",
         notFound + Report(u"F3") + kSavedForUser, 2, 0x1003D},
        {"user key, quietly", true, false, u"/q /r", u"", 0, 0x11},
        {"with a hotkey after it", true, false, u"/R F4",
         fromUser + Report(u"F4", kEveryChoiceChanged), 0, 0x1003E},
    };
    for (const auto& c : cases) {
        ResetWorld();
        if (c.user) Store(kRootCurrentUser, 0x11, 1, 0, 1, 0);
        if (c.machine) Store(kRootLocalMachine, 0x1001E, 0, 1, 0, 1);
        EXPECT_EQ(Torvane(c.arguments.c_str()), c.result) << c.what;
        EXPECT_EQ(ToUtf8(HostStdout()), ToUtf8(c.out)) << c.what;
        EXPECT_TRUE(HostStderr().empty()) << c.what;
        EXPECT_EQ(Settings.hotkey, c.hotkey) << c.what;
    }
}

TEST_F(CommandRegistry, RestoreThatFindsNothingKeepsTheCurrentSettings) {
    Settings = kEverySettingChanged;
    EXPECT_EQ(Torvane(u"/R /Q"), 2);
    EXPECT_EQ(Settings.hotkey, 0x11);
    EXPECT_EQ(Settings.overwrite, 1);
    EXPECT_EQ(Settings.traceMessages, 1);
}

TEST_F(CommandRegistry, SaveWritesEveryValueButTheTraceSwitch) {
    EXPECT_EQ(Torvane(u"ctrl-q /o:y /a:n /k:y /b:n /$:y /S"), 0);
    EXPECT_EQ(HostStdout(), Report(u"Ctrl-Q", kEveryChoiceChanged) + kSavedForUser);
    EXPECT_EQ(StoredDword(kRootCurrentUser, u"Hotkey"), 0x11u);
    EXPECT_EQ(StoredDword(kRootCurrentUser, u"Overwrite"), 1u);
    EXPECT_EQ(StoredDword(kRootCurrentUser, u"Break at slash"), 0u);
    EXPECT_EQ(StoredDword(kRootCurrentUser, u"Keep old args"), 1u);
    EXPECT_EQ(StoredDword(kRootCurrentUser, u"Beep on error"), 0u);
    EXPECT_EQ(StandInRegistryValueNames(kRootCurrentUser, kPath).size(), 5u);
    EXPECT_FALSE(StandInRegistryKeyExists(kRootLocalMachine, kPath));

    HostClearOutput();
    EXPECT_EQ(Torvane(u"/S! /Q"), 0);
    EXPECT_TRUE(HostStdout().empty());
    EXPECT_EQ(StoredDword(kRootLocalMachine, u"Hotkey"), 0x11u);

    HostClearOutput();
    EXPECT_EQ(Torvane(u"/s /s!"), 0) << "the later save target wins";
    EXPECT_NE(HostStdout().find(u"(HKLM\\Software"), std::u16string::npos);
}

TEST_F(CommandRegistry, RestoreAfterSaveBringsTheSettingsBack) {
    EXPECT_EQ(Torvane(u"alt-f3 /o:y /Q /S"), 0);
    Settings = kLoadTimeSettings;
    EXPECT_EQ(Torvane(u"/R /Q"), 0);
    EXPECT_EQ(Settings.hotkey, 0x1006A);
    EXPECT_EQ(Settings.overwrite, 1);
}

struct SaveFailureCase {
    const char* what;
    std::u16string arguments;
    bool failCreate;
    std::u16string failValue; // a value whose write fails, or empty
    std::u16string out;
    std::u16string err;
};

TEST_F(CommandRegistry, FailedSavesReportTheSystemTextAndReturnTwo) {
    const std::u16string report = Report(u"F3");
    const std::u16string hklm = u"Error saving settings to the registry "
                                u"(HKLM\\Software\\Varnholt\\Torvane) :\r\nAccess is denied.\r\n";
    const std::u16string hkcu = u"Error saving settings to the registry "
                                u"(HKCU\\Software\\Varnholt\\Torvane) :\r\nAccess is denied.\r\n";
    const SaveFailureCase cases[] = {
        {"no rights on the machine key", u"/S!", true, u"", report + u"\r\n", kErrorPrefix + hklm},
        {"quietly", u"/S! /Q", true, u"", u"\r\n", kErrorPrefix + hklm},
        {"one write fails", u"/S", false, u"Keep old args", report + u"\r\n", kErrorPrefix + hkcu},
    };
    for (const auto& c : cases) {
        ResetWorld();
        if (c.failCreate) StandInRegistryFailCreate(kRootLocalMachine, kErrorAccessDenied);
        if (!c.failValue.empty()) StandInRegistryFailWrite(c.failValue, kErrorAccessDenied);
        EXPECT_EQ(Torvane(c.arguments.c_str()), 2) << c.what;
        EXPECT_EQ(ToUtf8(HostStdout()), ToUtf8(c.out)) << c.what;
        EXPECT_EQ(ToUtf8(HostStderr()), ToUtf8(c.err)) << c.what;
    }
    // A system text longer than the command's 1024-character buffer is cut to fit it.
    ResetWorld();
    StandInSetSystemErrorText(kErrorAccessDenied, std::u16string(3000, u'x'));
    StandInRegistryFailCreate(kRootCurrentUser, kErrorAccessDenied);
    EXPECT_EQ(Torvane(u"/S /Q"), 2);
    EXPECT_EQ(HostStderr(), kErrorPrefix + hkcu.substr(0, hkcu.find(u"Access")) +
                                std::u16string(1023, u'x') + u"\r\n");
}

TEST_F(CommandRegistry, UnknownSystemErrorsShowTheirNumber) {
    StandInRegistryFailWrite(u"Hotkey", 1234);
    EXPECT_EQ(Torvane(u"/S /Q"), 2);
    EXPECT_EQ(HostStderr(), kErrorPrefix +
                                u"Error saving settings to the registry "
                                u"(HKCU\\Software\\Varnholt\\Torvane) :\r\nError 1234\r\n");
}

TEST_F(CommandRegistry, QuotedSaveOptionIsTheOption) {
    EXPECT_EQ(Torvane(u"\"/s\" /q"), 0);
    EXPECT_EQ(StoredDword(kRootCurrentUser, u"Hotkey"), 0x1003Du);
}

} // namespace
