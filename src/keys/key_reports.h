// Keys that newer hosts report by name instead of by code.
#pragma once

#include <cstdint>

constexpr int32_t kEnterCode = 13;

// The code for a key that the host reported by name in the record's keyName (hosts from
// kFirstHostVersionWithKeyNames on); 0 means the key is to be ignored.
int32_t CodeOfReportedKeyName(const char16_t* keyName);
