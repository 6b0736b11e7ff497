// The text form of the registry's keys: written in one fixed layout, read back to the same keys,
// and refused whole, naming the first bad line, when a line is not understood.
#include "fixture.h"
#include "standins/registry_file.h"

namespace {

using StandInRegistryText = StandIns;

TEST_F(StandInRegistryText, TextFormRoundTrips) {
    StandInRegistrySetDword(kRootCurrentUser, kPath, u"Hotkey", 0x1003D);
    StandInRegistrySetValue(kRootCurrentUser, kPath, u"Text", kRegSz,
                            Bytes({'F', 0, '3', 0, 0, 0}));
    StandInRegistrySetValue(kRootCurrentUser, kPath, u"Empty", 3, "");
    StandInRegistrySetValue(kRootCurrentUser, kPath, u"Long", kRegDword, Bytes({1, 2, 3, 4, 5}));
    StandInRegistrySetDword(kRootCurrentUser, kPath, u"odd \"%\n\\ \u00E9", 7);
    StandInRegistryCreateKey(kRootLocalMachine, u"Software\\Empty key");
    const std::string text = StandInRegistryToText();
    const std::string expected =
        "; Registry of the Torvane console: one value a line under its key.\n"
        "[HKCU]\n"
        "[HKCU\\Software]\n"
        "[HKCU\\Software\\Varnholt]\n"
        "[HKCU\\Software\\Varnholt\\Torvane]\n"
        "\"Hotkey\"=dword:0001003d\n"
        "\"Text\"=hex(1):46,00,33,00,00,00\n"
        "\"Empty\"=hex(3):\n"
        "\"Long\"=hex(4):01,02,03,04,05\n"
        "\"odd %22%25%0A\\ \xC3\xA9\"=dword:00000007\n"
        "[HKLM]\n"
        "[HKLM\\Software]\n"
        "[HKLM\\Software\\Empty key]\n";
    EXPECT_EQ(text, expected);
    ResetStandIns();
    int line = 0;
    ASSERT_TRUE(StandInRegistryFromText(text, &line));
    EXPECT_EQ(StandInRegistryToText(), expected);
}

struct CorruptCase {
    std::string text;
    int line;
};

TEST_F(StandInRegistryText, CorruptTextIsRefusedWhole) {
    const CorruptCase cases[] = {
        {"\"Hotkey\"=dword:00000001\n", 1},
        {"[HKCU\\A]\n\"x\"=dword:1\n", 2},
        {"[HKCU\\A]\n\"x\"=dword:000000011\n", 2},
        {"[HKCU\\A]\n\"x\"=hex(4):1,2\n", 2},
        {"[HKCU\\A]\n\"x\"=hex(4):01,\n", 2},
        {"[HKCU\\A]\n\"x\"=qword:01\n", 2},
        {"[HKCU\\A]\r\n; note\r\n\r\n\"x\" = dword:00000001\r\n", 4},
        {"[HKCU\\A]\n\"x=dword:00000001\n", 2},
        {"[HKCU\\A]\n\"%4\"=dword:00000001\n", 2},
        {"[HKCR\\A]\n", 1},
        {"[HKCU\\\\A]\n", 1},
        {"[HKCU\\A\\]\n", 1},
        {"[HKCU\\A\n", 1},
        {"[]\n", 1},
        {"\x01\x02garbage", 1},
    };
    for (const auto& c : cases) {
        ResetStandIns();
        StandInRegistrySetDword(kRootCurrentUser, kPath, u"Keep", 1);
        int line = 0;
        EXPECT_FALSE(StandInRegistryFromText(c.text, &line)) << c.text;
        EXPECT_EQ(line, c.line) << c.text;
        EXPECT_TRUE(StandInRegistryGetValue(kRootCurrentUser, kPath, u"Keep").exists) << c.text;
    }
}

} // namespace
