#include <map>
#include <set>
#include <tuple>

#include "keys/key_tables.h"
#include "keys/modifiers.h"
#include "text/chars.h"
#include "world.h"

namespace {

struct TableShape {
    const char* what;
    const KeyTable* table;
    size_t rows;
    size_t columns;
    size_t aliases;
};

const TableShape kTables[] = {
    {"legacy", &LegacyKeyTable, 74, 6, 17},
    {"extended", &ExtendedKeyTable, 72, 7, 25},
};

// A name with ASCII letters folded, so that a set of them finds case-only duplicates.
std::u16string Folded(const char16_t* name) {
    std::u16string out;
    for (; *name != 0; ++name)
        out += FoldAscii(*name);
    return out;
}

const KeyRow* FindRow(const KeyTable& table, const char16_t* name) {
    for (size_t row = 0; row < table.rowCount; ++row) {
        if (TextEquals(table.rows[row].name, name)) return &table.rows[row];
    }
    return nullptr;
}

TEST(KeyTables, ShapesAndPrefixes) {
    for (const TableShape& t : kTables) {
        EXPECT_EQ(t.table->rowCount, t.rows) << t.what;
        EXPECT_EQ(t.table->columnCount, t.columns) << t.what;
        EXPECT_EQ(t.table->aliasCount, t.aliases) << t.what;
    }
    const char16_t* const prefixes[] = {
        u"", u"Shift-", u"Ctrl-", u"Alt-", u"Ctrl-Shift-", u"Ctrl-Alt-", u"Ctrl-Alt-Shift-"};
    for (size_t column = 0; column < kMaxColumns; ++column) {
        EXPECT_EQ(std::u16string(ModifierPrefixes[column]), prefixes[column]) << column;
    }
}

TEST(KeyTables, TheFlagSelectsTheActiveTable) {
    extendedKeys = false;
    EXPECT_EQ(&ActiveKeyTable(), &LegacyKeyTable);
    extendedKeys = true;
    EXPECT_EQ(&ActiveKeyTable(), &ExtendedKeyTable);
    extendedKeys = false;
}

TEST(KeyTables, NamesAndAliasesAreUniqueIgnoringAsciiCase) {
    for (const TableShape& t : kTables) {
        std::set<std::u16string> names;
        for (size_t row = 0; row < t.table->rowCount; ++row) {
            EXPECT_TRUE(names.insert(Folded(t.table->rows[row].name)).second)
                << t.what << " row " << row + 1;
        }
        std::set<std::u16string> aliases;
        for (size_t i = 0; i < t.table->aliasCount; ++i) {
            std::u16string alias = Folded(t.table->aliases[i].alias);
            EXPECT_TRUE(aliases.insert(alias).second) << t.what << " alias " << i + 1;
            EXPECT_EQ(names.count(alias), 0u) << t.what << " alias " << i + 1 << " is a key name";
        }
        for (size_t i = 0; i < t.table->aliasCount; ++i) {
            const char16_t* replacement = t.table->aliases[i].replacement;
            EXPECT_NE(FindRow(*t.table, replacement), nullptr) << t.what << " alias " << i + 1;
            EXPECT_EQ(aliases.count(Folded(replacement)), 0u) << t.what << " alias " << i + 1;
        }
    }
}

TEST(KeyTables, NoZeroAndAKeyInEveryRow) {
    for (const TableShape& t : kTables) {
        for (size_t row = 0; row < t.table->rowCount; ++row) {
            const KeyRow& r = t.table->rows[row];
            bool hasKey = false;
            for (size_t column = 0; column < t.table->columnCount; ++column) {
                EXPECT_NE(r.codes[column], 0) << t.what << " row " << row + 1;
                EXPECT_GE(r.codes[column], -2) << t.what << " row " << row + 1;
                hasKey = hasKey || r.codes[column] > 0;
            }
            EXPECT_TRUE(hasKey) << t.what << " row " << row + 1;
        }
    }
}

TEST(KeyTables, PositiveCodesAreUniqueButForOneLegacyPair) {
    for (const TableShape& t : kTables) {
        std::map<int32_t, int> seen;
        for (size_t row = 0; row < t.table->rowCount; ++row) {
            for (size_t column = 0; column < t.table->columnCount; ++column) {
                int32_t code = t.table->rows[row].codes[column];
                if (code > 0) ++seen[code];
            }
        }
        std::map<int32_t, int> repeated;
        for (const auto& [code, count] : seen) {
            if (count > 1) repeated[code] = count;
        }
        std::map<int32_t, int> expected;
        if (t.table == &LegacyKeyTable) expected[0x3004A] = 2;
        EXPECT_EQ(repeated, expected) << t.what;
    }
    EXPECT_EQ(FindRow(LegacyKeyTable, u"Num-")->codes[kColumnCtrlShift], 0x3004A);
    EXPECT_EQ(FindRow(LegacyKeyTable, u"Num+")->codes[kColumnCtrlShift], 0x3004A);
}

struct Departure {
    const KeyTable* table;
    const char16_t* name;
    size_t column;
};

// A combined cell normally holds a code of the same row's none, Shift, Ctrl or Alt cell with the
// column's bits added; a slip in any other cell breaks that, so only the known departures may.
TEST(KeyTables, CombinedCellsCarryTheModifierBitsWithKnownDepartures) {
    const KeyTable* L = &LegacyKeyTable;
    const KeyTable* E = &ExtendedKeyTable;
    const std::set<std::tuple<const KeyTable*, std::u16string, size_t>> departures = {
        {L, u"Ins", kColumnCtrlAlt},        {L, u"Left", kColumnCtrlShift},
        {L, u"Right", kColumnCtrlShift},    {L, u"M", kColumnCtrlShift},
        {L, u"Num/", kColumnCtrlShift},     {L, u"Num+", kColumnCtrlShift},
        {E, u"Ins", kColumnCtrlAlt},        {E, u"Ins", kColumnCtrlAltShift},
        {E, u"Left", kColumnCtrlShift},     {E, u"Right", kColumnCtrlShift},
        {E, u"B", kColumnCtrlAltShift},     {E, u"Plus", kColumnCtrlAlt},
        {E, u"Plus", kColumnCtrlAltShift},  {E, u"Enter", kColumnCtrlAlt},
        {E, u"Enter", kColumnCtrlAltShift}, {E, u"Divide", kColumnCtrlShift},
        {E, u";", kColumnCtrlShift},        {E, u"'", kColumnCtrlShift},
        {E, u",", kColumnCtrlShift},        {E, u"Decimal", kColumnCtrlShift},
    };
    const int32_t bits[kMaxColumns] = {
        0, 0, 0, 0, kCtrlShiftCodeBit, kCtrlAltCodeBit, kCtrlAltShiftCodeBits,
    };
    for (const TableShape& t : kTables) {
        for (size_t row = 0; row < t.table->rowCount; ++row) {
            const KeyRow& r = t.table->rows[row];
            for (size_t column = kColumnCtrlShift; column < t.table->columnCount; ++column) {
                if (r.codes[column] <= 0) continue;
                bool follows = false;
                for (size_t single = kColumnNone; single <= kColumnAlt; ++single) {
                    follows = follows || (r.codes[single] > 0 &&
                                          (r.codes[single] | bits[column]) == r.codes[column]);
                }
                bool known = departures.count({t.table, r.name, column}) != 0;
                EXPECT_NE(follows, known) << t.what << " " << ToUtf8(r.name) << " column " << column
                                          << " 0x" << std::hex << r.codes[column];
            }
        }
    }
}

} // namespace
