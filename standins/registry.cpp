// The registry stand-in of the native build: the five registry functions over two roots held in
// memory, with Windows' result codes, failure switches and a call log for tests, and an optional
// text file that keeps the contents between runs of the console.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "standins/registry.h"
#include "text/chars.h"
#include "standins/utf8.h"

namespace {

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr int32_t kErrorInvalidParameter = 87;
constexpr RegistryKey kFirstHandle = 0x100;

struct Value {
    std::u16string name;
    uint32_t type = 0;
    std::string bytes;
};

struct Key {
    std::u16string path; // as first spelled, root included
    std::vector<Value> values;
};

struct Handle {
    std::u16string folded;
    uint32_t access = 0;
};

// Keys by their case-folded full path; a map keeps every parent before its children.
std::map<std::u16string, Key> keys;
std::map<RegistryKey, Handle> handles;
RegistryKey nextHandle = kFirstHandle;
std::map<RegistryKey, int32_t> openFailures;
std::map<RegistryKey, int32_t> createFailures;
std::map<std::u16string, int32_t> queryFailures; // by folded value name
std::map<std::u16string, int32_t> writeFailures;
std::vector<StandInRegistryCall> calls;

std::string filePath;
bool backupPending = false;
std::string backupPath;

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

// Creates the key at a full path and every missing parent; true when anything was new.
bool EnsureKey(const std::u16string& path) {
    bool created = false;
    size_t end = 0;
    while (end != std::u16string::npos) {
        end = path.find(u'\\', end + 1);
        std::u16string prefix = path.substr(0, end);
        auto [it, isNew] = keys.try_emplace(Fold(prefix));
        if (isNew) {
            it->second.path = prefix;
            created = true;
        }
    }
    return created;
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

void StoreValue(Key& key, const std::u16string& name, uint32_t type, std::string bytes) {
    Value* v = FindValue(key, name);
    if (v == nullptr) {
        key.values.push_back(Value{name, type, std::move(bytes)});
        return;
    }
    v->type = type;
    v->bytes = std::move(bytes);
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

// Saves after a change when a file is attached; false when the file could not be written.
bool Persist() {
    if (filePath.empty()) return true;
    std::string ignored;
    return StandInRegistrySaveFile(&ignored);
}

// --- the text file ---

bool MustEscape(char16_t ch, bool inValueName) {
    return ch < 0x20 || ch == u'%' || (inValueName && ch == u'"') || ch == 0x7F;
}

// Percent-escapes the characters that would break a line of the file.
std::string Escape(const std::u16string& text, bool inValueName) {
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !MustEscape(text[i], inValueName)) continue;
        out += ToUtf8(text.data() + start, i - start);
        if (i < text.size()) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned>(text[i]));
            out += hex;
        }
        start = i + 1;
    }
    return out;
}

int HexDigit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::u16string* out) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        int high = HexDigit(text[i + 1]);
        int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    *out = FromUtf8(bytes);
    return true;
}

// Reads up to maxDigits hex digits at text[*pos]; false when there are none.
bool ReadHex(const std::string& text, size_t* pos, size_t maxDigits, uint32_t* value) {
    size_t start = *pos;
    uint32_t v = 0;
    while (*pos < text.size() && *pos - start < maxDigits && HexDigit(text[*pos]) >= 0)
        v = v * 16 + static_cast<uint32_t>(HexDigit(text[(*pos)++]));
    *value = v;
    return *pos > start;
}

// "dword:0001003d" or "hex(1):46,00" after the '='.
bool ParseData(const std::string& text, uint32_t* type, std::string* bytes) {
    bytes->clear();
    if (text.rfind("dword:", 0) == 0) {
        size_t pos = 6;
        uint32_t value = 0;
        if (!ReadHex(text, &pos, 8, &value) || pos != 14 || pos != text.size()) return false;
        *type = kRegDword;
        bytes->assign(reinterpret_cast<const char*>(&value), 4);
        return true;
    }
    if (text.rfind("hex(", 0) != 0) return false;
    size_t pos = 4;
    if (!ReadHex(text, &pos, 8, type) || text.compare(pos, 2, "):") != 0) return false;
    pos += 2;
    while (pos < text.size()) {
        uint32_t byte = 0;
        size_t start = pos;
        if (!ReadHex(text, &pos, 2, &byte) || pos - start != 2) return false;
        *bytes += static_cast<char>(byte);
        if (pos == text.size()) break;
        if (text[pos++] != ',' || pos == text.size()) return false;
    }
    return true;
}

std::string DataText(const Value& v) {
    char buffer[32];
    if (v.type == kRegDword && v.bytes.size() == 4) {
        std::snprintf(buffer, sizeof buffer, "dword:%08x", FirstWord(v.bytes.data(), 4));
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "hex(%x):", v.type);
    std::string out = buffer;
    for (size_t i = 0; i < v.bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i == 0 ? "%02x" : ",%02x",
                      static_cast<unsigned char>(v.bytes[i]));
        out += buffer;
    }
    return out;
}

// A key header's path: a known root and no empty component.
bool ValidKeyPath(const std::u16string& path) {
    size_t slash = path.find(u'\\');
    std::u16string root = path.substr(0, slash);
    if (!EqualsIgnoreCase(root.c_str(), u"HKCU") && !EqualsIgnoreCase(root.c_str(), u"HKLM"))
        return false;
    if (slash == std::u16string::npos) return true;
    if (path.back() == u'\\') return false;
    return path.find(u"\\\\") == std::u16string::npos;
}

bool ReadFile(const std::string& path, std::string* contents) {
    std::error_code ec;
    errno = 0;
    if (std::filesystem::is_directory(path, ec)) {
        errno = EISDIR;
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        contents->append(chunk, n);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool WriteFile(const std::string& path, const std::string& contents) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

// True only when nothing at all is at path; a path that cannot be looked at is not missing.
bool Missing(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() ==
           std::filesystem::file_type::not_found;
}

// Moves the file that could not be loaded to the first free FILE.bad, FILE.bad.1, ...
bool MoveAside(std::string* message) {
    std::error_code ec;
    if (Missing(filePath)) {
        backupPending = false; // gone meanwhile: nothing left to keep
        return true;
    }
    for (int i = 0; i < 100; ++i) {
        std::string candidate = filePath + ".bad" + (i == 0 ? "" : "." + std::to_string(i));
        if (!Missing(candidate)) continue;
        if (std::rename(filePath.c_str(), candidate.c_str()) != 0) break;
        backupPath = candidate;
        backupPending = false;
        return true;
    }
    *message = "Cannot move the registry file " + filePath +
               " aside; it is left as it is and nothing is saved.";
    return false;
}

} // namespace

void StandInRegistryReset() {
    keys.clear();
    handles.clear();
    nextHandle = kFirstHandle;
    openFailures.clear();
    createFailures.clear();
    queryFailures.clear();
    writeFailures.clear();
    calls.clear();
    filePath.clear();
    backupPending = false;
    backupPath.clear();
}

void StandInRegistrySetValue(RegistryKey root, const std::u16string& path,
                              const std::u16string& name, uint32_t type, const std::string& bytes) {
    std::u16string base;
    if (!BasePath(root, &base)) return;
    std::u16string full = JoinPath(base, path.c_str());
    EnsureKey(full);
    StoreValue(*FindKey(full), name, type, bytes);
    Persist();
}

void StandInRegistrySetDword(RegistryKey root, const std::u16string& path,
                              const std::u16string& name, uint32_t value) {
    StandInRegistrySetValue(root, path, name, kRegDword,
                             std::string(reinterpret_cast<const char*>(&value), 4));
}

void StandInRegistryCreateKey(RegistryKey root, const std::u16string& path) {
    std::u16string base;
    if (!BasePath(root, &base)) return;
    if (EnsureKey(JoinPath(base, path.c_str()))) Persist();
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
    Persist();
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

StandInRegistryFileStatus StandInRegistryAttachFile(const std::string& path,
                                                      std::string* message) {
    keys.clear();
    filePath = path;
    backupPending = false;
    backupPath.clear();
    message->clear();
    std::error_code ec;
    if (Missing(path)) return StandInRegistryFileStatus::kNew;
    std::string contents;
    if (!ReadFile(path, &contents)) {
        backupPending = true;
        *message = "The registry file " + path + " cannot be read (" +
                   std::strerror(errno != 0 ? errno : EIO) +
                   "); starting with an empty registry. The file will be moved aside to " + path +
                   ".bad (or the next free .bad.N) before anything is saved.";
        return StandInRegistryFileStatus::kUnreadable;
    }
    int line = 0;
    if (!StandInRegistryFromText(contents, &line)) {
        backupPending = true;
        *message = "The registry file " + path + " is corrupt (line " + std::to_string(line) +
                   "); starting with an empty registry. The file will be moved aside to " + path +
                   ".bad (or the next free .bad.N) before anything is saved.";
        return StandInRegistryFileStatus::kCorrupt;
    }
    return StandInRegistryFileStatus::kLoaded;
}

bool StandInRegistrySaveFile(std::string* message) {
    message->clear();
    if (filePath.empty()) return true;
    if (backupPending && !MoveAside(message)) return false;
    std::string temporary = filePath + ".tmp";
    if (!WriteFile(temporary, StandInRegistryToText()) ||
        std::rename(temporary.c_str(), filePath.c_str()) != 0) {
        *message = "Cannot write the registry file " + filePath + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

const std::string& StandInRegistryBackupPath() {
    return backupPath;
}

std::string StandInRegistryToText() {
    std::string out = "; Registry of the Torvane console: one value a line under its key.\n";
    for (const auto& [folded, key] : keys) {
        out += "[" + Escape(key.path, false) + "]\n";
        for (const Value& v : key.values)
            out += "\"" + Escape(v.name, true) + "\"=" + DataText(v) + "\n";
    }
    return out;
}

bool StandInRegistryFromText(const std::string& text, int* line) {
    std::map<std::u16string, Key> loaded;
    Key* current = nullptr;
    size_t pos = 0;
    *line = 0;
    while (pos < text.size()) {
        ++*line;
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string row = text.substr(pos, end - pos);
        pos = end + 1;
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.empty() || row[0] == ';') continue;
        if (row[0] == '[') {
            std::u16string path;
            if (row.size() < 3 || row.back() != ']' ||
                !Unescape(row.substr(1, row.size() - 2), &path) || !ValidKeyPath(path))
                return false;
            size_t end = 0;
            while (end != std::u16string::npos) { // the key and its parents
                end = path.find(u'\\', end + 1);
                std::u16string prefix = path.substr(0, end);
                auto [it, isNew] = loaded.try_emplace(Fold(prefix));
                if (isNew) it->second.path = prefix;
                current = &it->second;
            }
            continue;
        }
        size_t close = row.find('"', 1);
        std::u16string name;
        uint32_t type = 0;
        std::string bytes;
        if (current == nullptr || row[0] != '"' || close == std::string::npos ||
            row.compare(close + 1, 1, "=") != 0 || !Unescape(row.substr(1, close - 1), &name) ||
            !ParseData(row.substr(close + 2), &type, &bytes))
            return false;
        StoreValue(*current, name, type, std::move(bytes));
    }
    keys = std::move(loaded);
    return true;
}

namespace {

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
    else if (EnsureKey(call.key) && !Persist())
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
        StoreValue(*found, call.name, type, std::move(bytes));
        if (!Persist()) call.result = kErrorRegistryIoFailed;
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
