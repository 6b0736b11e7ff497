// Keys that newer hosts report by name instead of by code.
#pragma once

#include <cstdint>

constexpr int32_t kEnterCode = 13;

// The code for a key reported by name; 0 or below means the key is to be ignored.
int32_t CodeFromKeyName(const char16_t* keyName);
