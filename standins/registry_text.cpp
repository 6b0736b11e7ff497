// The text form of the registry stand-in's keys: one value a line under its key, percent-escaped
// where a character would break the line; reading stops at the first line not understood.
#include "standins/registry_text.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "standins/utf8.h"
#include "text/chars.h"

namespace {

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

} // namespace

std::string StandInRegistryKeysText(const StandInRegistryKeys& keys) {
    std::string out = "; Registry of the Torvane console: one value a line under its key.\n";
    for (const auto& [folded, key] : keys) {
        out += "[" + Escape(key.path, false) + "]\n";
        for (const StandInRegistryStoredValue& v : key.values)
            out += "\"" + Escape(v.name, true) + "\"=" + DataText(v) + "\n";
    }
    return out;
}

bool StandInRegistryParseText(const std::string& text, StandInRegistryKeys* loaded, int* line) {
    loaded->clear();
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
            current = &StandInRegistryEnsureKey(*loaded, path);
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
    return true;
}
