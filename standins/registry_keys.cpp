// The registry stand-in's keys: finding them and their values ignoring ASCII case, adding a key
// with its parents, and making one recorded change.
#include "standins/registry_keys.h"

#include "text/chars.h"

using Kind = StandInRegistryChange::Kind;

std::u16string StandInRegistryFold(const std::u16string& name) {
    std::u16string out = name;
    for (char16_t& ch : out)
        ch = FoldAscii(ch);
    return out;
}

StandInRegistryStoredKey* StandInRegistryFindKey(StandInRegistryKeys& keys,
                                                 const std::u16string& path) {
    auto it = keys.find(StandInRegistryFold(path));
    return it == keys.end() ? nullptr : &it->second;
}

StandInRegistryStoredValue* StandInRegistryFindValue(StandInRegistryStoredKey& key,
                                                     const std::u16string& name) {
    std::u16string folded = StandInRegistryFold(name);
    for (StandInRegistryStoredValue& v : key.values)
        if (StandInRegistryFold(v.name) == folded) return &v;
    return nullptr;
}

StandInRegistryStoredKey& StandInRegistryEnsureKey(StandInRegistryKeys& keys,
                                                   const std::u16string& path) {
    StandInRegistryStoredKey* key = nullptr;
    size_t end = 0;
    while (end != std::u16string::npos) { // the key and its parents
        end = path.find(u'\\', end + 1);
        std::u16string prefix = path.substr(0, end);
        auto [it, isNew] = keys.try_emplace(StandInRegistryFold(prefix));
        if (isNew) it->second.path = prefix;
        key = &it->second;
    }
    return *key;
}

void StandInRegistryStoreValue(StandInRegistryStoredKey& key, const std::u16string& name,
                               uint32_t type, std::string bytes) {
    StandInRegistryStoredValue* v = StandInRegistryFindValue(key, name);
    if (v == nullptr) v = &key.values.emplace_back(StandInRegistryStoredValue{name, 0, {}});
    v->type = type;
    v->bytes = std::move(bytes);
}

void StandInRegistryApplyChange(StandInRegistryKeys& keys, const StandInRegistryChange& change) {
    if (change.kind == Kind::kCreateKey) {
        StandInRegistryEnsureKey(keys, change.path);
    } else if (change.kind == Kind::kSetValue) {
        StandInRegistryStoreValue(StandInRegistryEnsureKey(keys, change.path), change.name,
                                  change.type, change.bytes);
    } else {
        std::u16string folded = StandInRegistryFold(change.path);
        auto it = keys.find(folded);
        if (it != keys.end() && change.kind == Kind::kEmptyKey)
            it->second.values.clear();
        else if (it != keys.end())
            keys.erase(it);
        std::u16string below = folded + u'\\';
        for (it = keys.lower_bound(below);
             it != keys.end() && it->first.compare(0, below.size(), below) == 0;)
            it = keys.erase(it);
    }
}
