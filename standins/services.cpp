// Stand-ins for the Windows services on the native build: they behave as the real ones do as
// far as the plug-in can see, and tests steer and observe them through services_control.h.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "keys/modifiers.h"
#include "platform/platform.h"
#include "standins/services_control.h"
#include "text/char_blocks.h"

namespace {

int modifierState = 0;
std::vector<uint32_t> soundsPlayed;
std::vector<size_t> soundPlaces;
bool captureConsole = true;
bool consoleMissing = false;
bool bellForSounds = false;
std::u16string consoleText;
std::function<void(const char16_t* text, size_t length)> showConsole;
bool failAllocations = false;
size_t allocationCount = 0;
size_t allocatedBytes = 0;
bool recording = true;

} // namespace

void StandInReset() {
    modifierState = 0;
    soundsPlayed.clear();
    soundPlaces.clear();
    captureConsole = true;
    consoleMissing = false;
    consoleText.clear();
    showConsole = nullptr;
    failAllocations = false;
    allocationCount = 0;
    allocatedBytes = 0;
    recording = true;
}

void StandInSetModifiers(int state) {
    modifierState = state;
}
const std::vector<uint32_t>& StandInSoundsPlayed() {
    return soundsPlayed;
}
const std::vector<size_t>& StandInSoundPlaces() {
    return soundPlaces;
}
void StandInCaptureConsole(bool capture) {
    captureConsole = capture;
}
const std::u16string& StandInConsoleText() {
    return consoleText;
}
void StandInShowConsoleWith(std::function<void(const char16_t* text, size_t length)> show) {
    showConsole = std::move(show);
}
void StandInSetConsoleMissing(bool missing) {
    consoleMissing = missing;
}
void StandInSetBellForSounds(bool bell) {
    bellForSounds = bell;
}
void StandInFailAllocations(bool fail) {
    failAllocations = fail;
}
size_t StandInAllocationCount() {
    return allocationCount;
}
size_t StandInAllocatedBytes() {
    return allocatedBytes;
}
void StandInSetRecording(bool on) {
    recording = on;
}

size_t PlatformSpanWithoutSpace(const char16_t* text, size_t count) {
    // The Unicode White_Space characters above U+00FF, all between U+1680 and U+3000: blocks with
    // no character in that range are stepped over whole.
    auto isSpace = [](char16_t ch) {
        return ch == 0x1680 || (ch >= 0x2000 && ch <= 0x200A) || ch == 0x2028 || ch == 0x2029 ||
               ch == 0x202F || ch == 0x205F || ch == 0x3000;
    };
    size_t i = SkipBlocks(text, 0, count, [](CharBlock block) {
        return block - Splat(0x1680) <= Splat(0x3000 - 0x1680);
    });
    for (; i < count; ++i)
        if (isSpace(text[i])) return i;
    return count;
}

bool PlatformIsAlpha(char16_t ch) {
    // Latin-1 letters, and the larger alphabetic blocks a stand-in needs to know.
    if (ch <= 0xFF)
        return ch == 0xAA || ch == 0xB5 || ch == 0xBA || (ch >= 0xC0 && ch != 0xD7 && ch != 0xF7);
    return (ch >= 0x100 && ch <= 0x24F) ||
           (ch >= 0x370 && ch <= 0x3FF && ch != 0x37E && ch != 0x387) ||
           (ch >= 0x400 && ch <= 0x52F) || (ch >= 0x4E00 && ch <= 0x9FFF);
}

bool PlatformKeyHeld(int virtualKey) {
    switch (virtualKey) {
    case kVkShift:
        return (modifierState & kShiftBit) != 0;
    case kVkControl:
        return (modifierState & kCtrlBit) != 0;
    case kVkMenu:
        return (modifierState & kAltBit) != 0;
    default:
        return false;
    }
}

void PlatformPlaySound(uint32_t aliasId) {
    if (recording) {
        soundsPlayed.push_back(aliasId);
        soundPlaces.push_back(consoleText.size());
    }
    if (bellForSounds) {
        std::fputs("\a", stderr);
        std::fflush(stderr);
    }
}

void PlatformWriteConsole(const char16_t* text, size_t length) {
    if (consoleMissing) return;
    if (captureConsole) {
        if (recording) consoleText.append(text, length);
        return;
    }
    if (showConsole) showConsole(text, length);
}

void* PlatformAllocate(size_t bytes) {
    ++allocationCount;
    allocatedBytes += bytes;
    return failAllocations ? nullptr : std::malloc(bytes);
}
void PlatformRelease(void* block) {
    std::free(block);
}

// The host stand-in reads handle 2 as its standard error stream.
void* PlatformStdErrorHandle() {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(2));
}
