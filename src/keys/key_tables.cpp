// The key tables. Hotkeys saved in users' registries are these codes, so every value stays as it
// is, including the rows that depart from the usual pattern of modifier bits.
#include "keys/key_tables.h"

#include <iterator>

bool extendedKeys = false;

namespace {

// A legacy row; a wrong number of codes does not compile.
template <typename... Codes> consteval KeyRow LegacyRow(const char16_t* name, Codes... codes) {
    static_assert(sizeof...(Codes) == kLegacyColumns, "a legacy row has one code per column");
    return KeyRow{name, {static_cast<int32_t>(codes)...}};
}

// An extended row; a wrong number of codes does not compile.
template <typename... Codes> consteval KeyRow ExtendedRow(const char16_t* name, Codes... codes) {
    static_assert(sizeof...(Codes) == kExtendedColumns, "an extended row has one code per column");
    return KeyRow{name, {static_cast<int32_t>(codes)...}};
}

// clang-format off

// Alias           Replaced by
constexpr KeyAlias kLegacyAliases[] = {
    {u"PageUp",     u"PgUp"},
    {u"PageDown",   u"PgDn"},
    {u"Insert",     u"Ins"},
    {u"Delete",     u"Del"},
    {u"Backspace",  u"BkSp"},
    {u"Backquote",  u"Grave"},
    {u"Minus",      u"-"},
    {u"Equals",     u"="},
    {u"Backslash",  u"\\"},
    {u"Semicolon",  u";"},
    {u"Semi",       u";"},
    {u"Apostrophe", u"'"},
    {u"Apos",       u"'"},
    {u"Comma",      u","},
    {u"Period",     u"."},
    {u"Dot",        u"."},
    {u"Slash",      u"/"},
};

// Columns: none, Shift, Ctrl, Alt, Ctrl-Shift, Ctrl-Alt.
//                                                            Ctrl-    Ctrl-
//            Key name     none    Shift     Ctrl      Alt    Shift      Alt
constexpr KeyRow kLegacyRows[] = {
    LegacyRow(u"F1",    0x1003B, 0x10054, 0x1005E, 0x10068, 0x30054, 0x5005E),
    LegacyRow(u"F2",    0x1003C, 0x10055, 0x1005F, 0x10069, 0x30055, 0x5005F),
    LegacyRow(u"F3",    0x1003D, 0x10056, 0x10060, 0x1006A, 0x30056, 0x50060),
    LegacyRow(u"F4",    0x1003E, 0x10057, 0x10061, 0x1006B, 0x30057, 0x50061),
    LegacyRow(u"F5",    0x1003F, 0x10058, 0x10062, 0x1006C, 0x30058, 0x50062),
    LegacyRow(u"F6",    0x10040, 0x10059, 0x10063, 0x1006D, 0x30059, 0x50063),
    LegacyRow(u"F7",    0x10041, 0x1005A, 0x10064, 0x1006E, 0x3005A, 0x50064),
    LegacyRow(u"F8",    0x10042, 0x1005B, 0x10065, 0x1006F, 0x3005B, 0x50065),
    LegacyRow(u"F9",    0x10043, 0x1005C, 0x10066, 0x10070, 0x3005C, 0x50066),
    LegacyRow(u"F10",   0x10044, 0x1005D, 0x10067, 0x10071, 0x3005D, 0x50067),
    LegacyRow(u"F11",   0x10085, 0x10087, 0x10089, 0x1008B, 0x30087, 0x50089),
    LegacyRow(u"F12",   0x10086, 0x10088, 0x1008A, 0x1008C, 0x30088, 0x5008A),
    LegacyRow(u"Home",  0x10047, 0x100CA, 0x10077,      -1, 0x300CA, 0x50077),
    LegacyRow(u"End",   0x1004F, 0x100CB, 0x10075,      -1, 0x300CB, 0x50075),
    LegacyRow(u"PgUp",  0x10049,      -1, 0x10084,      -1, 0x30049, 0x50084),
    LegacyRow(u"PgDn",  0x10051,      -1, 0x10076,      -1, 0x30051, 0x50076),
    LegacyRow(u"Ins",   0x10052,      -1,      -1,      -1, 0x30052, 0x50092),
    LegacyRow(u"Del",   0x10053,      -1, 0x10093,      -1, 0x30053,      -1),
    LegacyRow(u"Up",    0x10048,      -1, 0x1008D,      -1, 0x30048, 0x5008D),
    LegacyRow(u"Down",  0x10050,      -1, 0x10091,      -1, 0x30050, 0x50091),
    LegacyRow(u"Left",  0x1004B, 0x100C8, 0x10073, 0x100F4, 0x300CC, 0x50073),
    LegacyRow(u"Right", 0x1004D, 0x100C9, 0x10074, 0x100F6, 0x300CD, 0x50074),
    LegacyRow(u"A",          -2,      -2,     0x1, 0x1001E, 0x20001, 0x5001E),
    LegacyRow(u"B",          -2,      -2,     0x2, 0x10030, 0x20002, 0x50030),
    LegacyRow(u"C",          -2,      -2,      -1, 0x1002E,      -1, 0x5002E),
    LegacyRow(u"D",          -2,      -2,     0x4, 0x10020, 0x20004, 0x50020),
    LegacyRow(u"E",          -2,      -2,     0x5, 0x10012, 0x20005, 0x50012),
    LegacyRow(u"F",          -2,      -2,     0x6, 0x10021, 0x20006, 0x50021),
    LegacyRow(u"G",          -2,      -2,     0x7, 0x10022, 0x20007, 0x50022),
    LegacyRow(u"H",          -2,      -2,     0x8, 0x10023, 0x20008, 0x50023),
    LegacyRow(u"I",          -2,      -2,     0x9, 0x10017,      -1, 0x50017),
    LegacyRow(u"J",          -2,      -2,     0xA, 0x10024, 0x2000A, 0x50024),
    LegacyRow(u"K",          -2,      -2,     0xB, 0x10025, 0x2000B, 0x50025),
    LegacyRow(u"L",          -2,      -2,     0xC, 0x10026, 0x2000C, 0x50026),
    LegacyRow(u"M",          -2,      -2,      -1, 0x10032, 0x2000D, 0x50032),
    LegacyRow(u"N",          -2,      -2,     0xE, 0x10031, 0x2000E, 0x50031),
    LegacyRow(u"O",          -2,      -2,     0xF, 0x10018, 0x2000F, 0x50018),
    LegacyRow(u"P",          -2,      -2,    0x10, 0x10019, 0x20010, 0x50019),
    LegacyRow(u"Q",          -2,      -2,    0x11, 0x10010, 0x20011, 0x50010),
    LegacyRow(u"R",          -2,      -2,    0x12, 0x10013, 0x20012, 0x50013),
    LegacyRow(u"S",          -2,      -2,      -1, 0x1001F,      -1, 0x5001F),
    LegacyRow(u"T",          -2,      -2,    0x14, 0x10014, 0x20014, 0x50014),
    LegacyRow(u"U",          -2,      -2,    0x15, 0x10016, 0x20015, 0x50016),
    LegacyRow(u"V",          -2,      -2,    0x16, 0x1002F, 0x20016, 0x5002F),
    LegacyRow(u"W",          -2,      -2,    0x17, 0x10011, 0x20017, 0x50011),
    LegacyRow(u"X",          -2,      -2,    0x18, 0x1002D, 0x20018, 0x5002D),
    LegacyRow(u"Y",          -2,      -2,    0x19, 0x10015, 0x20019, 0x50015),
    LegacyRow(u"Z",          -2,      -2,    0x1A, 0x1002C, 0x2001A, 0x5002C),
    LegacyRow(u"1",          -2,      -2,      -1, 0x100E2,      -1,      -1),
    LegacyRow(u"2",          -2,      -2,      -1, 0x100E3,      -1,      -1),
    LegacyRow(u"3",          -2,      -2,      -1, 0x100E4,      -1,      -1),
    LegacyRow(u"4",          -2,      -2,      -1, 0x100E5,      -1,      -1),
    LegacyRow(u"5",          -2,      -2,      -1, 0x100E6,      -1,      -1),
    LegacyRow(u"6",          -2,      -2,      -1, 0x100E7,      -1,      -1),
    LegacyRow(u"7",          -2,      -2,      -1, 0x100E8,      -1,      -1),
    LegacyRow(u"8",          -2,      -2,      -1, 0x100E9,      -1,      -1),
    LegacyRow(u"9",          -2,      -2,      -1, 0x100EA,      -1,      -1),
    LegacyRow(u"0",          -2,      -2,      -1, 0x100EB,      -1,      -1),
    LegacyRow(u"BkSp",       -2,      -1,    0x7F, 0x1000E, 0x3000E, 0x5000E),
    LegacyRow(u"Grave",      -2,      -2,      -1, 0x10029, 0x30029, 0x50029),
    LegacyRow(u"-",          -2,      -2,      -1, 0x10082,      -1,      -1),
    LegacyRow(u"=",          -2,      -2,      -1, 0x10083,      -1,      -1),
    LegacyRow(u"[",          -2,      -2,      -1, 0x1001A,      -1, 0x5001A),
    LegacyRow(u"]",          -2,      -2,      -1, 0x1001B,      -1, 0x5001B),
    LegacyRow(u"\\",         -2,      -2,    0x1C, 0x1002B,      -1, 0x5002B),
    LegacyRow(u";",          -2,      -2,      -1, 0x10027,      -1, 0x50027),
    LegacyRow(u"'",          -2,      -2,      -1, 0x10028,      -1, 0x50028),
    LegacyRow(u",",          -2,      -2,      -1, 0x10033,      -1, 0x50033),
    LegacyRow(u".",          -2,      -2,      -1, 0x10034,      -1, 0x50034),
    LegacyRow(u"/",          -2,      -2,      -1, 0x10035,      -1, 0x50035),
    LegacyRow(u"Num/",       -2,      -2,      -1,      -1, 0x30035,      -1),
    LegacyRow(u"Num*",       -2,      -2, 0x10037, 0x1002A, 0x30037, 0x50037),
    LegacyRow(u"Num-",       -2,      -2, 0x1004A,      -2, 0x3004A, 0x5004A),
    // Ctrl-Shift-Num+ holds Ctrl-Shift-Num-'s code 0x3004A, not 0x3004E: choosing either name
    // makes 0x3004A the hotkey, which the last cell with that code names Ctrl-Shift-Num+. Kept on
    // purpose: settings saved with either name hold 0x3004A and must load as before.
    LegacyRow(u"Num+",       -2,      -2, 0x1004E,      -2, 0x3004A, 0x5004E),
};

// Alias           Replaced by
constexpr KeyAlias kExtendedAliases[] = {
    {u"PageUp",     u"PgUp"},
    {u"PageDown",   u"PgDn"},
    {u"Insert",     u"Ins"},
    {u"Delete",     u"Del"},
    {u"BkSp",       u"Backspace"},
    {u"Grave",      u"\u0060"},
    {u"-",          u"Minus"},
    {u"\u00BD",     u"Minus"},
    {u"+",          u"Plus"},
    {u"Equals",     u"Plus"},
    {u"=",          u"Plus"},
    {u"Backslash",  u"\\"},
    {u"\u00DB",     u"["},
    {u"\u00DD",     u"]"},
    {u"\u00DC",     u"\\"},
    {u"/",          u"Divide"},
    {u"Multiply",   u"*"},
    {u"Semicolon",  u";"},
    {u"Semi",       u";"},
    {u"Apostrophe", u"'"},
    {u"Apos",       u"'"},
    {u"Comma",      u","},
    {u".",          u"Decimal"},
    {u"Period",     u"Decimal"},
    {u"Dot",        u"Decimal"},
};

// Columns: none, Shift, Ctrl, Alt, Ctrl-Shift, Ctrl-Alt, Ctrl-Alt-Shift.
//                                                                                   Ctrl-
//                                                                  Ctrl-    Ctrl-     Alt-
//              Key name         none    Shift     Ctrl      Alt    Shift      Alt    Shift
constexpr KeyRow kExtendedRows[] = {
    ExtendedRow(u"F1",        0x1003B, 0x10054, 0x1005E, 0x10068, 0x30054, 0x5005E, 0x7005E),
    ExtendedRow(u"F2",        0x1003C, 0x10055, 0x1005F, 0x10069, 0x30055, 0x5005F, 0x7005F),
    ExtendedRow(u"F3",        0x1003D, 0x10056, 0x10060, 0x1006A, 0x30056, 0x50060, 0x70060),
    ExtendedRow(u"F4",        0x1003E, 0x10057, 0x10061, 0x1006B, 0x30057, 0x50061, 0x70061),
    ExtendedRow(u"F5",        0x1003F, 0x10058, 0x10062, 0x1006C, 0x30058, 0x50062, 0x70062),
    ExtendedRow(u"F6",        0x10040, 0x10059, 0x10063, 0x1006D, 0x30059, 0x50063, 0x70063),
    ExtendedRow(u"F7",        0x10041, 0x1005A, 0x10064, 0x1006E, 0x3005A, 0x50064, 0x70064),
    ExtendedRow(u"F8",        0x10042, 0x1005B, 0x10065, 0x1006F, 0x3005B, 0x50065, 0x70065),
    ExtendedRow(u"F9",        0x10043, 0x1005C, 0x10066, 0x10070, 0x3005C, 0x50066, 0x70066),
    ExtendedRow(u"F10",       0x10044, 0x1005D, 0x10067, 0x10071, 0x3005D, 0x50067, 0x70067),
    ExtendedRow(u"F11",       0x10085, 0x10087, 0x10089, 0x1008B, 0x30087, 0x50089, 0x70089),
    ExtendedRow(u"F12",       0x10086, 0x10088, 0x1008A, 0x1008C, 0x30088, 0x5008A, 0x7008A),
    ExtendedRow(u"Home",      0x10047, 0x100CA, 0x10077,      -1, 0x300CA, 0x50077, 0x70077),
    ExtendedRow(u"End",       0x1004F, 0x100CB, 0x10075,      -1, 0x300CB, 0x50075, 0x70075),
    ExtendedRow(u"PgUp",      0x10049,      -1, 0x10084,      -1, 0x30049, 0x50084, 0x70084),
    ExtendedRow(u"PgDn",      0x10051,      -1, 0x10076,      -1, 0x30051, 0x50076, 0x70076),
    ExtendedRow(u"Ins",       0x10052,      -1,      -1,      -1, 0x30052, 0x50092, 0x70092),
    ExtendedRow(u"Del",       0x10053,      -1, 0x10093,      -1, 0x30053,      -1, 0x70093),
    ExtendedRow(u"Up",        0x10048,      -1, 0x1008D,      -1, 0x30048, 0x5008D, 0x7008D),
    ExtendedRow(u"Down",      0x10050,      -1, 0x10091,      -1, 0x30050, 0x50091, 0x70091),
    ExtendedRow(u"Left",      0x1004B, 0x100C8, 0x10073, 0x100F4, 0x300CC, 0x50073, 0x70073),
    ExtendedRow(u"Right",     0x1004D, 0x100C9, 0x10074, 0x100F6, 0x300CD, 0x50074, 0x70074),
    ExtendedRow(u"A",              -2,      -2,     0x1, 0x1001E, 0x20001, 0x5001E, 0x7001E),
    ExtendedRow(u"B",              -2,      -2,     0x2, 0x10030, 0x20002, 0x50030, 0x7003E),
    ExtendedRow(u"C",              -2,      -2,      -1, 0x1002E,      -1, 0x5002E, 0x7002E),
    ExtendedRow(u"D",              -2,      -2,     0x4, 0x10020, 0x20004, 0x50020, 0x70020),
    ExtendedRow(u"E",              -2,      -2,     0x5, 0x10012, 0x20005, 0x50012, 0x70012),
    ExtendedRow(u"F",              -2,      -2,     0x6, 0x10021, 0x20006, 0x50021, 0x70021),
    ExtendedRow(u"G",              -2,      -2,     0x7, 0x10022, 0x20007, 0x50022, 0x70022),
    ExtendedRow(u"H",              -2,      -2,     0x8, 0x10023, 0x20008, 0x50023, 0x70023),
    ExtendedRow(u"I",              -2,      -2,     0x9, 0x10017,      -1, 0x50017, 0x70017),
    ExtendedRow(u"J",              -2,      -2,     0xA, 0x10024, 0x2000A, 0x50024, 0x70024),
    ExtendedRow(u"K",              -2,      -2,     0xB, 0x10025, 0x2000B, 0x50025, 0x70025),
    ExtendedRow(u"L",              -2,      -2,     0xC, 0x10026, 0x2000C, 0x50026, 0x70026),
    ExtendedRow(u"M",              -2,      -2,     0xD, 0x10032, 0x2000D, 0x50032, 0x70032),
    ExtendedRow(u"N",              -2,      -2,     0xE, 0x10031, 0x2000E, 0x50031, 0x70031),
    ExtendedRow(u"O",              -2,      -2,     0xF, 0x10018, 0x2000F, 0x50018, 0x70018),
    ExtendedRow(u"P",              -2,      -2,    0x10, 0x10019, 0x20010, 0x50019, 0x70019),
    ExtendedRow(u"Q",              -2,      -2,    0x11, 0x10010, 0x20011, 0x50010, 0x70010),
    ExtendedRow(u"R",              -2,      -2,    0x12, 0x10013, 0x20012, 0x50013, 0x70013),
    ExtendedRow(u"S",              -2,      -2,      -1, 0x1001F,      -1, 0x5001F, 0x7001F),
    ExtendedRow(u"T",              -2,      -2,    0x14, 0x10014, 0x20014, 0x50014, 0x70014),
    ExtendedRow(u"U",              -2,      -2,    0x15, 0x10016, 0x20015, 0x50016, 0x70016),
    ExtendedRow(u"V",              -2,      -2,    0x16, 0x1002F, 0x20016, 0x5002F, 0x7002F),
    ExtendedRow(u"W",              -2,      -2,    0x17, 0x10011, 0x20017, 0x50011, 0x70011),
    ExtendedRow(u"X",              -2,      -2,    0x18, 0x1002D, 0x20018, 0x5002D, 0x7002D),
    ExtendedRow(u"Y",              -2,      -2,    0x19, 0x10015, 0x20019, 0x50015, 0x70015),
    ExtendedRow(u"Z",              -2,      -2,    0x1A, 0x1002C, 0x2001A, 0x5002C, 0x7002C),
    ExtendedRow(u"1",              -2,      -2,    0xE2, 0x100E2, 0x200E2, 0x500E2, 0x700E2),
    ExtendedRow(u"2",              -2,      -2,    0xE3, 0x100E3, 0x200E3, 0x500E3, 0x700E3),
    ExtendedRow(u"3",              -2,      -2,    0xE4, 0x100E4, 0x200E4, 0x500E4, 0x700E4),
    ExtendedRow(u"4",              -2,      -2,    0xE5, 0x100E5, 0x200E5, 0x500E5, 0x700E5),
    ExtendedRow(u"5",              -2,      -2,    0xE6, 0x100E6, 0x200E6, 0x500E6, 0x700E6),
    ExtendedRow(u"6",              -2,      -2,    0xE7, 0x100E7, 0x200E7, 0x500E7, 0x700E7),
    ExtendedRow(u"7",              -2,      -2,    0xE8, 0x100E8, 0x200E8, 0x500E8, 0x700E8),
    ExtendedRow(u"8",              -2,      -2,    0xE9, 0x100E9, 0x200E9, 0x500E9, 0x700E9),
    ExtendedRow(u"9",              -2,      -2,    0xEA, 0x100EA, 0x200EA, 0x500EA, 0x700EA),
    ExtendedRow(u"0",              -2,      -2,    0xEB, 0x100EB, 0x200EB, 0x500EB, 0x700EB),
    ExtendedRow(u"Backspace",      -2,   0x87F,    0x7F, 0x1000E, 0x3000E, 0x5000E, 0x7000E),
    ExtendedRow(u"\u0060",         -2,      -2,   0x860, 0x10860, 0x20860, 0x50860, 0x70860),
    ExtendedRow(u"Minus",          -2,      -2,   0x8BD, 0x108BD, 0x208BD, 0x508BD, 0x708BD),
    ExtendedRow(u"Plus",           -2,      -2,   0x8BB, 0x10083, 0x208BB, 0x508BB, 0x708BB),
    ExtendedRow(u"Enter",          -2,   0x80D,   0xC0D,      -1, 0x2080D, 0x5080D, 0x7080D),
    ExtendedRow(u"[",              -2,      -2,   0x8DB, 0x1001A, 0x208DB, 0x5001A, 0x7001A),
    ExtendedRow(u"]",              -2,      -2,   0x8DD, 0x1001B, 0x208DD, 0x5001B, 0x7001B),
    ExtendedRow(u"\\",             -2,      -2,   0x8DC, 0x1002B, 0x208DC, 0x5002B, 0x7002B),
    ExtendedRow(u"Divide",         -2,      -2,   0x835, 0x10035, 0x20035, 0x50035, 0x70035),
    ExtendedRow(u"*",              -2,      -2, 0x10037, 0x1002A, 0x30037, 0x50037, 0x70037),
    ExtendedRow(u";",              -2,      -2,   0x827, 0x10027, 0x20027, 0x50027, 0x70027),
    ExtendedRow(u"'",              -2,      -2,   0x828, 0x10028, 0x20028, 0x50028, 0x70028),
    ExtendedRow(u",",              -2,      -2,   0x833, 0x10033, 0x20033, 0x50033, 0x70033),
    ExtendedRow(u"Decimal",        -2,      -2,   0x834, 0x10034, 0x20034, 0x50034, 0x70034),
};

// clang-format on

// The sizes are pinned: a key or an alias added or removed changes what users can choose.
static_assert(std::size(kLegacyRows) == 74,
              "a legacy key added or removed: update this count and the one in key_tables.h, "
              "kTables in tests/plugin/key_tables_test.cpp, the legacy row count in "
              "tests/plugin/key_golden_test.cpp and the key's row in tests/golden/key_tables.txt");
static_assert(std::size(kLegacyAliases) == 17,
              "a legacy alias added or removed: update this count and the one in key_tables.h, "
              "kTables in tests/plugin/key_tables_test.cpp and the alias table in README.md");
static_assert(std::size(kExtendedRows) == 72,
              "an extended key added or removed: update this count and the one in key_tables.h, "
              "kTables in tests/plugin/key_tables_test.cpp, the extended row count in "
              "tests/plugin/key_golden_test.cpp and the key's row in tests/golden/key_tables.txt");
static_assert(std::size(kExtendedAliases) == 25,
              "an extended alias added or removed: update this count and the one in key_tables.h, "
              "kTables in tests/plugin/key_tables_test.cpp and the alias table in README.md");

} // namespace

const char16_t* const ModifierPrefixes[kMaxColumns] = {
    u"", u"Shift-", u"Ctrl-", u"Alt-", u"Ctrl-Shift-", u"Ctrl-Alt-", u"Ctrl-Alt-Shift-",
};

const KeyTable LegacyKeyTable = {kLegacyRows, std::size(kLegacyRows), kLegacyColumns,
                                 kLegacyAliases, std::size(kLegacyAliases)};

const KeyTable ExtendedKeyTable = {kExtendedRows, std::size(kExtendedRows), kExtendedColumns,
                                   kExtendedAliases, std::size(kExtendedAliases)};

const KeyTable& ActiveKeyTable() {
    return extendedKeys ? ExtendedKeyTable : LegacyKeyTable;
}
