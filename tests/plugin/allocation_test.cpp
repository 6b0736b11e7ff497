// Only capture allocates: one block per Enter with arguments, and nothing on any other key, the
// hotkey or any form of the command.
//
// How it counts: the plug-in's heap is PlatformAllocate, whose stand-in counts every request. The
// plug-in must also never reach operator new, so this binary replaces it and counts the calls made
// while one export runs. The stand-ins run inside that window too, so their recording is switched
// off (then the host's operations, sounds and console writes allocate nothing) and a row marks the
// calls whose stand-ins allocate by design (the registry's maps and strings): for those only the
// plug-in's heap is checked. Counting the whole call, not guessing which code allocated, keeps the
// test exact and free of timing or address tricks.
#include <cstdlib>
#include <new>

#include "keys/key_reports.h"
#include "keys/key_tables.h"
#include "world.h"

namespace {

using PluginAllocation = World;

bool countingNew = false;
size_t newCalls = 0;

} // namespace

void* operator new(std::size_t size) {
    if (countingNew) ++newCalls;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

struct Allocations {
    size_t heap;  // the plug-in's heap requests
    size_t news;  // operator new calls
    size_t bytes; // the bytes the heap requests asked for
};

// The allocations made while call runs, with the stand-ins recording nothing.
template <typename Call> Allocations Count(Call call) {
    HostSetRecording(false);
    StandInSetRecording(false);
    const size_t heapBefore = StandInAllocationCount();
    const size_t bytesBefore = StandInAllocatedBytes();
    newCalls = 0;
    countingNew = true;
    call();
    countingNew = false;
    return {StandInAllocationCount() - heapBefore, newCalls, StandInAllocatedBytes() - bytesBefore};
}

// Every key code and, on hosts that report them, every key name of the active table that is
// neither Enter nor the hotkey, on a line whose arguments are saved.
TEST_F(PluginAllocation, NoKeyButEnterAllocates) {
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended table" : "legacy table");
        ResetWorld();
        extendedKeys = extended;
        Enter(u"copy a b");
        const KeyTable& table = ActiveKeyTable();
        size_t keys = 0;
        for (size_t row = 0; row < table.rowCount; ++row) {
            for (size_t column = 0; column < table.columnCount; ++column) {
                const int32_t code = table.rows[row].codes[column];
                const std::u16string name =
                    std::u16string(ModifierPrefixes[column]) + table.rows[row].name;
                if (code > 0 && code != kEnterCode && code != Settings.hotkey) {
                    EditLine line(u"copy a| b", code);
                    Allocations counted = Count([&] { key(&line.record); });
                    EXPECT_EQ(counted.heap + counted.news, 0u) << "code 0x" << std::hex << code;
                    ++keys;
                }
                const int32_t named = CodeOfReportedKeyName(name.c_str());
                if (extended && named != kEnterCode && named != Settings.hotkey) {
                    EditLine line(u"copy a| b", 0);
                    line.SetName(name);
                    Allocations counted = Count([&] { key(&line.record); });
                    EXPECT_EQ(counted.heap + counted.news, 0u) << "name " << ToUtf8(name);
                    ++keys;
                }
            }
        }
        EXPECT_GT(keys, table.rowCount) << "the keys of the table were tried";
    }
}

struct KeyCase {
    const char* what;
    bool extended;
    int overwrite;
    const char16_t* saved; // the line captured first; null: nothing saved
    int32_t code;
    const char16_t* name; // reported by name when given (code 0)
    const char16_t* line;
    size_t heap;
    size_t bytes; // SavedArgs: its characters and the terminator, two bytes each
};

TEST_F(PluginAllocation, OnlyEnterWithArgumentsAllocatesOneBlock) {
    const KeyCase cases[] = {
        {"hotkey, nothing saved", false, 0, nullptr, 0x1003D, nullptr, u"x", 0, 0},
        {"hotkey, nothing saved, overwrite", false, 1, nullptr, 0x1003D, nullptr, u"x", 0, 0},
        {"hotkey, insert", false, 0, u"copy a b", 0x1003D, nullptr, u"x |y", 0, 0},
        {"hotkey, overwrite", false, 1, u"copy a b", 0x1003D, nullptr, u"x |y", 0, 0},
        {"hotkey by name, insert", true, 0, u"copy a b", 0, u"F3", u"x |y", 0, 0},
        {"hotkey by name, overwrite", true, 1, u"copy a b", 0, u"F3", u"x |y", 0, 0},
        {"hotkey by name, nothing saved", true, 0, nullptr, 0, u"F3", u"x", 0, 0},
        {"Enter with arguments", false, 0, nullptr, 13, nullptr, u"copy a b", 1, 8},
        {"Enter with arguments again", false, 0, u"copy a b", 13, nullptr, u"copy c d", 1, 8},
        {"Enter by name", true, 0, nullptr, 0, u"Enter", u"copy a b", 1, 8},
        {"Enter, trailing blanks kept", false, 0, nullptr, 13, nullptr, u" type readme.txt  ", 1,
         26},
        {"Enter without arguments", false, 0, u"copy a b", 13, nullptr, u"cls", 0, 0},
        {"Enter on an empty line", false, 0, nullptr, 13, nullptr, u"", 0, 0},
    };
    for (const auto& c : cases) {
        ResetWorld();
        extendedKeys = c.extended;
        Settings.overwrite = c.overwrite;
        if (c.saved != nullptr) Enter(c.saved);
        EditLine line(c.line, c.code);
        if (c.name != nullptr) line.SetName(c.name);
        Allocations counted = Count([&] { key(&line.record); });
        EXPECT_EQ(counted.heap, c.heap) << c.what;
        EXPECT_EQ(counted.bytes, c.bytes) << c.what;
        EXPECT_EQ(counted.news, 0u) << c.what;
    }
}

struct CommandCase {
    std::u16string arguments;
    bool standInsAllocate; // the registry stand-in: only the plug-in's heap is checked
};

TEST_F(PluginAllocation, NoFormOfTheCommandAllocates) {
    const std::u16string overflow = Repeated(u"abcdefgh ", 1000);
    const CommandCase cases[] = {
        {u"", false},      {u"/?", false},
        {u"/??", false},   {u"/L", false},
        {u"/D", false},    {u"/Q", false},
        {u"/A:Y", false},  {u"/O:Y /K=N /BY", false},
        {u"F4", false},    {u"ctrl-alt-f1 /q", false},
        {u"/$:Y", false},  {u"/R", true},
        {u"/S", true},     {u"/S! /Q", true},
        {u"/X", false},    {u"/A:Q", false},
        {u"nokey", false}, {u"Enter", false},
        {u"F4 F5", false}, {u"/L /S", false},
        {u"/D /R", false}, {overflow, false},
    };
    for (const auto& c : cases) {
        ResetWorld();
        Enter(u"copy a b");
        Allocations counted = Count([&] { Torvane(c.arguments.c_str()); });
        EXPECT_EQ(counted.heap, 0u) << ToUtf8(c.arguments.substr(0, 20));
        if (!c.standInsAllocate) {
            EXPECT_EQ(counted.news, 0u) << ToUtf8(c.arguments.substr(0, 20));
        }
    }
}

} // namespace
