#include <cstring>

#include "keys/key_reports.h"
#include "world.h"

namespace {

using KeyReports = World;

struct NameCase {
    std::u16string name;
    int modifiers; // Shift 1, Ctrl 2, Alt 4
    int32_t hotkey;
    const char* expect;
};

TEST_F(KeyReports, KeysReportedByNameAreRoutedByTheirCode) {
    const NameCase cases[] = {
        {u"Enter", 0, 0x1003D, "capture"},
        {u"enter", 0, 0x1003D, "capture"},
        {u"ENTER", 0, 0x1003D, "capture"},
        {u"Shift-Enter", 0, 0x80D, "recall"},
        {u"Shift-Enter", 0, 0x1003D, "none"},
        {u"Ctrl-Enter", 0, 0xC0D, "recall"},
        {u"Ctrl-Enter", 0, 0x1003D, "none"},
        {u"Alt-Enter", 0, 0x1003D, "none"},
        {u"F3", 0, 0x1003D, "recall"},
        {u"Ctrl-A", 0, 0x1, "recall"}, // 1, the lowest code a table holds
        {u"f3", 0, 0x1003D, "recall"},
        {u"Ctrl-M", 0, 0x1003D, "capture"},
        {u"A", 0, 0x1003D, "none"},
        {u"", 0, 0x1003D, "none"},
        {u"Foo", 0, 0x1003D, "none"},
        {u" Enter", 0, 0x1003D, "none"},
        {u"Enter ", 0, 0x1003D, "none"},
        {u"Num-", 0, 0x1003D, "none"},
        {u"-", 0, 0x1003D, "none"},
        {u"Enter", 1, 0x1003D, "capture"},
        {u"Enter", 5, 0x1003D, "capture"},
        {u"Enter", 3, 0x1003D, "none"},
        {u"Enter", 3, 0x2000D, "recall"},
        {u"Enter", 6, 0x4000D, "recall"},
        {u"Enter", 7, 0x6000D, "recall"},
        {u"Shift-F3", 3, 0x30056, "recall"},
        {u"Ctrl-F1", 7, 0x7005E, "recall"},
        {u"Ctrl-Alt-Shift-F1", 7, 0x7005E, "recall"},
        {u"Ctrl-Alt-Shift-F1", 0, 0x7005E, "recall"},
        {u"Ctrl-Alt-Shift-B", 0, 0x7003E, "recall"},
        {u"Alt-Plus", 0, 0x10083, "recall"},
        {u"Ctrl-PageUp", 0, 0x10084, "recall"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "name \"" << ToUtf8(c.name) << "\" modifiers "
                                        << c.modifiers << " hotkey 0x" << std::hex << c.hotkey);
        ResetWorld();
        extendedKeys = true;
        Enter(u"copy a b");
        Settings.hotkey = c.hotkey;
        StandInSetModifiers(c.modifiers);
        EditLine line(u"run x y", 0);
        line.SetName(c.name);
        EXPECT_EQ(key(&line.record), 0);
        EXPECT_EQ(Outcome(line), c.expect);
    }
}

TEST_F(KeyReports, IgnoredNamesLeaveTheRecordAlone) {
    const char16_t* const names[] = {u"Alt-Enter", u"A", u"", u"Foo", u"Ctrl-C"};
    for (const char16_t* name : names) {
        SCOPED_TRACE("name: " + ToUtf8(name));
        ResetWorld();
        extendedKeys = true;
        EditLine line(u"run x y", 0);
        line.SetName(name);
        KeystrokeRecord before = line.record;
        key(&line.record);
        EXPECT_EQ(std::memcmp(&before, &line.record, sizeof before), 0) << ToUtf8(name);
        EXPECT_EQ(std::u16string(line.name), name);
        EXPECT_EQ(SavedArgs, nullptr) << ToUtf8(name);
    }
}

TEST_F(KeyReports, TheNameIsReadOnlyWhenTheCodeIsZero) {
    extendedKeys = true;
    Enter(u"copy a b");
    EditLine captured(u"run x y", 13);
    captured.SetName(u"F3");
    key(&captured.record);
    EXPECT_EQ(Outcome(captured), "capture");

    Enter(u"copy a b");
    EditLine recalled(u"run x y", 0x1003D);
    recalled.SetName(u"Enter");
    key(&recalled.record);
    EXPECT_EQ(Outcome(recalled), "recall");

    EditLine unnamed(u"run x y", 0);
    KeystrokeRecord before = unnamed.record;
    EXPECT_EQ(key(&unnamed.record), 0);
    EXPECT_EQ(std::memcmp(&before, &unnamed.record, sizeof before), 0);
}

TEST_F(KeyReports, OlderHostsIgnoreNamesAndCtrlAltShift) {
    Enter(u"copy a b");
    for (const char16_t* name : {u"Enter", u"F3"}) {
        EditLine line(u"run x y", 0);
        line.SetName(name);
        key(&line.record);
        EXPECT_EQ(Outcome(line), "none") << ToUtf8(name);
    }
    Settings.hotkey = 0x7005E;
    StandInSetModifiers(7);
    EditLine line(u"run x y", 0x1005E);
    key(&line.record);
    EXPECT_EQ(Outcome(line), "none");
}

TEST_F(KeyReports, RecallByNameConsumesTheKey) {
    extendedKeys = true;
    Enter(u"copy a b");
    EditLine line(u"run x y", 0);
    line.SetName(u"F3");
    key(&line.record);
    EXPECT_EQ(line.Text(), u"run x y a b");
    EXPECT_EQ(line.record.keyCode, 0);
    EXPECT_EQ(line.name[0], 0);
}

TEST_F(KeyReports, AnOverlongReportedNameIsIgnored) {
    extendedKeys = true;
    Enter(u"copy a b");
    std::u16string name = u"Ctrl-" + std::u16string(5000, u'F') + u"3";
    EditLine line(u"run x y", 0);
    line.record.keyName = name.data();
    key(&line.record);
    EXPECT_EQ(Outcome(line), "none");
    EXPECT_EQ(CodeOfReportedKeyName(name.c_str()), 0);
}

} // namespace
