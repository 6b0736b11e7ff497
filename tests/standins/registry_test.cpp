// The five registry functions of the stand-in over its keys held in memory: results as Windows
// gives them, names ignoring ASCII case, handles, the call log and the commit hook.
#include <algorithm>

#include "fixture.h"

namespace {

using StandInRegistry = StandIns;

struct QueryCase {
    const char* what;
    bool exists;
    uint32_t storedType;
    std::string stored;
    int32_t result;
    uint32_t type; // the type word after the query (preset 0)
    uint32_t size; // the size word after the query (preset 4)
    uint32_t data; // the data word after the query (preset 0xFFFFFFFF)
};

TEST_F(StandInRegistry, QueryAnswersAsWindowsDoes) {
    const QueryCase cases[] = {
        {"missing value", false, 0, "", 2, 0, 4, 0xFFFFFFFF},
        {"dword", true, kRegDword, Bytes({0x3D, 0, 1, 0}), 0, 4, 4, 0x1003D},
        {"short dword", true, kRegDword, Bytes({0x3D, 0}), 0, 4, 2, 0xFFFF003D},
        {"empty binary", true, 3, "", 0, 3, 0, 0xFFFFFFFF},
        {"eight bytes", true, kRegDword, Bytes({1, 2, 3, 4, 5, 6, 7, 8}), 234, 4, 8, 0x04030201},
        {"text", true, kRegSz, Bytes({'F', 0, '3', 0, 0, 0}), 234, 1, 6, 0x00330046},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetStandIns();
        StandInRegistryCreateKey(kRootCurrentUser, kPath);
        if (c.exists)
            StandInRegistrySetValue(kRootCurrentUser, kPath, u"V", c.storedType, c.stored);
        RegistryKey key = 0;
        ASSERT_EQ(PlatformRegOpenKey(kRootCurrentUser, kPath.c_str(), kKeyRead, &key), 0);
        uint32_t type = 0, size = 4, data = 0xFFFFFFFF;
        EXPECT_EQ(PlatformRegQueryValue(key, u"V", &type, &data, &size), c.result) << c.what;
        EXPECT_EQ(type, c.type) << c.what;
        EXPECT_EQ(size, c.size) << c.what;
        EXPECT_EQ(data, c.data) << c.what;
        PlatformRegCloseKey(key);
    }
}

struct OpenCase {
    RegistryKey root;
    const char16_t* path;
    int32_t result;
};

TEST_F(StandInRegistry, KeysAreFoundIgnoringAsciiCase) {
    RegistryKey created = 0;
    ASSERT_EQ(
        PlatformRegCreateKey(kRootCurrentUser, u"Software\\Varnholt\\Torvane", kKeyWrite, &created),
        0);
    ASSERT_EQ(PlatformRegSetValue(created, u"Hotkey", kRegDword, "\x11\0\0\0", 4), 0);
    PlatformRegCloseKey(created);
    const OpenCase cases[] = {
        {kRootCurrentUser, u"Software\\Varnholt\\Torvane", 0},
        {kRootCurrentUser, u"SOFTWARE\\varnholt\\TORVANE", 0},
        {kRootCurrentUser, u"Software\\Varnholt", 0},
        {kRootCurrentUser, u"Software", 0},
        {kRootCurrentUser, u"Software\\Varnholt\\Torvan", 2},
        {kRootCurrentUser, u"Software\\V\u00C4rnholt\\Torvane", 2},
        {kRootLocalMachine, u"Software\\Varnholt\\Torvane", 2},
        {0x80000003, u"Software", 6},
    };
    for (const auto& c : cases) {
        RegistryKey key = 0;
        EXPECT_EQ(PlatformRegOpenKey(c.root, c.path, kKeyRead, &key), c.result) << ToUtf8(c.path);
        if (c.result == 0) PlatformRegCloseKey(key);
    }
    EXPECT_EQ(
        StandInRegistryGetValue(kRootCurrentUser, u"software\\VARNHOLT\\torvane", u"HOTKEY").bytes,
        std::string("\x11\0\0\0", 4));
    EXPECT_EQ(StandInRegistryOpenHandles(), 0u);
}

TEST_F(StandInRegistry, HandlesKeepTheirAccessRights) {
    StandInRegistryCreateKey(kRootCurrentUser, kPath);
    RegistryKey reader = 0, writer = 0;
    ASSERT_EQ(PlatformRegOpenKey(kRootCurrentUser, kPath.c_str(), kKeyRead, &reader), 0);
    ASSERT_EQ(PlatformRegCreateKey(kRootCurrentUser, kPath.c_str(), kKeyWrite, &writer), 0);
    uint32_t word = 1, type = 0, size = 4;
    EXPECT_EQ(PlatformRegSetValue(reader, u"A", kRegDword, &word, 4), 5);
    EXPECT_EQ(PlatformRegSetValue(writer, u"A", kRegDword, &word, 4), 0);
    EXPECT_EQ(PlatformRegQueryValue(writer, u"A", &type, &word, &size), 5);
    EXPECT_EQ(PlatformRegQueryValue(reader, u"A", &type, &word, &size), 0);
    PlatformRegCloseKey(reader);
    PlatformRegCloseKey(writer);
    EXPECT_EQ(PlatformRegQueryValue(reader, u"A", &type, &word, &size), 6) << "closed";
    EXPECT_EQ(StandInRegistryOpenHandles(), 0u);
}

struct DeleteCase {
    RegistryKey root;
    const char16_t* path;
    std::vector<std::u16string> taken; // the keys it takes, by their paths; the others stay
};

TEST_F(StandInRegistry, DeletingAKeyTakesEverythingBelowItAndNothingElse) {
    // The keys each row starts from, in the order the registry lists them.
    const std::vector<std::u16string> keys(
        {u"HKCU", u"HKCU\\Software", u"HKCU\\Software\\Varnholt", u"HKCU\\Software\\Varnholt A",
         u"HKCU\\Software\\Varnholt-x", u"HKCU\\Software\\Varnholt\\Other",
         u"HKCU\\Software\\Varnholt\\Torvane", u"HKLM", u"HKLM\\Software",
         u"HKLM\\Software\\Varnholt", u"HKLM\\Software\\Varnholt\\Torvane"});
    const std::vector<std::u16string> varnholt = {u"HKCU\\Software\\Varnholt",
                                                  u"HKCU\\Software\\Varnholt\\Other",
                                                  u"HKCU\\Software\\Varnholt\\Torvane"};
    const DeleteCase cases[] = {
        {kRootCurrentUser, u"Software\\Varnholt", varnholt},
        {kRootCurrentUser, u"SOFTWARE\\varnholt\\", varnholt},
        {kRootCurrentUser, u"Software\\Varnholt\\Torvane", {u"HKCU\\Software\\Varnholt\\Torvane"}},
        {kRootCurrentUser, u"Software\\Varnholt\\Torv", {}},
        {kRootCurrentUser,
         u"",
         {u"HKCU\\Software", u"HKCU\\Software\\Varnholt", u"HKCU\\Software\\Varnholt A",
          u"HKCU\\Software\\Varnholt-x", u"HKCU\\Software\\Varnholt\\Other",
          u"HKCU\\Software\\Varnholt\\Torvane"}},
        {kRootLocalMachine,
         u"Software",
         {u"HKLM\\Software", u"HKLM\\Software\\Varnholt", u"HKLM\\Software\\Varnholt\\Torvane"}},
        {0x80000003, u"Software", {}},
    };
    for (const auto& c : cases) {
        ResetStandIns();
        StandInRegistrySetDword(kRootCurrentUser, u"", u"At the root", 1);
        StandInRegistrySetDword(kRootCurrentUser, kPath, u"Hotkey", 0x11);
        StandInRegistryCreateKey(kRootCurrentUser, u"Software\\Varnholt\\Other");
        StandInRegistryCreateKey(kRootCurrentUser, u"Software\\Varnholt-x");
        StandInRegistryCreateKey(kRootCurrentUser, u"Software\\Varnholt A");
        StandInRegistryCreateKey(kRootLocalMachine, kPath);
        StandInRegistryDeleteKey(c.root, c.path);
        std::vector<std::u16string> remaining, left;
        for (const auto& [folded, key] : StandInRegistryAllKeys())
            remaining.push_back(key.path);
        for (const std::u16string& key : keys)
            if (std::find(c.taken.begin(), c.taken.end(), key) == c.taken.end())
                left.push_back(key);
        EXPECT_EQ(remaining, left) << ToUtf8(c.path);
        bool rootEmptied = c.root == kRootCurrentUser && c.path[0] == 0;
        EXPECT_EQ(StandInRegistryGetValue(kRootCurrentUser, u"", u"At the root").exists,
                  !rootEmptied)
            << ToUtf8(c.path);
    }
}

TEST_F(StandInRegistry, AHandleOnADeletedKeyFindsNothing) {
    StandInRegistrySetDword(kRootCurrentUser, kPath, u"Hotkey", 0x11);
    RegistryKey key = 0;
    ASSERT_EQ(PlatformRegOpenKey(kRootCurrentUser, kPath.c_str(), kKeyRead, &key), 0);
    StandInRegistryDeleteKey(kRootCurrentUser, u"Software\\Varnholt");
    uint32_t type = 0, size = 4, data = 0;
    EXPECT_EQ(PlatformRegQueryValue(key, u"Hotkey", &type, &data, &size), 2);
    EXPECT_EQ(PlatformRegOpenKey(kRootCurrentUser, kPath.c_str(), kKeyRead, &key), 2);
    PlatformRegCloseKey(key);
}

// Stand-ins in the table for the two handles the test opens.
constexpr RegistryKey kOnSoftware = 1;
constexpr RegistryKey kOnDeleted = 2;

struct LoggedKeyCase {
    const char* function; // "open", "create", "query", "set" or "close"
    RegistryKey base;     // a root, kOnSoftware or kOnDeleted
    const char16_t* path; // open and create: the path; query and set: the value name
    std::u16string key;   // the key the log names
    int32_t result;
};

TEST_F(StandInRegistry, TheLogNamesTheKeyAsTheCallReachedIt) {
    StandInRegistrySetDword(kRootCurrentUser, kPath, u"Hotkey", 0x11);
    StandInRegistryCreateKey(kRootCurrentUser, u"Software\\Deleted");
    RegistryKey software = 0, deleted = 0;
    ASSERT_EQ(PlatformRegCreateKey(kRootCurrentUser, u"SOFTWARE", kKeyRead | kKeyWrite, &software),
              0);
    ASSERT_EQ(PlatformRegOpenKey(kRootCurrentUser, u"Software\\Deleted", kKeyRead, &deleted), 0);
    StandInRegistryDeleteKey(kRootCurrentUser, u"Software\\Deleted");
    const LoggedKeyCase cases[] = {
        {"open", kRootCurrentUser, u"software\\\\VARNHOLT\\", u"HKCU\\software\\VARNHOLT", 0},
        {"open", kRootLocalMachine, u"Software", u"HKLM\\Software", 2},
        {"open", 0x80000003, u"\\Software", u"?\\Software", 6},
        {"create", 0x80000003, u"", u"?", 6},
        {"open", kOnSoftware, u"varnholt\\torvane", u"HKCU\\Software\\varnholt\\torvane", 0},
        {"create", kOnSoftware, u"New\\Key", u"HKCU\\Software\\New\\Key", 0},
        {"set", kOnSoftware, u"X", u"HKCU\\Software", 0},
        {"query", kOnSoftware, u"x", u"HKCU\\Software", 0},
        {"open", kOnDeleted, u"Sub", u"hkcu\\software\\deleted\\Sub", 2},
        {"query", kOnDeleted, u"Hotkey", u"hkcu\\software\\deleted", 2},
        {"close", kOnDeleted, u"", u"hkcu\\software\\deleted", 0},
        {"close", kOnDeleted, u"", u"", 6},
    };
    for (const auto& c : cases) {
        RegistryKey base = c.base == kOnSoftware  ? software
                           : c.base == kOnDeleted ? deleted
                                                  : c.base;
        RegistryKey opened = 0;
        uint32_t word = 1;
        const std::string function = c.function;
        if (function == "open")
            PlatformRegOpenKey(base, c.path, kKeyRead, &opened);
        else if (function == "create")
            PlatformRegCreateKey(base, c.path, kKeyWrite, &opened);
        else if (function == "query")
            PlatformRegQueryValue(base, c.path, nullptr, nullptr, nullptr);
        else if (function == "set")
            PlatformRegSetValue(base, c.path, kRegDword, &word, 4);
        else
            PlatformRegCloseKey(base);
        const StandInRegistryCall& call = StandInRegistryCalls().back();
        EXPECT_EQ(call.function, function) << ToUtf8(c.key);
        EXPECT_EQ(ToUtf8(call.key), ToUtf8(c.key)) << function;
        EXPECT_EQ(call.result, c.result) << ToUtf8(c.key);
        if (opened != 0) PlatformRegCloseKey(opened);
    }
    PlatformRegCloseKey(software);
    EXPECT_EQ(StandInRegistryOpenHandles(), 0u);
}

// What a commit hook was handed, one line a change: kind, key path and value name.
std::vector<std::string> committed;
int detached = 0;

bool RecordAndRefuse(const StandInRegistryChange& change) {
    static const char* const kKinds[] = {"create", "set", "delete", "empty"};
    committed.push_back(std::string(kKinds[static_cast<int>(change.kind)]) + " " +
                        ToUtf8(change.path) + " " + ToUtf8(change.name));
    return false;
}

TEST_F(StandInRegistry, WhileACommitIsInstalledEveryChangeGoesThroughItAndARefusedOneIsNotMade) {
    StandInRegistryCreateKey(kRootCurrentUser, kPath);
    committed.clear();
    detached = 0;
    StandInRegistrySetCommit(RecordAndRefuse, [] { ++detached; });
    RegistryKey software = 0, made = 0;
    uint32_t one = 1;
    ASSERT_EQ(PlatformRegCreateKey(kRootCurrentUser, u"SOFTWARE", kKeyWrite, &software), 0);
    EXPECT_EQ(PlatformRegSetValue(software, u"V", kRegDword, &one, 4), 1016);
    EXPECT_EQ(PlatformRegCreateKey(kRootCurrentUser, u"software\\New", kKeyWrite, &made), 1016);
    StandInRegistrySetDword(kRootLocalMachine, u"A\\\\B\\", u"W", 1);
    StandInRegistryDeleteKey(kRootCurrentUser, u"SOFTWARE\\varnholt");
    StandInRegistryDeleteKey(kRootCurrentUser, u"");
    StandInRegistryDeleteKey(kRootCurrentUser, u"Missing");
    PlatformRegCloseKey(software);
    EXPECT_EQ(committed, (std::vector<std::string>{
                             "set HKCU\\Software V",
                             "create HKCU\\software\\New ",
                             "set HKLM\\A\\B W",
                             "delete HKCU\\SOFTWARE\\varnholt ",
                             "empty HKCU ",
                         }));
    EXPECT_EQ(StandInRegistryAllKeys().size(), 4u) << "nothing refused was made";

    ResetStandIns();
    EXPECT_EQ(detached, 1);
    StandInRegistrySetDword(kRootCurrentUser, kPath, u"After", 1);
    EXPECT_EQ(committed.size(), 5u) << "a reset takes the commit out";
    EXPECT_TRUE(StandInRegistryGetValue(kRootCurrentUser, kPath, u"After").exists);
}

} // namespace
