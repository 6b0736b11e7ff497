// The registry stand-in of the native build: the five registry functions over two roots held in
// memory, with Windows' result codes, failure switches and a call log for tests. Every change is
// handed to the registry file, which saves it when one is attached.
#include <cstdio>
#include <cstring>

#include "standins/registry.h"
#include "standins/registry_file.h"
#include "standins/utf8.h"
#include "text/chars.h"

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

std::u16string Fold(const std::u16string& text) {
    std::u16string out = text;
    for (char16_t& ch : out)
        ch = FoldAscii(ch);
    return out;
}

const char16_t* RootName(RegistryKey root) {
    if (root == kRootCurrentUser) return u"HKCU";
    if (root == kRootLocalMachine) return u"HKLM";
    return nullptr;
}

// The full path of a root or an open handle; false for anything else.
bool BasePath(RegistryKey base, std::u16string* path) {
    if (const char16_t* name = RootName(base)) {
        *path = name;
        return true;
    }
    auto it = handles.find(base);
    if (it == handles.end()) return false;
    auto key = keys.find(it->second.folded);
    *path = key == keys.end() ? it->second.folded : key->second.path;
    return true;
}

// Joins base and a relative path, dropping empty components.
std::u16string JoinPath(const std::u16string& base, const char16_t* relative) {
    std::u16string out = base;
    std::u16string part;
    for (const char16_t* p = relative;; ++p) {
        if (p == nullptr || *p == 0 || *p == u'\\') {
            if (!part.empty()) out += u'\\' + part;
            part.clear();
            if (p == nullptr || *p == 0) break;
        } else {
            part += *p;
        }
    }
    return out;
}

// Adds the key at a full path with its missing parents; true when any of them was new.
bool AddKey(const std::u16string& path) {
    size_t before = keys.size();
    StandInRegistryEnsureKey(keys, path);
    return keys.size() != before;
}

Value* FindValue(Key& key, const std::u16string& name) {
    std::u16string folded = Fold(name);
    for (Value& v : key.values)
        if (Fold(v.name) == folded) return &v;
    return nullptr;
}

Key* FindKey(const std::u16string& fullPath) {
    auto it = keys.find(Fold(fullPath));
    return it == keys.end() ? nullptr : &it->second;
}

int32_t FailureFor(const std::map<std::u16string, int32_t>& table, const char16_t* name) {
    auto it = table.find(Fold(name == nullptr ? u"" : name));
    return it == table.end() ? 0 : it->second;
}

int32_t FailureFor(const std::map<RegistryKey, int32_t>& table, RegistryKey root) {
    auto it = table.find(root);
    return it == table.end() ? 0 : it->second;
}

RegistryKey NewHandle(const std::u16string& path, uint32_t access) {
    RegistryKey handle = nextHandle;
    nextHandle += 4;
    handles[handle] = Handle{Fold(path), access};
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

// Starts the log entry of an open or create: the key's full path, with "?" for an unknown root.
StandInRegistryCall KeyCall(const char* function, RegistryKey root, const char16_t* path,
                            uint32_t access, bool* known) {
    StandInRegistryCall call = NewCall(function);
    call.access = access;
    std::u16string base;
    *known = BasePath(root, &base);
    call.key = JoinPath(*known ? base : u"?", path);
    return call;
}

} // namespace

const StandInRegistryKeys& StandInRegistryAllKeys() {
    return keys;
}

void StandInRegistryReplaceKeys(StandInRegistryKeys replacement) {
    keys = std::move(replacement);
}

StandInRegistryStoredKey& StandInRegistryEnsureKey(StandInRegistryKeys& into,
                                                   const std::u16string& path) {
    Key* key = nullptr;
    size_t end = 0;
    while (end != std::u16string::npos) { // the key and its parents
        end = path.find(u'\\', end + 1);
        std::u16string prefix = path.substr(0, end);
        auto [it, isNew] = into.try_emplace(Fold(prefix));
        if (isNew) it->second.path = prefix;
        key = &it->second;
    }
    return *key;
}

void StandInRegistryStoreValue(StandInRegistryStoredKey& key, const std::u16string& name,
                               uint32_t type, std::string bytes) {
    Value* v = FindValue(key, name);
    if (v == nullptr) {
        key.values.push_back(Value{name, type, std::move(bytes)});
        return;
    }
    v->type = type;
    v->bytes = std::move(bytes);
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
    StandInRegistryDetachFile();
}

void StandInRegistrySetValue(RegistryKey root, const std::u16string& path,
                             const std::u16string& name, uint32_t type, const std::string& bytes) {
    std::u16string base;
    if (!BasePath(root, &base)) return;
    StandInRegistryStoreValue(StandInRegistryEnsureKey(keys, JoinPath(base, path.c_str())), name,
                              type, bytes);
    StandInRegistryPersist();
}

void StandInRegistrySetDword(RegistryKey root, const std::u16string& path,
                             const std::u16string& name, uint32_t value) {
    StandInRegistrySetValue(root, path, name, kRegDword,
                            std::string(reinterpret_cast<const char*>(&value), 4));
}

void StandInRegistryCreateKey(RegistryKey root, const std::u16string& path) {
    std::u16string base;
    if (!BasePath(root, &base)) return;
    if (AddKey(JoinPath(base, path.c_str()))) StandInRegistryPersist();
}

void StandInRegistryDeleteKey(RegistryKey root, const std::u16string& path) {
    std::u16string base;
    if (!BasePath(root, &base)) return;
    std::u16string full = Fold(JoinPath(base, path.c_str()));
    auto it = keys.find(full);
    if (it == keys.end()) return;
    // With no path the key named by root stays, emptied, as a tree deletion leaves it.
    if (full == Fold(base))
        it->second.values.clear();
    else
        keys.erase(it);
    std::u16string below = full + u'\\';
    for (it = keys.lower_bound(below);
         it != keys.end() && it->first.compare(0, below.size(), below) == 0;)
        it = keys.erase(it);
    StandInRegistryPersist();
}

StandInRegistryValue StandInRegistryGetValue(RegistryKey root, const std::u16string& path,
                                             const std::u16string& name) {
    StandInRegistryValue out;
    std::u16string base;
    if (!BasePath(root, &base)) return out;
    Key* key = FindKey(JoinPath(base, path.c_str()));
    Value* v = key == nullptr ? nullptr : FindValue(*key, name);
    if (v == nullptr) return out;
    out.exists = true;
    out.type = v->type;
    out.bytes = v->bytes;
    return out;
}

bool StandInRegistryKeyExists(RegistryKey root, const std::u16string& path) {
    std::u16string base;
    return BasePath(root, &base) && FindKey(JoinPath(base, path.c_str())) != nullptr;
}

std::vector<std::u16string> StandInRegistryValueNames(RegistryKey root,
                                                      const std::u16string& path) {
    std::vector<std::u16string> names;
    std::u16string base;
    Key* key = BasePath(root, &base) ? FindKey(JoinPath(base, path.c_str())) : nullptr;
    if (key != nullptr)
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
    queryFailures[Fold(name)] = code;
}
void StandInRegistryFailWrite(const std::u16string& name, int32_t code) {
    writeFailures[Fold(name)] = code;
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
    bool known = false;
    StandInRegistryCall call = KeyCall("open", root, path, access, &known);
    if (!known)
        call.result = kErrorInvalidHandle;
    else if (int32_t code = FailureFor(openFailures, root))
        call.result = code;
    else if (FindKey(call.key) == nullptr)
        call.result = kErrorFileNotFound;
    else
        *key = NewHandle(call.key, access);
    calls.push_back(call);
    return call.result;
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
    Value* v = found == nullptr ? nullptr : FindValue(*found, call.name);
    if (handle == handles.end()) {
        call.result = kErrorInvalidHandle;
    } else {
        call.key = found == nullptr ? handle->second.folded : found->path;
        if ((handle->second.access & kKeyQueryValue) == 0)
            call.result = kErrorAccessDenied;
        else if (int32_t code = FailureFor(queryFailures, name))
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
    bool known = false;
    StandInRegistryCall call = KeyCall("create", root, path, access, &known);
    if (!known)
        call.result = kErrorInvalidHandle;
    else if (int32_t code = FailureFor(createFailures, root))
        call.result = code;
    else if (AddKey(call.key) && !StandInRegistryPersist())
        call.result = kErrorRegistryIoFailed;
    else
        *key = NewHandle(call.key, access);
    calls.push_back(call);
    return call.result;
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
    else if (int32_t code = FailureFor(writeFailures, name))
        call.result = code;
    else if (data == nullptr && size != 0)
        call.result = kErrorInvalidParameter;
    else if (found == nullptr)
        call.result = kErrorFileNotFound;
    if (found != nullptr) call.key = found->path;
    if (call.result == 0) {
        std::string bytes;
        if (data != nullptr) bytes.assign(static_cast<const char*>(data), size);
        StandInRegistryStoreValue(*found, call.name, type, std::move(bytes));
        if (!StandInRegistryPersist()) call.result = kErrorRegistryIoFailed;
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
