// The few Windows services the plug-in uses, behind plain functions. win32.cpp calls the real
// ones; the native build links the stand-ins of standins/ instead.
#pragma once

#include <cstddef>
#include <cstdint>

// How many characters at the start of text (count of them, each above U+00FF) the system's
// character-type data do not mark as a space: the index of the first space, or count when there
// is none. The system is asked about a whole run of characters in one query.
size_t PlatformSpanWithoutSpace(const char16_t* text, size_t count);

// True when the system's character-type data mark ch (above U+00FF) as a space.
inline bool PlatformIsSpace(char16_t ch) {
    return PlatformSpanWithoutSpace(&ch, 1) == 0;
}

// True when the system's character-type data mark ch (above U+007F) as a letter.
bool PlatformIsAlpha(char16_t ch);

// Virtual-key codes of the modifier keys, as the keyboard-state query takes them.
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12; // Alt

// True while the key is physically held (bit 15 of the asynchronous key state).
bool PlatformKeyHeld(int virtualKey);

// System sound alias identifiers; played asynchronously, the result ignored.
constexpr uint32_t kSoundSystemHand = 0x4853;     // 'S' 'H'
constexpr uint32_t kSoundSystemAsterisk = 0x2A53; // 'S' '*'
void PlatformPlaySound(uint32_t aliasId);

// Writes straight to the console device, bypassing redirection. Dropped when there is none.
void PlatformWriteConsole(const char16_t* text, size_t length);

// The heap behind SavedArgs.
void* PlatformAllocate(size_t bytes);
void PlatformRelease(void* block);

// The process's standard error handle, as the host's Qprintf takes it.
void* PlatformStdErrorHandle();

// The system's message text for an error code; false when the system has none.
bool PlatformSystemErrorText(uint32_t code, char16_t* buffer, size_t capacity);

// A modal box with one OK button, owned by the foreground window; returns once it is closed.
void PlatformMessageBox(const char16_t* text, const char16_t* title);

// Registry. Keys are opaque numbers; the two roots carry the system's predefined values.
using RegistryKey = uintptr_t;
constexpr RegistryKey kRootCurrentUser = 0x80000001;
constexpr RegistryKey kRootLocalMachine = 0x80000002;
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyWrite = 0x20006;
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegDword = 4;

// Each returns 0 or a Windows system error code, as the registry functions do.
int32_t PlatformRegOpenKey(RegistryKey root, const char16_t* path, uint32_t access,
                           RegistryKey* key);
int32_t PlatformRegQueryValue(RegistryKey key, const char16_t* name, uint32_t* type, void* data,
                              uint32_t* size);
int32_t PlatformRegCreateKey(RegistryKey root, const char16_t* path, uint32_t access,
                             RegistryKey* key);
int32_t PlatformRegSetValue(RegistryKey key, const char16_t* name, uint32_t type, const void* data,
                            uint32_t size);
void PlatformRegCloseKey(RegistryKey key);
