// The modifier keys: the bits of a modifier state, which the keystroke handler reads from the
// keyboard and the key-name parser from modifier words, and the bits the handler adds to a
// reported key code for the combinations that the host reports with one modifier.
#pragma once

#include <cstdint>

constexpr int kShiftBit = 1;
constexpr int kCtrlBit = 2;
constexpr int kAltBit = 4;
constexpr int kCtrlShiftState = kCtrlBit | kShiftBit;
constexpr int kCtrlAltState = kCtrlBit | kAltBit;
constexpr int kCtrlAltShiftState = kCtrlBit | kAltBit | kShiftBit;
constexpr int kModifierStates = 8; // every combination of the three bits

// Bits ORed into a reported code while Ctrl+Shift, Ctrl+Alt or Ctrl+Alt+Shift are held.
constexpr int32_t kCtrlShiftCodeBit = 0x20000;
constexpr int32_t kCtrlAltCodeBit = 0x40000;
constexpr int32_t kCtrlAltShiftCodeBits = kCtrlShiftCodeBit | kCtrlAltCodeBit;
