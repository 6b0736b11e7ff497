// Keys to host key reports: the table says, per key and modifier column, what the host reports.
#include "console/session/host_keys.h"

#include <iterator>

#include "text/wtext.h"

namespace {

// A row; a wrong number of cells does not compile.
template <typename... Cells> consteval HostKeyRow Row(const char16_t* name, Cells... cells) {
    static_assert(sizeof...(Cells) == kHostKeyColumns, "a row has one cell per column");
    return HostKeyRow{name, {static_cast<int32_t>(cells)...}};
}

} // namespace

// clang-format off

// Columns: none, Shift, Ctrl, Alt, Ctrl-Shift, Ctrl-Alt, Ctrl-Alt-Shift. In the last three the
// code is that of the key with one modifier: the plug-in adds 0x20000, 0x40000 or 0x60000 when it
// reads the modifier keys, which gives the code its key tables hold for the combination.
//                                                                              Ctrl-     Ctrl-      Ctrl-Alt-
//      Key name       none           Shift            Ctrl      Alt            Shift     Alt        Shift
const HostKeyRow HostKeyTable[kConsoleKeyCount] = {
    Row(u"F1",        0x1003B,       0x10054,         0x1005E,  0x10068,       0x10054,  0x1005E,   0x1005E),
    Row(u"F2",        0x1003C,       0x10055,         0x1005F,  0x10069,       0x10055,  0x1005F,   0x1005F),
    Row(u"F3",        0x1003D,       0x10056,         0x10060,  0x1006A,       0x10056,  0x10060,   0x10060),
    Row(u"F4",        0x1003E,       0x10057,         0x10061,  0x1006B,       0x10057,  0x10061,   0x10061),
    Row(u"F5",        0x1003F,       0x10058,         0x10062,  0x1006C,       0x10058,  0x10062,   0x10062),
    Row(u"F6",        0x10040,       0x10059,         0x10063,  0x1006D,       0x10059,  0x10063,   0x10063),
    Row(u"F7",        0x10041,       0x1005A,         0x10064,  0x1006E,       0x1005A,  0x10064,   0x10064),
    Row(u"F8",        0x10042,       0x1005B,         0x10065,  0x1006F,       0x1005B,  0x10065,   0x10065),
    Row(u"F9",        0x10043,       0x1005C,         0x10066,  0x10070,       0x1005C,  0x10066,   0x10066),
    Row(u"F10",       0x10044,       0x1005D,         0x10067,  0x10071,       0x1005D,  0x10067,   0x10067),
    Row(u"F11",       0x10085,       0x10087,         0x10089,  0x1008B,       0x10087,  0x10089,   0x10089),
    Row(u"F12",       0x10086,       0x10088,         0x1008A,  0x1008C,       0x10088,  0x1008A,   0x1008A),
    Row(u"Home",      0x10047,       0x100CA,         0x10077,  0,             0x100CA,  0x10077,   0x10077),
    Row(u"End",       0x1004F,       0x100CB,         0x10075,  0,             0x100CB,  0x10075,   0x10075),
    Row(u"PgUp",      0x10049,       0,               0x10084,  0,             0x10049,  0x10084,   0x10084),
    Row(u"PgDn",      0x10051,       0,               0x10076,  0,             0x10051,  0x10076,   0x10076),
    Row(u"Ins",       0x10052,       0,               0,        0,             0x10052,  0x10092,   0x10092),
    Row(u"Del",       0x10053,       0,               0x10093,  0,             0x10053,  0,         0x10093),
    Row(u"Up",        0x10048,       0,               0x1008D,  0,             0x10048,  0x1008D,   0x1008D),
    Row(u"Down",      0x10050,       0,               0x10091,  0,             0x10050,  0x10091,   0x10091),
    Row(u"Left",      0x1004B,       0x100C8,         0x10073,  0x100F4,       0x100CC,  0x10073,   0x10073),
    Row(u"Right",     0x1004D,       0x100C9,         0x10074,  0x100F6,       0x100CD,  0x10074,   0x10074),
    Row(u"A",         0,             0,               0x1,      0x1001E,       0x1,      0x1001E,   0x1001E),
    Row(u"B",         0,             0,               0x2,      0x10030,       0x2,      0x10030,   kByName | 0x10030),
    Row(u"C",         0,             0,               0,        0x1002E,       0,        0x1002E,   0x1002E),
    Row(u"D",         0,             0,               0x4,      0x10020,       0x4,      0x10020,   0x10020),
    Row(u"E",         0,             0,               0x5,      0x10012,       0x5,      0x10012,   0x10012),
    Row(u"F",         0,             0,               0x6,      0x10021,       0x6,      0x10021,   0x10021),
    Row(u"G",         0,             0,               0x7,      0x10022,       0x7,      0x10022,   0x10022),
    Row(u"H",         0,             0,               0x8,      0x10023,       0x8,      0x10023,   0x10023),
    Row(u"I",         0,             0,               0x9,      0x10017,       0,        0x10017,   0x10017),
    Row(u"J",         0,             0,               0xA,      0x10024,       0xA,      0x10024,   0x10024),
    Row(u"K",         0,             0,               0xB,      0x10025,       0xB,      0x10025,   0x10025),
    Row(u"L",         0,             0,               0xC,      0x10026,       0xC,      0x10026,   0x10026),
    Row(u"M",         0,             0,               kByName,  0x10032,       0xD,      0x10032,   0x10032),
    Row(u"N",         0,             0,               0xE,      0x10031,       0xE,      0x10031,   0x10031),
    Row(u"O",         0,             0,               0xF,      0x10018,       0xF,      0x10018,   0x10018),
    Row(u"P",         0,             0,               0x10,     0x10019,       0x10,     0x10019,   0x10019),
    Row(u"Q",         0,             0,               0x11,     0x10010,       0x11,     0x10010,   0x10010),
    Row(u"R",         0,             0,               0x12,     0x10013,       0x12,     0x10013,   0x10013),
    Row(u"S",         0,             0,               0,        0x1001F,       0,        0x1001F,   0x1001F),
    Row(u"T",         0,             0,               0x14,     0x10014,       0x14,     0x10014,   0x10014),
    Row(u"U",         0,             0,               0x15,     0x10016,       0x15,     0x10016,   0x10016),
    Row(u"V",         0,             0,               0x16,     0x1002F,       0x16,     0x1002F,   0x1002F),
    Row(u"W",         0,             0,               0x17,     0x10011,       0x17,     0x10011,   0x10011),
    Row(u"X",         0,             0,               0x18,     0x1002D,       0x18,     0x1002D,   0x1002D),
    Row(u"Y",         0,             0,               0x19,     0x10015,       0x19,     0x10015,   0x10015),
    Row(u"Z",         0,             0,               0x1A,     0x1002C,       0x1A,     0x1002C,   0x1002C),
    Row(u"1",         0,             0,               kByName,  0x100E2,       kByName,  kByName,   0x100E2),
    Row(u"2",         0,             0,               kByName,  0x100E3,       kByName,  kByName,   0x100E3),
    Row(u"3",         0,             0,               kByName,  0x100E4,       kByName,  kByName,   0x100E4),
    Row(u"4",         0,             0,               kByName,  0x100E5,       kByName,  kByName,   0x100E5),
    Row(u"5",         0,             0,               kByName,  0x100E6,       kByName,  kByName,   0x100E6),
    Row(u"6",         0,             0,               kByName,  0x100E7,       kByName,  kByName,   0x100E7),
    Row(u"7",         0,             0,               kByName,  0x100E8,       kByName,  kByName,   0x100E8),
    Row(u"8",         0,             0,               kByName,  0x100E9,       kByName,  kByName,   0x100E9),
    Row(u"9",         0,             0,               kByName,  0x100EA,       kByName,  kByName,   0x100EA),
    Row(u"0",         0,             0,               kByName,  0x100EB,       kByName,  kByName,   0x100EB),
    Row(u"Backspace", 0x8,           kByName | 0x8,   0x7F,     0x1000E,       0x1000E,  0x1000E,   0x1000E),
    Row(u"`",         0,             0,               kByName,  kByName | 0x10029, kByName | 0x10029, kByName | 0x10029, 0x10860),
    Row(u"Minus",     0,             0,               kByName,  kByName | 0x10082, kByName, kByName, 0x108BD),
    Row(u"Plus",      0,             0,               kByName,  0x10083,       kByName,  kByName,   0x108BB),
    Row(u"Enter",     0xD,           kByName | 0xD,   kByName | 0xD, kByName | 0xD, kByName | 0xD, kByName | 0xD, kByName | 0xD),
    Row(u"[",         0,             0,               kByName,  0x1001A,       kByName,  0x1001A,   0x1001A),
    Row(u"]",         0,             0,               kByName,  0x1001B,       kByName,  0x1001B,   0x1001B),
    Row(u"\\",        0,             0,               kByName | 0x1C, 0x1002B, kByName,  0x1002B,   0x1002B),
    Row(u";",         0,             0,               kByName,  0x10027,       kByName,  0x10027,   0x10027),
    Row(u"'",         0,             0,               kByName,  0x10028,       kByName,  0x10028,   0x10028),
    Row(u",",         0,             0,               kByName,  0x10033,       kByName,  0x10033,   0x10033),
    Row(u"Decimal",   0,             0,               kByName,  0x10034,       kByName,  0x10034,   0x10034),
    Row(u"Divide",    0,             0,               kByName,  0x10035,       kByName,  0x10035,   0x10035),
    Row(u"Tab",       0x9,           0,               0,        0,             0,        0,         0),
    Row(u"Esc",       0x1B,          0,               0,        0,             0,        0,         0),
};

// clang-format on

namespace {

// The column of each modifier state; Shift with Alt counts as Alt.
constexpr size_t kColumnOfState[kModifierStates] = {
    kColumnNone, kColumnShift, kColumnCtrl,    kColumnCtrlShift,
    kColumnAlt,  kColumnAlt,   kColumnCtrlAlt, kColumnCtrlAltShift,
};

// The name prefix of one modifier key when the state holds it.
const char16_t* HeldPrefix(int modifiers, int bit, size_t column) {
    return (modifiers & bit) != 0 ? ModifierPrefixes[column] : u"";
}

} // namespace

size_t HostKeyColumn(int modifiers) {
    return kColumnOfState[modifiers & kCtrlAltShiftState];
}

HostKeyReport HostReportOfKey(int key, int modifiers, bool extendedHost) {
    HostKeyReport report{};
    report.modifiers = modifiers & kCtrlAltShiftState;
    if (key < 0 || key >= kConsoleKeyCount) return report;
    size_t column = HostKeyColumn(modifiers);
    int32_t cell = HostKeyTable[key].cells[column];
    FormatText(report.keyName, std::size(report.keyName), u"%s%s", ModifierPrefixes[column],
               HostKeyTable[key].name);
    if ((cell & kByName) != 0 && extendedHost) {
        report.reported = true;
        report.keyCode = 0;
        return report;
    }
    report.keyCode = cell & ~kByName;
    report.reported = report.keyCode != 0;
    return report;
}

HostKeyReport HostReportOfText(char16_t unit) {
    HostKeyReport report{};
    report.reported = true;
    report.keyCode = unit;
    return report;
}

void ConsoleKeyName(int key, int modifiers, char16_t* out, size_t capacity) {
    if (key < 0 || key >= kConsoleKeyCount) {
        CopyText(out, capacity, u"");
        return;
    }
    // The keys actually held, in the order Ctrl, Alt, Shift: Shift with Alt too.
    FormatText(out, capacity, u"%s%s%s%s", HeldPrefix(modifiers, kCtrlBit, kColumnCtrl),
               HeldPrefix(modifiers, kAltBit, kColumnAlt),
               HeldPrefix(modifiers, kShiftBit, kColumnShift), HostKeyTable[key].name);
}
