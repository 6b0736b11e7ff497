// Every cell of both key tables against tests/golden/key_tables.txt, through the key-name
// operations only: every modifier spelling of every row parses to the cell's code or refusal,
// every code is named by its cell, and the listing shows exactly the rows' codes.
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "keys/key_names.h"
#include "keys/key_tables.h"
#include "keys/modifiers.h"
#include "world.h"

namespace {

struct GoldenRow {
    std::u16string name;
    std::vector<int32_t> cells;
};

int32_t CellCode(const std::string& text) {
    if (text == "invalid") return kInvalidCombination;
    if (text == "refused") return kNotAllowedAsHotkey;
    return static_cast<int32_t>(std::stol(text, nullptr, 16));
}

std::vector<GoldenRow> GoldenRows(const std::string& table) {
    std::ifstream file(TORVANE_TESTS_DIR "/golden/key_tables.txt");
    std::vector<GoldenRow> rows;
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string which, name, cell;
        if (line.empty() || line[0] == '#' || !(words >> which >> name) || which != table) continue;
        GoldenRow row{FromUtf8(name), {}};
        while (words >> cell)
            row.cells.push_back(CellCode(cell));
        rows.push_back(row);
    }
    return rows;
}

// Each modifier's spellings, and the bits of each column (Alt with Shift has no column).
const std::vector<std::vector<std::u16string>> kSpellings = {
    {u"s", u"Shift", u"SHIFT"}, {u"c", u"ctl", u"Ctrl", u"CONTROL"}, {u"A", u"alt"}};
const int kBits[] = {kShiftBit, kCtrlBit, kAltBit};
const int kColumnBits[] = {
    0, kShiftBit, kCtrlBit, kAltBit, kCtrlShiftState, kCtrlAltState, kCtrlAltShiftState};

// Every spelling of the modifier prefix for bits: each word of each modifier, in every order.
std::vector<std::u16string> Prefixes(int bits) {
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        if (bits & kBits[i]) order.push_back(i);
    std::vector<std::u16string> out;
    do {
        std::vector<std::u16string> partial = {u""};
        for (int i : order) {
            std::vector<std::u16string> next;
            for (const std::u16string& p : partial)
                for (const std::u16string& word : kSpellings[i])
                    next.push_back(p + word + u"-");
            partial = next;
        }
        out.insert(out.end(), partial.begin(), partial.end());
    } while (std::next_permutation(order.begin(), order.end()));
    return out;
}

struct TableCase {
    const char* golden;
    bool extended;
    size_t rows;
};

class KeyGolden : public World, public ::testing::WithParamInterface<TableCase> {};

TEST_P(KeyGolden, EverySpellingParsesToItsCell) {
    extendedKeys = GetParam().extended;
    std::vector<GoldenRow> rows = GoldenRows(GetParam().golden);
    ASSERT_EQ(rows.size(), GetParam().rows);
    for (const GoldenRow& row : rows) {
        for (int bits = 0; bits < kModifierStates; ++bits) {
            size_t column = std::find(std::begin(kColumnBits), std::end(kColumnBits), bits) -
                            std::begin(kColumnBits);
            int32_t expected = column < row.cells.size() ? row.cells[column] : 0;
            for (const std::u16string& prefix : Prefixes(bits)) {
                std::u16string text = prefix + row.name;
                EXPECT_EQ(ParseKeyName(text.c_str()), expected) << ToUtf8(text);
                if (GetParam().extended) {
                    EXPECT_EQ(ParseExtendedKeyName(text.c_str()), expected) << ToUtf8(text);
                }
            }
        }
    }
}

TEST_P(KeyGolden, EveryCodeIsNamedByItsCellAndListed) {
    extendedKeys = GetParam().extended;
    std::vector<GoldenRow> rows = GoldenRows(GetParam().golden);
    std::map<int32_t, std::u16string> names; // a code in two cells takes the later one's name
    static std::u16string listed;
    listed.clear();
    std::u16string expectedList;
    for (const GoldenRow& row : rows) {
        std::u16string line;
        for (size_t column = 0; column < row.cells.size(); ++column) {
            int32_t code = row.cells[column];
            EXPECT_EQ(IsValidHotkey(code), code > 0) << ToUtf8(row.name) << " " << column;
            if (code <= 0) continue;
            names[code] = ModifierPrefixes[column] + row.name;
            line += (line.empty() ? u"" : u" \u00B7 ") + names[code];
        }
        expectedList += line + u"\r\n";
    }
    for (const auto& [code, name] : names) {
        char16_t buffer[kKeyNameBufferSize];
        EXPECT_EQ(FormatKeyCode(code, buffer), 0) << code;
        EXPECT_EQ(std::u16string(buffer), name) << code;
    }
    ListHotkeys([](const char16_t* text) {
        listed += text;
        return 0;
    });
    EXPECT_EQ(listed, expectedList);
}

INSTANTIATE_TEST_SUITE_P(KeyTables, KeyGolden,
                         ::testing::Values(TableCase{"legacy", false, 74},
                                           TableCase{"extended", true, 72}),
                         [](const auto& info) { return std::string(info.param.golden); });

} // namespace
