// Which keys reach capture and recall, the held modifiers' bits added to their codes.
#include <cstring>

#include "world.h"

namespace {

using RecallDispatch = World;

struct DispatchCase {
    int32_t keyCode;
    int modifiers; // Shift 1, Ctrl 2, Alt 4
    int32_t hotkey;
    bool extended;
    const char* expect; // "capture", "recall" or "none"
};

TEST_F(RecallDispatch, DispatchAddsModifierBitsThenRoutes) {
    const DispatchCase cases[] = {
        {13, 0, 0x1003D, false, "capture"},     {13, 1, 0x1003D, false, "capture"},
        {13, 2, 0x1003D, false, "capture"},     {13, 4, 0x1003D, false, "capture"},
        {13, 5, 0x1003D, false, "capture"},     {13, 3, 0x1003D, false, "none"},
        {13, 6, 0x1003D, false, "none"},        {13, 3, 0x2000D, false, "recall"},
        {13, 6, 0x4000D, false, "recall"},      {13, 7, 0x1003D, false, "capture"},
        {13, 7, 0x1003D, true, "none"},         {13, 0, 13, false, "capture"},
        {0x1003D, 0, 0x1003D, false, "recall"}, {0x1003D, 3, 0x1003D, false, "none"},
        {0x10056, 3, 0x30056, false, "recall"}, {0x10060, 6, 0x50060, false, "recall"},
        {0x30056, 3, 0x30056, false, "recall"}, {0x1005E, 7, 0x1005E, false, "recall"},
        {0x1005E, 7, 0x7005E, true, "recall"},  {0x7005E, 7, 0x7005E, true, "recall"},
        {0x1003D, 0, 0x1003E, false, "none"},   {0x1003D, 5, 0x1003D, false, "recall"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "code 0x" << std::hex << c.keyCode << " modifiers " << c.modifiers
                     << " hotkey 0x" << c.hotkey << (c.extended ? " extended" : " legacy"));
        ResetWorld();
        Enter(u"copy a b");
        Settings.hotkey = c.hotkey;
        extendedKeys = c.extended;
        StandInSetModifiers(c.modifiers);
        EditLine line(u"run x y", c.keyCode);
        EXPECT_EQ(key(&line.record), 0);
        EXPECT_EQ(Outcome(line), c.expect);
    }
}

TEST_F(RecallDispatch, HotkeyZeroDisablesEverything) {
    Settings.hotkey = 0;
    EditLine line(u"copy a b", 13);
    EXPECT_EQ(key(&line.record), 0);
    EXPECT_EQ(SavedArgs, nullptr);
}

TEST_F(RecallDispatch, KeyCodeZeroIsIgnoredOnOlderHosts) {
    Enter(u"copy a b");
    EditLine line(u"x", 0);
    line.SetName(u"F3");
    KeystrokeRecord before = line.record;
    key(&line.record);
    EXPECT_EQ(std::memcmp(&before, &line.record, sizeof before), 0);
    EXPECT_EQ(line.Text(), u"x");
    EXPECT_EQ(std::u16string(line.name), u"F3");
}

} // namespace
