// Reads the version resource and the manifest back from a built DLL through the system's own
// resource functions and writes what it finds, one fact per line, for comparison with the
// expected list.
//
//   resource_check.exe DLL [TRANSCRIPT]
#include <windows.h>

#include <string>
#include <vector>

#include "tests/scenarios/runner/transcript.h"

namespace {

// The string values looked up in the version resource, in the order they are reported.
constexpr const wchar_t* kStringNames[] = {
    L"CompanyName",      L"FileDescription", L"FileVersion",    L"InternalName",
    L"OriginalFilename", L"ProductName",     L"ProductVersion",
};

std::string Text(const wchar_t* text) {
    const auto* units = reinterpret_cast<const char16_t*>(text);
    size_t length = 0;
    while (units[length] != 0)
        ++length;
    return QuoteText(units, length);
}

// The names this program asks for are plain ASCII.
std::string Ascii(const wchar_t* text) {
    std::string out;
    for (; *text != 0; ++text)
        out += static_cast<char>(*text);
    return out;
}

std::string Version(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
           std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
    return text;
}

void ReportVersionResource(const wchar_t* path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) {
        TranscriptLine("version resource missing");
        return;
    }
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) {
        TranscriptLine("version resource unreadable");
        return;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        TranscriptLine("file version " + Version(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
        TranscriptLine("product version " +
                       Version(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
        TranscriptLine(std::string("file type ") +
                       (fixed->dwFileType == VFT_DLL ? "dll" : "other"));
    }
    WORD* translation = nullptr;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 4) {
        TranscriptLine("translation missing");
        return;
    }
    std::string language = Hex4(translation[0]) + Hex4(translation[1]);
    TranscriptLine("translation " + language);
    for (const wchar_t* name : kStringNames) {
        std::wstring query =
            L"\\StringFileInfo\\" + std::wstring(language.begin(), language.end()) + L"\\" + name;
        wchar_t* value = nullptr;
        bool found = VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                    &length) &&
                     value != nullptr;
        TranscriptLine("string " + Ascii(name) + " " +
                       (found ? Text(value) : std::string("missing")));
    }
}

// The value of attribute in the first element named element of the manifest, or "missing".
std::string Attribute(const std::string& xml, const std::string& element,
                      const std::string& attribute) {
    size_t at = xml.find("<" + element);
    if (at == std::string::npos) return "missing";
    size_t end = xml.find('>', at);
    size_t name = xml.find(" " + attribute + "=\"", at);
    if (name == std::string::npos || name > end) return "missing";
    size_t start = name + attribute.size() + 3;
    size_t close = xml.find('"', start);
    if (close == std::string::npos) return "missing";
    return "\"" + xml.substr(start, close - start) + "\"";
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    auto* names = reinterpret_cast<std::vector<std::string>*>(list);
    names->push_back(IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<uintptr_t>(name))
                                          : Text(name));
    return TRUE;
}

void ReportManifest(const wchar_t* path) {
    HMODULE module =
        LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        TranscriptLine("manifest cannot load the file");
        return;
    }
    std::vector<std::string> names;
    EnumResourceNamesW(module, RT_MANIFEST, CollectName, reinterpret_cast<LONG_PTR>(&names));
    std::string list = "manifest resources";
    for (const std::string& name : names)
        list += " " + name;
    TranscriptLine(list);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(2), RT_MANIFEST);
    HGLOBAL loaded = resource == nullptr ? nullptr : LoadResource(module, resource);
    const char* bytes =
        loaded == nullptr ? nullptr : static_cast<const char*>(LockResource(loaded));
    if (bytes != nullptr) {
        std::string xml(bytes, SizeofResource(module, resource));
        TranscriptLine("manifest level " + Attribute(xml, "requestedExecutionLevel", "level") +
                       " uiAccess " + Attribute(xml, "requestedExecutionLevel", "uiAccess"));
    }
    FreeLibrary(module);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: resource_check DLL [TRANSCRIPT]\n", stderr);
        return 2;
    }
    FILE* out = nullptr;
    if (argc == 3 && (out = _wfopen(argv[2], L"wb")) == nullptr) return 2;
    StartTranscript(out);
    ReportVersionResource(argv[1]);
    ReportManifest(argv[1]);
    CloseTranscript();
    return 0;
}
