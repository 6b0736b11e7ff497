// The keys of the registry stand-in as plain data: values under keys found by their case-folded
// path, and the record of one change to them. The registry, its text form and its file all work
// on this model; it depends on none of them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A value as its key holds it.
struct StandInRegistryStoredValue {
    std::u16string name;
    uint32_t type = 0;
    std::string bytes;
};
// A key: its path as first spelled, root included, and its values in the order first written.
struct StandInRegistryStoredKey {
    std::u16string path;
    std::vector<StandInRegistryStoredValue> values;
};
// Keys by their case-folded full path; the order puts every parent before its children.
using StandInRegistryKeys = std::map<std::u16string, StandInRegistryStoredKey>;

// A key path or value name with A to Z lowered: names are compared ignoring ASCII case only.
std::u16string StandInRegistryFold(const std::u16string& name);
// The key at a full path in keys (in any case); null when there is none.
StandInRegistryStoredKey* StandInRegistryFindKey(StandInRegistryKeys& keys,
                                                 const std::u16string& path);
// The value of that name (in any case) in key; null when there is none.
StandInRegistryStoredValue* StandInRegistryFindValue(StandInRegistryStoredKey& key,
                                                     const std::u16string& name);
// The key at a full path in keys, added with its missing parents.
StandInRegistryStoredKey& StandInRegistryEnsureKey(StandInRegistryKeys& keys,
                                                   const std::u16string& path);
// Overwrites the value of that name (in any case) or adds it after the others.
void StandInRegistryStoreValue(StandInRegistryStoredKey& key, const std::u16string& name,
                               uint32_t type, std::string bytes);

// One change to the registry, kept as a record so that a save can make it again on the keys
// its file holds by then.
struct StandInRegistryChange {
    enum class Kind {
        kCreateKey, // the key and its missing parents
        kSetValue,  // the value, in the key made when missing
        kDeleteKey, // the key and every key below it
        kEmptyKey,  // the key's values and every key below it; the key stays
    };
    Kind kind = Kind::kCreateKey;
    std::u16string path; // the key's full path, root included
    std::u16string name; // kSetValue: the value
    uint32_t type = 0;
    std::string bytes;
};
// Makes change in keys.
void StandInRegistryApplyChange(StandInRegistryKeys& keys, const StandInRegistryChange& change);
