// The Windows services behind platform.h, called for real, and the DLL entry routine. The only
// file of the plug-in that sees <windows.h>; wchar_t is the same 16-bit unit as char16_t here.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include "platform/platform.h"
#include "text/char_blocks.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
static_assert(sizeof(DWORD) == sizeof(uint32_t));
static_assert(sizeof(HKEY) == sizeof(RegistryKey));

namespace {

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

HKEY Key(RegistryKey key) {
    return reinterpret_cast<HKEY>(key);
}

// The first character-type class of one character, or 0 when the system has none for it.
WORD CharType(char16_t ch) {
    wchar_t unit = static_cast<wchar_t>(ch);
    WORD type = 0;
    if (!GetStringTypeW(CT_CTYPE1, &unit, 1, &type)) return 0;
    return type;
}

// Which characters the system marks as spaces, learnt a page of 256 characters at a time: the
// first time a character of a page is asked about, the system is asked about the whole page in
// one query, and its answers are kept for the life of the process (character types are the same
// in every locale and never change). A long run of characters then costs no query at all.
constexpr unsigned kPageBits = 8;
constexpr unsigned kPageChars = 1u << kPageBits;
enum PageState : uint8_t { kPageNotAsked, kPageWithoutSpaces, kPageWithSpaces };
PageState pageStates[0x10000 / kPageChars];
uint64_t spaceBits[0x10000 / 64];

unsigned PageOf(char16_t ch) {
    return ch >> kPageBits;
}

// Asks the system about every character of the page once, unless it was asked before.
void LearnPage(unsigned page) {
    if (pageStates[page] != kPageNotAsked) return;
    wchar_t units[kPageChars];
    WORD types[kPageChars] = {};
    for (unsigned i = 0; i < kPageChars; ++i)
        units[i] = static_cast<wchar_t>(page * kPageChars + i);
    // Characters the system has no types for are no spaces, as with CharType.
    bool any = false;
    if (GetStringTypeW(CT_CTYPE1, units, kPageChars, types)) {
        for (unsigned i = 0; i < kPageChars; ++i) {
            if ((types[i] & C1_SPACE) == 0) continue;
            const unsigned ch = page * kPageChars + i;
            spaceBits[ch / 64] |= uint64_t{1} << (ch % 64);
            any = true;
        }
    }
    pageStates[page] = any ? kPageWithSpaces : kPageWithoutSpaces;
}

// The console device: opened on first use and never tried again after a failure.
HANDLE consoleDevice = INVALID_HANDLE_VALUE;
bool consoleTried = false;

} // namespace

size_t PlatformSpanWithoutSpace(const char16_t* text, size_t count) {
    size_t i = 0;
    while (i < count) {
        const unsigned page = PageOf(text[i]);
        LearnPage(page);
        if (pageStates[page] == kPageWithoutSpaces) {
            // No character of this page is a space: step over all that follow in it, whole
            // blocks at a time.
            const CharBlock samePage = Splat(static_cast<char16_t>(page));
            i = SkipBlocks(text, i, count, [samePage](CharBlock block) {
                return (block >> kPageBits) != samePage;
            });
            while (i < count && PageOf(text[i]) == page)
                ++i;
            continue;
        }
        const char16_t ch = text[i];
        if (((spaceBits[ch / 64] >> (ch % 64)) & 1) != 0) return i;
        ++i;
    }
    return count;
}

bool PlatformIsAlpha(char16_t ch) {
    return (CharType(ch) & C1_ALPHA) != 0;
}

bool PlatformKeyHeld(int virtualKey) {
    return (static_cast<unsigned>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}

void PlatformPlaySound(uint32_t aliasId) {
    // The alias identifier travels in the name argument, as MAKEINTRESOURCE-style numbers do.
    PlaySoundW(reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(aliasId)), nullptr,
               SND_ALIAS_ID | SND_ASYNC);
}

void PlatformWriteConsole(const char16_t* text, size_t length) {
    if (!consoleTried) {
        consoleTried = true;
        consoleDevice = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    }
    if (consoleDevice == INVALID_HANDLE_VALUE || text == nullptr) return;
    // WriteConsoleW takes a 32-bit count; longer texts go in pieces.
    while (length > 0) {
        DWORD piece = length > 0x8000 ? 0x8000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteConsoleW(consoleDevice, Wide(text), piece, &written, nullptr) || written == 0)
            return;
        text += written;
        length -= written;
    }
}

void* PlatformAllocate(size_t bytes) {
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void PlatformRelease(void* block) {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void* PlatformStdErrorHandle() {
    return GetStdHandle(STD_ERROR_HANDLE);
}

bool PlatformSystemErrorText(uint32_t code, char16_t* buffer, size_t capacity) {
    if (buffer == nullptr || capacity == 0) return false;
    buffer[0] = 0;
    // From the system, inserts ignored, one line: no line breaks of the system's own.
    constexpr DWORD kFlags =
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    static_assert(kFlags == 0x12FF);
    DWORD size = capacity > 0xFFFF ? 0xFFFF : static_cast<DWORD>(capacity);
    DWORD n =
        FormatMessageW(kFlags, nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer), size, nullptr);
    if (n == 0 || n >= size) {
        buffer[0] = 0;
        return false;
    }
    buffer[n] = 0;
    return true;
}

void PlatformMessageBox(const char16_t* text, const char16_t* title) {
    MessageBoxW(GetForegroundWindow(), Wide(text), Wide(title), MB_OK);
}

int32_t PlatformRegOpenKey(RegistryKey root, const char16_t* path, uint32_t access,
                           RegistryKey* key) {
    HKEY opened = nullptr;
    LSTATUS status = RegOpenKeyExW(Key(root), Wide(path), 0, access, &opened);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(opened) : 0;
    return static_cast<int32_t>(status);
}

int32_t PlatformRegQueryValue(RegistryKey key, const char16_t* name, uint32_t* type, void* data,
                              uint32_t* size) {
    DWORD valueType = *type;
    DWORD valueSize = *size;
    LSTATUS status = RegQueryValueExW(Key(key), Wide(name), nullptr, &valueType,
                                      static_cast<BYTE*>(data), &valueSize);
    *type = valueType;
    *size = valueSize;
    return static_cast<int32_t>(status);
}

int32_t PlatformRegCreateKey(RegistryKey root, const char16_t* path, uint32_t access,
                             RegistryKey* key) {
    HKEY created = nullptr;
    LSTATUS status = RegCreateKeyExW(Key(root), Wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     access, nullptr, &created, nullptr);
    *key = status == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(created) : 0;
    return static_cast<int32_t>(status);
}

int32_t PlatformRegSetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data,
                            uint32_t size) {
    return static_cast<int32_t>(
        RegSetValueExW(Key(key), Wide(name), 0, type, static_cast<const BYTE*>(data), size));
}

void PlatformRegCloseKey(RegistryKey key) {
    RegCloseKey(Key(key));
}

// The library's entry routine: all set-up belongs to InitializePlugin and all release to
// ShutdownPlugin, so every notification just reports success.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
