// The text file of the registry stand-in: the registry written as one value a line under its
// key, read back whole or not at all, saved through a temporary file after every change, and a
// file that cannot be loaded moved aside before it is overwritten.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "standins/registry.h"
#include "standins/registry_file.h"
#include "standins/utf8.h"
#include "text/chars.h"

namespace {

std::string filePath;
bool backupPending = false;
std::string backupPath;

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

std::string DataText(const StandInRegistryStoredValue& v) {
    char buffer[32];
    if (v.type == kRegDword && v.bytes.size() == 4) {
        uint32_t word = 0;
        std::memcpy(&word, v.bytes.data(), 4);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", word);
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

StandInRegistryFileStatus StandInRegistryAttachFile(const std::string& path, std::string* message) {
    StandInRegistryReplaceKeys({});
    StandInRegistryDetachFile();
    filePath = path;
    message->clear();
    if (Missing(path)) return StandInRegistryFileStatus::kNew;
    std::string contents, problem;
    int line = 0;
    auto status = StandInRegistryFileStatus::kUnreadable;
    if (!ReadFile(path, &contents)) {
        problem = std::string("cannot be read (") + std::strerror(errno != 0 ? errno : EIO) + ")";
    } else if (!StandInRegistryFromText(contents, &line)) {
        problem = "is corrupt (line " + std::to_string(line) + ")";
        status = StandInRegistryFileStatus::kCorrupt;
    } else {
        return StandInRegistryFileStatus::kLoaded;
    }
    backupPending = true;
    *message = "The registry file " + path + " " + problem +
               "; starting with an empty registry. The file will be moved aside to " + path +
               ".bad (or the next free .bad.N) before anything is saved.";
    return status;
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

bool StandInRegistryPersist() {
    std::string ignored;
    return StandInRegistrySaveFile(&ignored);
}

void StandInRegistryDetachFile() {
    filePath.clear();
    backupPending = false;
    backupPath.clear();
}

std::string StandInRegistryToText() {
    std::string out = "; Registry of the Torvane console: one value a line under its key.\n";
    for (const auto& [folded, key] : StandInRegistryAllKeys()) {
        out += "[" + Escape(key.path, false) + "]\n";
        for (const StandInRegistryStoredValue& v : key.values)
            out += "\"" + Escape(v.name, true) + "\"=" + DataText(v) + "\n";
    }
    return out;
}

bool StandInRegistryFromText(const std::string& text, int* line) {
    StandInRegistryKeys loaded;
    StandInRegistryStoredKey* current = nullptr;
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
            current = &StandInRegistryEnsureKey(loaded, path);
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
        StandInRegistryStoreValue(*current, name, type, std::move(bytes));
    }
    StandInRegistryReplaceKeys(std::move(loaded));
    return true;
}
