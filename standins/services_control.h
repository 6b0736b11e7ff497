// Test and console controls of the native build's stand-ins for the Windows services.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Puts every stand-in of this header back into its state at start.
void StandInReset();

// The modifier keys held, as the bits of keys/modifiers.h.
void StandInSetModifiers(int state);

// Every sound alias played since the last reset, in order.
const std::vector<uint32_t>& StandInSoundsPlayed();
// For each of those, how much console text (StandInConsoleText) was kept when it played: the
// order of the two.
const std::vector<size_t>& StandInSoundPlaces();

// When the console device writes are captured they are kept here; otherwise they go to the
// function given to StandInShowConsoleWith (the console's terminal), or nowhere without one.
// Capturing is on after a reset.
void StandInCaptureConsole(bool capture);
const std::u16string& StandInConsoleText();
void StandInShowConsoleWith(std::function<void(const char16_t* text, size_t length)> show);
// Makes the console device unavailable, as when a process has no console.
void StandInSetConsoleMissing(bool missing);
// Makes the terminal bell ring for every sound (the console's choice).
void StandInSetBellForSounds(bool bell);

// Makes every allocation fail until switched back.
void StandInFailAllocations(bool fail);
// The plug-in's heap requests (PlatformAllocate calls, failed ones included) since the last reset.
size_t StandInAllocationCount();
// The bytes those requests asked for, together.
size_t StandInAllocatedBytes();

// Off: sounds and console device writes are no longer kept, so allocation counts and benchmarks
// see only the plug-in. On after a reset.
void StandInSetRecording(bool on);
