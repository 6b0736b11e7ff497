// Controls of the native build's registry stand-in: two roots held in memory, steered and
// observed by tests. The text file the console keeps them in is in standins/registry_file.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "standins/registry_keys.h"

// Windows system error codes the stand-in returns.
constexpr int32_t kErrorFileNotFound = 2;
constexpr int32_t kErrorAccessDenied = 5;
constexpr int32_t kErrorInvalidHandle = 6;
constexpr int32_t kErrorMoreData = 234;
constexpr int32_t kErrorRegistryIoFailed = 1016;

// Empties both roots, forgets every switch, handle and logged call, and stops persistence.
void StandInRegistryReset();

// Sets a value (creating its key and the missing parents) without logging a call.
void StandInRegistrySetValue(RegistryKey root, const std::u16string& path,
                             const std::u16string& name, uint32_t type, const std::string& bytes);
void StandInRegistrySetDword(RegistryKey root, const std::u16string& path,
                             const std::u16string& name, uint32_t value);
// Creates a key (and its missing parents) with no values.
void StandInRegistryCreateKey(RegistryKey root, const std::u16string& path);
// Removes a key with its values and every key below it, as deleting a tree does; nothing when
// there is no such key. Handles still open on them find nothing until the key is made again.
void StandInRegistryDeleteKey(RegistryKey root, const std::u16string& path);

// A stored value as the stand-in holds it.
struct StandInRegistryValue {
    bool exists = false;
    uint32_t type = 0;
    std::string bytes;
};
StandInRegistryValue StandInRegistryGetValue(RegistryKey root, const std::u16string& path,
                                             const std::u16string& name);
bool StandInRegistryKeyExists(RegistryKey root, const std::u16string& path);
// Names of the values in a key, in the order they were first written.
std::vector<std::u16string> StandInRegistryValueNames(RegistryKey root, const std::u16string& path);

// Failure switches; code 0 switches the failure off again.
void StandInRegistryFailOpen(RegistryKey root, int32_t code);
void StandInRegistryFailCreate(RegistryKey root, int32_t code);
void StandInRegistryFailQuery(const std::u16string& name, int32_t code);
void StandInRegistryFailWrite(const std::u16string& name, int32_t code);

// One call of a registry function, with the arguments as they were on entry.
struct StandInRegistryCall {
    std::string function; // "open", "query", "create", "set" or "close"
    std::u16string key;   // root and path, e.g. u"HKCU\\Software\\Varnholt\\Torvane"
    uint32_t access = 0;  // open and create
    std::u16string name;  // query and set
    uint32_t type = 0;    // query: the type word on entry; set: the type written
    uint32_t size = 0;    // query: the size word on entry; set: the bytes written
    uint32_t data = 0;    // query: the data word on entry; set: the first four bytes written
    int32_t result = 0;
};
const std::vector<StandInRegistryCall>& StandInRegistryCalls();
void StandInRegistryClearCalls();
// One line for a call, e.g. "query Hotkey type=0 size=4 data=0xFFFFFFFF -> 0".
std::string StandInRegistryCallText(const StandInRegistryCall& call);

// Handles opened or created and not yet closed.
size_t StandInRegistryOpenHandles();

// --- The keys as the registry file reads and replaces them ---

const StandInRegistryKeys& StandInRegistryAllKeys();
// Puts keys in place of all there are, without saving them.
void StandInRegistryReplaceKeys(StandInRegistryKeys keys);

// What a file keeping the registry installs: commit makes a change in the file and in the
// registry's keys (by StandInRegistryReplaceKeys) and returns false, with neither changed, when
// the file could not be written; detach makes the file let go of the registry; refresh puts what
// the file holds now in the keys.
using StandInRegistryCommit = bool (*)(const StandInRegistryChange& change);
using StandInRegistryDetach = void (*)();
using StandInRegistryRefresh = void (*)();
// While commit is set every change goes through it instead of straight into the keys, and a
// change it refuses is not made; refresh (when set) is called before every key is opened or
// created. A reset clears them and then calls detach. Null for all: changes are made in memory
// only.
void StandInRegistrySetCommit(StandInRegistryCommit commit, StandInRegistryDetach detach,
                              StandInRegistryRefresh refresh = nullptr);
