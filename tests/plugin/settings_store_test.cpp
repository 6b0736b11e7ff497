#include <cstring>

#include "world.h"

namespace {

using PluginSettingsStore = World;

std::string Dword(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

struct Stored {
    std::u16string name;
    uint32_t type;
    std::string bytes;
};

Stored D(const std::u16string& name, uint32_t value) {
    return {name, kRegDword, Dword(value)};
}

void Store(RegistryKey root, const std::vector<Stored>& values) {
    StandInRegistryCreateKey(root, SettingsKeyPath);
    for (const Stored& v : values)
        StandInRegistrySetValue(root, SettingsKeyPath, v.name, v.type, v.bytes);
}

bool SameSettings(const SettingsRecord& a, const SettingsRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Show(const SettingsRecord& s) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "{0x%X, %d, %d, %d, %d, %d}", s.hotkey, s.overwrite,
                  s.breakAtSlash, s.keepOldArgs, s.beepOnError, s.traceMessages);
    return buffer;
}

// What the settings held before a load.
constexpr SettingsRecord kBefore = kEverySettingChanged;

struct LoadCase {
    const char* what;
    bool keyExists;
    std::vector<Stored> values;
    bool extended;
    int result;
    SettingsRecord after;
};

TEST_F(PluginSettingsStore, LoadTakesOnlyGoodShapes) {
    const std::string eight = Dword(0x1003D) + Dword(0);
    const LoadCase cases[] = {
        {"no key", false, {}, false, 1, kBefore},
        {"empty key", true, {}, false, 1, kBefore},
        {"hotkey only", true, {D(u"Hotkey", 0x1003D)}, false, 0, {.traceMessages = 1}},
        {"all five",
         true,
         {D(u"Hotkey", 0x10060), D(u"Overwrite", 1), D(u"Break at slash", 0),
          D(u"Keep old args", 1), D(u"Beep on error", 0)},
         false,
         0,
         {.hotkey = 0x10060,
          .overwrite = 1,
          .breakAtSlash = 0,
          .keepOldArgs = 1,
          .beepOnError = 0,
          .traceMessages = 1}},
        {"hotkey missing, good yes/no values",
         true,
         {D(u"Overwrite", 0), D(u"Break at slash", 1), D(u"Keep old args", 0),
          D(u"Beep on error", 1)},
         false,
         1,
         kBefore},
        {"hotkey as text",
         true,
         {{u"Hotkey", kRegSz, std::string("F\0003\0\0\0", 6)}},
         false,
         1,
         kBefore},
        {"hotkey 0", true, {D(u"Hotkey", 0)}, false, 1, kBefore},
        {"hotkey 0xFFFFFFFE", true, {D(u"Hotkey", 0xFFFFFFFE)}, false, 1, kBefore},
        {"hotkey 0xFFFFFFFF", true, {D(u"Hotkey", 0xFFFFFFFF)}, false, 1, kBefore},
        {"hotkey in no table", true, {D(u"Hotkey", 0x3004E)}, true, 1, kBefore},
        {"extended-only hotkey, older host", true, {D(u"Hotkey", 0x70060)}, false, 1, kBefore},
        {"extended-only hotkey, newer host",
         true,
         {D(u"Hotkey", 0x70060)},
         true,
         0,
         {.hotkey = 0x70060, .traceMessages = 1}},
        {"hotkey of 8 bytes", true, {{u"Hotkey", kRegDword, eight}}, false, 1, kBefore},
        {"hotkey as a 64-bit value", true, {{u"Hotkey", 11, eight}}, false, 1, kBefore},
        {"hotkey of 2 bytes",
         true,
         {{u"Hotkey", kRegDword, std::string("\x3D\x00", 2)}},
         false,
         1,
         kBefore},
        {"out-of-range yes/no values",
         true,
         {D(u"Hotkey", 0x11), D(u"Overwrite", 2), D(u"Break at slash", 0xFFFFFFFF),
          D(u"Keep old args", 0x80000001), D(u"Beep on error", 7)},
         false,
         0,
         {.hotkey = 0x11, .traceMessages = 1}},
        {"yes/no values of other types or sizes",
         true,
         {D(u"Hotkey", 0x11),
          {u"Overwrite", kRegSz, std::string("1\0\0\0", 4)},
          {u"Break at slash", 3, Dword(0)},
          {u"Keep old args", kRegDword, Dword(1) + Dword(0)},
          {u"Beep on error", kRegDword, std::string("\0", 1)}},
         false,
         0,
         {.hotkey = 0x11, .traceMessages = 1}},
        {"names in other cases, other values ignored",
         true,
         {D(u"HOTKEY", 0x11), D(u"overwrite", 1), D(u"Trace messages", 0), D(u"Beep On Error", 0)},
         false,
         0,
         {.hotkey = 0x11, .overwrite = 1, .beepOnError = 0, .traceMessages = 1}},
    };
    for (const auto& c : cases) {
        ResetWorld();
        if (c.keyExists) Store(kRootCurrentUser, c.values);
        extendedKeys = c.extended;
        Settings = kBefore;
        EXPECT_EQ(LoadSettings(kRootCurrentUser), c.result) << c.what;
        EXPECT_TRUE(SameSettings(Settings, c.after)) << c.what << ": " << Show(Settings);
        EXPECT_EQ(StandInRegistryOpenHandles(), 0u) << c.what;
    }
}

TEST_F(PluginSettingsStore, LoadQueriesAllFiveValuesWithPresetWords) {
    Store(kRootCurrentUser, {D(u"Overwrite", 1)});
    EXPECT_EQ(LoadSettings(kRootCurrentUser), 1);
    std::vector<std::string> log;
    for (const auto& call : StandInRegistryCalls())
        log.push_back(StandInRegistryCallText(call));
    const std::vector<std::string> expected = {
        "open HKCU\\Software\\Varnholt\\Torvane access=0x20019 -> 0",
        "query Hotkey type=0 size=4 data=0xFFFFFFFF -> 2",
        "query Overwrite type=0 size=4 data=0xFFFFFFFF -> 0",
        "query Break at slash type=0 size=4 data=0xFFFFFFFF -> 2",
        "query Keep old args type=0 size=4 data=0xFFFFFFFF -> 2",
        "query Beep on error type=0 size=4 data=0xFFFFFFFF -> 2",
        "close HKCU\\Software\\Varnholt\\Torvane",
    };
    EXPECT_EQ(log, expected);
}

TEST_F(PluginSettingsStore, LoadThatCannotOpenTouchesNothing) {
    const int32_t codes[] = {5, 2, 1018};
    for (int32_t code : codes) {
        ResetWorld();
        Store(kRootLocalMachine, {D(u"Hotkey", 0x11)});
        StandInRegistryFailOpen(kRootLocalMachine, code);
        EXPECT_EQ(LoadSettings(kRootLocalMachine), 1) << code;
        EXPECT_TRUE(SameSettings(Settings, kLoadTimeSettings)) << code;
        ASSERT_EQ(StandInRegistryCalls().size(), 1u) << "no query and no close after " << code;
    }
}

TEST_F(PluginSettingsStore, LoadOfFailingQueriesUsesFallbacks) {
    Store(kRootCurrentUser, {D(u"Hotkey", 0x11), D(u"Overwrite", 1), D(u"Keep old args", 1)});
    StandInRegistryFailQuery(u"Overwrite", 5);
    EXPECT_EQ(LoadSettings(kRootCurrentUser), 0);
    EXPECT_EQ(Settings.overwrite, 0);
    EXPECT_EQ(Settings.keepOldArgs, 1);
    StandInRegistryFailQuery(u"Hotkey", 5);
    Settings = kBefore;
    EXPECT_EQ(LoadSettings(kRootCurrentUser), 1);
    EXPECT_TRUE(SameSettings(Settings, kBefore));
}

struct DefaultsCase {
    SettingsRecord before;
    SettingsRecord after;
};

TEST_F(PluginSettingsStore, DefaultsLeaveBreakAtSlashAlone) {
    const DefaultsCase cases[] = {
        {kLoadTimeSettings, kLoadTimeSettings},
        {kBefore, {.breakAtSlash = 0}},
        {{0x70060, 5, 7, 5, 0, 9}, {0x1003D, 0, 7, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        Settings = c.before;
        SetDefaultSettings();
        EXPECT_TRUE(SameSettings(Settings, c.after)) << Show(c.before);
    }
}

TEST_F(PluginSettingsStore, SaveWritesFiveDwordsInOrder) {
    Settings = kEverySettingChanged;
    EXPECT_EQ(SaveSettings(kRootCurrentUser), 0);
    std::vector<std::string> log;
    for (const auto& call : StandInRegistryCalls())
        log.push_back(StandInRegistryCallText(call));
    const std::vector<std::string> expected = {
        "create HKCU\\Software\\Varnholt\\Torvane access=0x20006 -> 0",
        "set Hotkey type=4 size=4 data=0x11 -> 0",
        "set Overwrite type=4 size=4 data=0x1 -> 0",
        "set Break at slash type=4 size=4 data=0x0 -> 0",
        "set Keep old args type=4 size=4 data=0x1 -> 0",
        "set Beep on error type=4 size=4 data=0x0 -> 0",
        "close HKCU\\Software\\Varnholt\\Torvane",
    };
    EXPECT_EQ(log, expected);
    const std::vector<std::u16string> names = {u"Hotkey", u"Overwrite", u"Break at slash",
                                               u"Keep old args", u"Beep on error"};
    EXPECT_EQ(StandInRegistryValueNames(kRootCurrentUser, SettingsKeyPath), names)
        << "traceMessages is never stored";
    EXPECT_FALSE(StandInRegistryKeyExists(kRootLocalMachine, SettingsKeyPath));
    EXPECT_TRUE(SameSettings(Settings, kBefore)) << "saving changes nothing";
    EXPECT_EQ(StandInRegistryOpenHandles(), 0u);
}

struct SaveFailureCase {
    int32_t createCode;
    std::vector<std::pair<std::u16string, int32_t>> writeCodes;
    int result;
    size_t valuesWritten;
};

TEST_F(PluginSettingsStore, SaveReportsTheLastFailingWrite) {
    const SaveFailureCase cases[] = {
        {5, {}, 5, 0},
        {1016, {{u"Hotkey", 5}}, 1016, 0},
        {0, {{u"Hotkey", 5}}, 5, 4},
        {0, {{u"Hotkey", 5}, {u"Overwrite", 1016}}, 1016, 3},
        {0, {{u"Keep old args", 6}, {u"Overwrite", 5}}, 6, 3},
        {0, {{u"Beep on error", 1018}, {u"Hotkey", 5}}, 1018, 3},
        {0,
         {{u"Hotkey", 5},
          {u"Overwrite", 6},
          {u"Break at slash", 87},
          {u"Keep old args", 1016},
          {u"Beep on error", 1018}},
         1018,
         0},
    };
    for (const auto& c : cases) {
        std::string row = "create fails with " + std::to_string(c.createCode) + ", writes with";
        for (const auto& [name, code] : c.writeCodes)
            row += " " + ToUtf8(name) + ":" + std::to_string(code);
        SCOPED_TRACE(row);
        ResetWorld();
        StandInRegistryFailCreate(kRootLocalMachine, c.createCode);
        for (const auto& [name, code] : c.writeCodes)
            StandInRegistryFailWrite(name, code);
        EXPECT_EQ(SaveSettings(kRootLocalMachine), c.result);
        EXPECT_EQ(StandInRegistryValueNames(kRootLocalMachine, SettingsKeyPath).size(),
                  c.valuesWritten);
        size_t sets = 0;
        for (const auto& call : StandInRegistryCalls())
            sets += call.function == "set";
        EXPECT_EQ(sets, c.createCode == 0 ? 5u : 0u) << "every write is attempted";
        EXPECT_EQ(StandInRegistryCalls().back().function, c.createCode == 0 ? "close" : "create");
        EXPECT_EQ(StandInRegistryOpenHandles(), 0u);
    }
}

TEST_F(PluginSettingsStore, SaveAndLoadRoundTrip) {
    const SettingsRecord records[] = {
        kLoadTimeSettings,
        {.hotkey = 0x11, .overwrite = 1, .breakAtSlash = 0, .keepOldArgs = 1, .beepOnError = 0},
        {.hotkey = 0x50060, .breakAtSlash = 0, .beepOnError = 0, .traceMessages = 1},
        {.hotkey = 0x7003E, .overwrite = 1, .keepOldArgs = 1, .traceMessages = 1}};
    extendedKeys = true;
    for (const SettingsRecord& r : records) {
        SCOPED_TRACE(Show(r));
        Settings = r;
        ASSERT_EQ(SaveSettings(kRootCurrentUser), 0);
        Settings = kBefore;
        Settings.traceMessages = 7;
        EXPECT_EQ(LoadSettings(kRootCurrentUser), 0) << Show(r);
        SettingsRecord expected = r;
        expected.traceMessages = 7;
        EXPECT_TRUE(SameSettings(Settings, expected)) << Show(r) << " became " << Show(Settings);
    }
}

TEST_F(PluginSettingsStore, ReloadFallsBackToLoadTimeValuesNotCurrentOnes) {
    Store(kRootCurrentUser, {D(u"Hotkey", 0x1003D)});
    Settings.overwrite = 1;
    Settings.breakAtSlash = 0;
    Settings.beepOnError = 0;
    EXPECT_EQ(LoadSettings(kRootCurrentUser), 0);
    EXPECT_EQ(Settings.overwrite, 0);
    EXPECT_EQ(Settings.breakAtSlash, 1);
    EXPECT_EQ(Settings.beepOnError, 1);
}

} // namespace
