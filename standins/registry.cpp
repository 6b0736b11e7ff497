// The registry stand-in of the native build: the five registry functions over two roots held in
// memory, with Windows' result codes, failure switches and a call log for tests. While a file is
// attached every change is made through the commit it installed, and one it cannot save is not
// made at all; every key opened is first refreshed from the file.
#include <cstdio>
#include <cstring>
#include <map>

#include "standins/registry.h"
#include "standins/utf8.h"

namespace {

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr int32_t kErrorInvalidParameter = 87;
constexpr RegistryKey kFirstHandle = 0x100;

using Key = StandInRegistryStoredKey;
using Value = StandInRegistryStoredValue;

struct Handle {
    std::u16string folded;
    uint32_t access = 0;
};

StandInRegistryKeys keys;
std::map<RegistryKey, Handle> handles;
RegistryKey nextHandle = kFirstHandle;
std::map<RegistryKey, int32_t> openFailures;
std::map<RegistryKey, int32_t> createFailures;
std::map<std::u16string, int32_t> queryFailures; // by folded value name
std::map<std::u16string, int32_t> writeFailures;
std::vector<StandInRegistryCall> calls;
StandInRegistryCommit commitHook = nullptr;
StandInRegistryDetach detachHook = nullptr;
StandInRegistryRefresh refreshHook = nullptr;

Key* FindKey(const std::u16string& fullPath) {
    return StandInRegistryFindKey(keys, fullPath);
}

// The full path of a relative one under a root or an open handle, without empty components;
// false, with "?" standing for the base, when base is neither.
bool FullPath(RegistryKey base, const char16_t* relative, std::u16string* out) {
    auto handle = handles.find(base);
    bool known = true;
    if (base == kRootCurrentUser || base == kRootLocalMachine) {
        *out = base == kRootCurrentUser ? u"HKCU" : u"HKLM";
    } else if (handle != handles.end()) {
        Key* key = FindKey(handle->second.folded); // gone when it was deleted meanwhile
        *out = key == nullptr ? handle->second.folded : key->path;
    } else {
        *out = u"?";
        known = false;
    }
    std::u16string part;
    for (const char16_t* p = relative;; ++p) {
        if (p == nullptr || *p == 0 || *p == u'\\') {
            if (!part.empty()) *out += u'\\' + part;
            part.clear();
            if (p == nullptr || *p == 0) break;
        } else {
            part += *p;
        }
    }
    return known;
}

// The key at a path under a root or an open handle; null when there is none.
Key* FindKeyUnder(RegistryKey base, const std::u16string& path) {
    std::u16string full;
    return FullPath(base, path.c_str(), &full) ? FindKey(full) : nullptr;
}

using Kind = StandInRegistryChange::Kind;

StandInRegistryChange KeyChange(Kind kind, const std::u16string& path) {
    StandInRegistryChange change;
    change.kind = kind;
    change.path = path;
    return change;
}

StandInRegistryChange ValueChange(const std::u16string& path, const std::u16string& name,
                                  uint32_t type, std::string bytes) {
    StandInRegistryChange change = KeyChange(Kind::kSetValue, path);
    change.name = name;
    change.type = type;
    change.bytes = std::move(bytes);
    return change;
}

// Makes a change, through the commit hook when one is installed; false, with nothing changed,
// when the hook refused it.
bool Commit(const StandInRegistryChange& change) {
    if (commitHook != nullptr) return commitHook(change);
    StandInRegistryApplyChange(keys, change);
    return true;
}

// Creates the key at a full path with its missing parents; false when the file refused it.
bool CreateKey(const std::u16string& path) {
    return FindKey(path) != nullptr || Commit(KeyChange(Kind::kCreateKey, path));
}

// The code a failure switch holds for a root or a folded value name; 0 when it is off.
template <typename Id> int32_t FailureFor(const std::map<Id, int32_t>& table, const Id& id) {
    auto it = table.find(id);
    return it == table.end() ? 0 : it->second;
}

RegistryKey NewHandle(const std::u16string& path, uint32_t access) {
    RegistryKey handle = nextHandle;
    nextHandle += 4;
    handles[handle] = Handle{StandInRegistryFold(path), access};
    return handle;
}

uint32_t FirstWord(const void* data, uint32_t size) {
    uint32_t word = 0;
    if (data != nullptr) std::memcpy(&word, data, size < 4 ? size : 4);
    return word;
}

StandInRegistryCall NewCall(const char* function) {
    StandInRegistryCall call;
    call.function = function;
    return call;
}

// Opens an existing key, or creates one with its missing parents, and logs the call.
int32_t OpenOrCreate(bool create, RegistryKey root, const char16_t* path, uint32_t access,
                     RegistryKey* key) {
    if (refreshHook != nullptr) refreshHook(); // another process may have saved meanwhile
    StandInRegistryCall call = NewCall(create ? "create" : "open");
    call.access = access;
    if (!FullPath(root, path, &call.key))
        call.result = kErrorInvalidHandle;
    else if (int32_t code = FailureFor(create ? createFailures : openFailures, root))
        call.result = code;
    else if (create ? !CreateKey(call.key) : !FindKey(call.key))
        call.result = create ? kErrorRegistryIoFailed : kErrorFileNotFound;
    else
        *key = NewHandle(call.key, access);
    calls.push_back(call);
    return call.result;
}

} // namespace

const StandInRegistryKeys& StandInRegistryAllKeys() {
    return keys;
}

void StandInRegistryReplaceKeys(StandInRegistryKeys replacement) {
    keys = std::move(replacement);
}

void StandInRegistrySetCommit(StandInRegistryCommit commit, StandInRegistryDetach detach,
                              StandInRegistryRefresh refresh) {
    commitHook = commit;
    detachHook = detach;
    refreshHook = refresh;
}

void StandInRegistryReset() {
    keys.clear();
    handles.clear();
    nextHandle = kFirstHandle;
    openFailures.clear();
    createFailures.clear();
    queryFailures.clear();
    writeFailures.clear();
    calls.clear();
    StandInRegistryDetach detach = detachHook;
    StandInRegistrySetCommit(nullptr, nullptr);
    if (detach != nullptr) detach();
}

void StandInRegistrySetValue(RegistryKey root, const std::u16string& path,
                             const std::u16string& name, uint32_t type, const std::string& bytes) {
    std::u16string full;
    if (FullPath(root, path.c_str(), &full)) Commit(ValueChange(full, name, type, bytes));
}

void StandInRegistrySetDword(RegistryKey root, const std::u16string& path,
                             const std::u16string& name, uint32_t value) {
    StandInRegistrySetValue(root, path, name, kRegDword,
                            std::string(reinterpret_cast<const char*>(&value), 4));
}

void StandInRegistryCreateKey(RegistryKey root, const std::u16string& path) {
    std::u16string full;
    if (FullPath(root, path.c_str(), &full)) CreateKey(full);
}

void StandInRegistryDeleteKey(RegistryKey root, const std::u16string& path) {
    std::u16string base, full;
    if (!FullPath(root, u"", &base) || !FullPath(root, path.c_str(), &full) || !FindKey(full))
        return;
    // With no path the key named by root stays, emptied, as a tree deletion leaves it.
    bool atBase = StandInRegistryFold(full) == StandInRegistryFold(base);
    Commit(KeyChange(atBase ? Kind::kEmptyKey : Kind::kDeleteKey, full));
}

StandInRegistryValue StandInRegistryGetValue(RegistryKey root, const std::u16string& path,
                                             const std::u16string& name) {
    Key* key = FindKeyUnder(root, path);
    Value* v = key == nullptr ? nullptr : StandInRegistryFindValue(*key, name);
    return v == nullptr ? StandInRegistryValue{} : StandInRegistryValue{true, v->type, v->bytes};
}

bool StandInRegistryKeyExists(RegistryKey root, const std::u16string& path) {
    return FindKeyUnder(root, path) != nullptr;
}

std::vector<std::u16string> StandInRegistryValueNames(RegistryKey root,
                                                      const std::u16string& path) {
    std::vector<std::u16string> names;
    if (Key* key = FindKeyUnder(root, path))
        for (const Value& v : key->values)
            names.push_back(v.name);
    return names;
}

void StandInRegistryFailOpen(RegistryKey root, int32_t code) {
    openFailures[root] = code;
}
void StandInRegistryFailCreate(RegistryKey root, int32_t code) {
    createFailures[root] = code;
}
void StandInRegistryFailQuery(const std::u16string& name, int32_t code) {
    queryFailures[StandInRegistryFold(name)] = code;
}
void StandInRegistryFailWrite(const std::u16string& name, int32_t code) {
    writeFailures[StandInRegistryFold(name)] = code;
}

const std::vector<StandInRegistryCall>& StandInRegistryCalls() {
    return calls;
}
void StandInRegistryClearCalls() {
    calls.clear();
}

std::string StandInRegistryCallText(const StandInRegistryCall& call) {
    char buffer[96];
    std::string out = call.function + " ";
    if (call.function == "open" || call.function == "create") {
        std::snprintf(buffer, sizeof buffer, " access=0x%X", call.access);
        out += ToUtf8(call.key) + buffer;
    } else if (call.function == "query" || call.function == "set") {
        std::snprintf(buffer, sizeof buffer, " type=%u size=%u data=0x%X", call.type, call.size,
                      call.data);
        out += ToUtf8(call.name) + buffer;
    } else {
        return out + ToUtf8(call.key);
    }
    std::snprintf(buffer, sizeof buffer, " -> %d", call.result);
    return out + buffer;
}

size_t StandInRegistryOpenHandles() {
    return handles.size();
}

int32_t PlatformRegOpenKey(RegistryKey root, const char16_t* path, uint32_t access,
                           RegistryKey* key) {
    return OpenOrCreate(false, root, path, access, key);
}

int32_t PlatformRegQueryValue(RegistryKey key, const char16_t* name, uint32_t* type, void* data,
                              uint32_t* size) {
    StandInRegistryCall call = NewCall("query");
    call.name = name == nullptr ? u"" : name;
    call.type = type == nullptr ? 0 : *type;
    call.size = size == nullptr ? 0 : *size;
    call.data = FirstWord(data, call.size);
    auto handle = handles.find(key);
    Key* found = handle == handles.end() ? nullptr : FindKey(handle->second.folded);
    Value* v = found == nullptr ? nullptr : StandInRegistryFindValue(*found, call.name);
    if (handle == handles.end()) {
        call.result = kErrorInvalidHandle;
    } else {
        call.key = found == nullptr ? handle->second.folded : found->path;
        if ((handle->second.access & kKeyQueryValue) == 0)
            call.result = kErrorAccessDenied;
        else if (int32_t code = FailureFor(queryFailures, StandInRegistryFold(call.name)))
            call.result = code;
        else if (data != nullptr && size == nullptr)
            call.result = kErrorInvalidParameter;
        else if (v == nullptr)
            call.result = kErrorFileNotFound;
    }
    if (call.result == 0) {
        uint32_t length = static_cast<uint32_t>(v->bytes.size());
        if (type != nullptr) *type = v->type;
        if (data != nullptr) {
            // Like Windows: too small a buffer gets ERROR_MORE_DATA; only what fits is copied.
            std::memcpy(data, v->bytes.data(), length < *size ? length : *size);
            if (length > *size) call.result = kErrorMoreData;
        }
        if (size != nullptr) *size = length;
    }
    calls.push_back(call);
    return call.result;
}

int32_t PlatformRegCreateKey(RegistryKey root, const char16_t* path, uint32_t access,
                             RegistryKey* key) {
    return OpenOrCreate(true, root, path, access, key);
}

int32_t PlatformRegSetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data,
                            uint32_t size) {
    StandInRegistryCall call = NewCall("set");
    call.name = name == nullptr ? u"" : name;
    call.type = type;
    call.size = size;
    call.data = FirstWord(data, size);
    auto handle = handles.find(key);
    Key* found = handle == handles.end() ? nullptr : FindKey(handle->second.folded);
    if (handle == handles.end())
        call.result = kErrorInvalidHandle;
    else if ((handle->second.access & kKeySetValue) == 0)
        call.result = kErrorAccessDenied;
    else if (int32_t code = FailureFor(writeFailures, StandInRegistryFold(call.name)))
        call.result = code;
    else if (data == nullptr && size != 0)
        call.result = kErrorInvalidParameter;
    else if (found == nullptr)
        call.result = kErrorFileNotFound;
    if (found != nullptr) call.key = found->path;
    if (call.result == 0) {
        std::string bytes;
        if (data != nullptr) bytes.assign(static_cast<const char*>(data), size);
        if (!Commit(ValueChange(found->path, call.name, type, std::move(bytes))))
            call.result = kErrorRegistryIoFailed;
    }
    calls.push_back(call);
    return call.result;
}

void PlatformRegCloseKey(RegistryKey key) {
    StandInRegistryCall call = NewCall("close");
    auto handle = handles.find(key);
    if (handle != handles.end()) {
        Key* found = FindKey(handle->second.folded);
        call.key = found == nullptr ? handle->second.folded : found->path;
        handles.erase(handle);
    } else {
        call.result = kErrorInvalidHandle;
    }
    calls.push_back(call);
}
