// Error lines of the command: the prefix that starts each, and system error texts.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kErrorTextSize = 1024;

// Writes "Torvane plugin: " and, inside a batch file, its name and line to standard error.
void WriteErrorPrefix();

// Fills buffer (kErrorTextSize characters) with the one-line system text for code.
void GetSystemErrorText(uint32_t code, char16_t* buffer);
