#include <string>
#include <vector>

#include "plugin/identity.h"
#include "plugin/version.h"
#include "world.h"

namespace {

using PluginLifecycle = World;

struct ProbeCase {
    const char16_t* version; // null: the host does not know %_4ver
    int32_t hostVersion;
};

TEST_F(PluginLifecycle, ProbeReadsTheHostsMajorVersion) {
    // Leading zeros up to the last character the host's expansion buffer holds.
    const std::u16string filled = std::u16string(kExpandBufferSize - 3, u'0') + u"24";
    const ProbeCase cases[] = {
        {u"23", 23},
        {u"24", 24},
        {u"100", 100},
        {u"8", 8},
        {u"101", 0},
        {u"7", 0},
        {u"0", 0},
        {u"", 0},
        {u" 25", 25},
        {u"\t\u00A0\u3000 25", 25},
        {u"25.1", 25},
        {u"0024x", 24},
        {filled.c_str(), 24},
        {u"+30", 30},
        {u"-30", 0},
        {u"- 30", 0},
        {u"-4294967272", 24}, // minus negates modulo 2^32
        {u"4294967296", 0},
        {u"4294967320", 0}, // 2^32 + 24: an overflow, not 24
        {u"99999999999999999999999", 0},
        {u"v24", 0},
        {nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("_4ver: " + (c.version == nullptr ? "(unset)" : ToUtf8(c.version)));
        ResetWorld();
        if (c.version == nullptr)
            HostUnsetVariable(u"_4ver");
        else
            HostSetVariable(u"_4ver", c.version);
        EXPECT_EQ(InitializePlugin(), 0);
        EXPECT_EQ(HostVersion, c.hostVersion);
        EXPECT_EQ(extendedKeys, c.hostVersion >= 24);
        // The version, then the banner's flags: each expansion asks the host with the flag 1.
        EXPECT_EQ(HostExpandFlags(), (std::vector<int>{1, 1}));
    }
}

// A second start reads the version again: nothing of the first start's finding is kept.
TEST_F(PluginLifecycle, ASecondStartProbesAgain) {
    const ProbeCase starts[] = {{u"24", 24}, {u"4294967296", 0}, {u"30", 30}, {u"v24", 0}};
    for (const auto& c : starts) {
        SCOPED_TRACE("_4ver: " + ToUtf8(c.version));
        HostSetVariable(u"_4ver", c.version);
        EXPECT_EQ(InitializePlugin(), 0);
        EXPECT_EQ(HostVersion, c.hostVersion);
        EXPECT_EQ(extendedKeys, c.hostVersion >= 24);
    }
}

struct BannerCase {
    const char16_t* transient;
    const char16_t* pipe;
    const char16_t* noloadmsg; // null: not set
    bool shown;
};

TEST_F(PluginLifecycle, BannerOnlyWhenTheFlagsExpandToExactly00) {
    const BannerCase cases[] = {{u"0", u"0", nullptr, true},     {u"0", u"0", u"", true},
                                {u"1", u"0", nullptr, false},    {u"0", u"1", nullptr, false},
                                {u"0", u"0", u"1", false},       {u"0", u"0", u"x", false},
                                {u"0", u"0", u" ", false},       {u"", u"00", nullptr, true},
                                {nullptr, u"0", nullptr, false}, {u"00", u"", nullptr, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE((c.transient ? ToUtf8(c.transient) : "-") + "|" + ToUtf8(c.pipe) + "|" +
                     (c.noloadmsg ? ToUtf8(c.noloadmsg) : "-"));
        ResetWorld();
        if (c.transient == nullptr)
            HostUnsetVariable(u"_transient");
        else
            HostSetVariable(u"_transient", c.transient);
        HostSetVariable(u"_pipe", c.pipe);
        if (c.noloadmsg != nullptr) HostSetVariable(u"noloadmsg", c.noloadmsg);
        InitializePlugin();
        std::u16string expected =
            c.shown ? u"Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is F3.\r\n" : u"";
        EXPECT_EQ(HostStdout(), expected);
        EXPECT_TRUE(HostStderr().empty());
    }
}

struct StartCase {
    const char16_t* version;
    int32_t userHotkey; // 0: no user key
    int32_t userOpenFailure;
    int32_t machineHotkey; // 0: no machine key
    int32_t hotkey;
    const char16_t* banner;
    const char* rootsOpened;
};

TEST_F(PluginLifecycle, StartUpLoadsUserKeyThenMachineKey) {
    const StartCase cases[] = {
        {u"23", 0, 0, 0, 0x1003D, u"F3", "CM"},
        {u"23", 0x11, 0, 0x1003E, 0x11, u"Ctrl-Q", "C"},
        {u"23", 0, 0, 0x1003E, 0x1003E, u"F4", "CM"},
        {u"23", 0x11, 5, 0x1003E, 0x1003E, u"F4", "CM"},
        {u"23", 0x3004E, 0, 0x11, 0x11, u"Ctrl-Q", "CM"},
        {u"23", 0x70060, 0, 0, 0x1003D, u"F3", "CM"},
        {u"24", 0x70060, 0, 0, 0x70060, u"Ctrl-Alt-Shift-F3", "C"},
        {u"24", 0x7003E, 0, 0, 0x7003E, u"Ctrl-Alt-Shift-B", "C"},
        {u"23", 0x3004A, 0, 0, 0x3004A, u"Ctrl-Shift-Num+", "C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "_4ver " << ToUtf8(c.version) << ", user key 0x" << std::hex << c.userHotkey
                     << " (open fails with " << std::dec << c.userOpenFailure << "), machine key 0x"
                     << std::hex << c.machineHotkey);
        ResetWorld();
        HostSetVariable(u"_4ver", c.version);
        if (c.userHotkey != 0)
            StandInRegistrySetDword(kRootCurrentUser, SettingsKeyPath, u"Hotkey", c.userHotkey);
        if (c.machineHotkey != 0)
            StandInRegistrySetDword(kRootLocalMachine, SettingsKeyPath, u"Hotkey", c.machineHotkey);
        StandInRegistryFailOpen(kRootCurrentUser, c.userOpenFailure);
        EXPECT_EQ(InitializePlugin(), 0);
        EXPECT_EQ(Settings.hotkey, c.hotkey);
        EXPECT_EQ(HostStdout(), u"Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is " +
                                    std::u16string(c.banner) + u".\r\n");
        std::string opened;
        for (const auto& call : StandInRegistryCalls()) {
            EXPECT_TRUE(call.function != "create" && call.function != "set")
                << "start-up only reads";
            if (call.function == "open") opened += call.key[2] == u'C' ? "C" : "M";
        }
        EXPECT_EQ(opened, c.rootsOpened);
        EXPECT_EQ(StandInRegistryOpenHandles(), 0u);
    }
}

TEST_F(PluginLifecycle, StartUpResetsToDefaultsBeforeLoading) {
    Settings = kEverySettingChanged;
    StandInRegistrySetDword(kRootLocalMachine, SettingsKeyPath, u"Overwrite", 1); // no hotkey
    InitializePlugin();
    EXPECT_EQ(Settings.hotkey, 0x1003D);
    EXPECT_EQ(Settings.overwrite, 0);
    EXPECT_EQ(Settings.breakAtSlash, 0) << "the defaults leave it alone";
    EXPECT_EQ(Settings.keepOldArgs, 0);
    EXPECT_EQ(Settings.beepOnError, 1);
    EXPECT_EQ(Settings.traceMessages, 0);
}

TEST_F(PluginLifecycle, PluginInfoIsOneRecordFilledOnEveryCall) {
    PluginInfoRecord* first = GetPluginInfo();
    first->name = u"scribbled";
    first->build = 99;
    PluginInfoRecord* second = GetPluginInfo();
    EXPECT_EQ(first, second);
    const std::pair<const char16_t*, const char16_t*> texts[] = {
        {second->name, u"Torvane"},
        {second->author, u"Torvane developers"},
        {second->email, u"torvane@example.org"},
        {second->webPage, u"https://example.org/torvane"},
        {second->description, u"Torvane plugin"},
        {second->implements, u"Torvane,*key"},
    };
    for (const auto& [got, want] : texts)
        EXPECT_EQ(std::u16string(got), want);
    EXPECT_EQ(second->major, 1);
    EXPECT_EQ(second->minor, 0);
    EXPECT_EQ(second->build, 1);
    EXPECT_TRUE(HostStdout().empty());
    EXPECT_TRUE(StandInRegistryCalls().empty()) << "no host or registry call before start-up";
}

TEST_F(PluginLifecycle, ShutdownWithoutCapturedArgs) {
    EXPECT_EQ(ShutdownPlugin(), 0);
    EXPECT_EQ(SavedArgs, nullptr);
    InitializePlugin();
    Enter(u"copy a b");
    ASSERT_NE(SavedArgs, nullptr);
    EXPECT_EQ(ShutdownPlugin(), 0);
    EXPECT_EQ(SavedArgs, nullptr);
    EXPECT_EQ(ShutdownPlugin(), 0);
    EXPECT_EQ(Settings.hotkey, 0x1003D) << "shut-down leaves the settings";
}

TEST_F(PluginLifecycle, ShutdownReleasesSavedArgs) {
    EXPECT_EQ(ShutdownPlugin(), 0);
    Enter(u"copy a b");
    EXPECT_EQ(ShutdownPlugin(), 0);
    EXPECT_EQ(SavedArgs, nullptr);
}

} // namespace
