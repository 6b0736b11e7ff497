// Keys that newer hosts report by name instead of by code.
#pragma once

#include <cstdint>

// Modifier bits that the keystroke handler ORs into a reported code.
constexpr int32_t kCtrlShiftBit = 0x20000;
constexpr int32_t kCtrlAltBit = 0x40000;
constexpr int32_t kCtrlAltShiftBits = kCtrlShiftBit | kCtrlAltBit;

constexpr int32_t kEnterCode = 13;

// The code for a key reported by name; 0 or below means the key is to be ignored.
int32_t CodeFromKeyName(const char16_t* keyName);
