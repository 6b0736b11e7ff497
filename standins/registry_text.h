// The text form the registry stand-in is kept in on disk, one value a line under its key:
//   [HKCU\Software\Varnholt\Torvane]
//   "Hotkey"=dword:0001003d
//   "Text"=hex(1):46,00,33,00
#pragma once

#include <string>

#include "standins/registry_keys.h"

// The text of keys.
std::string StandInRegistryKeysText(const StandInRegistryKeys& keys);
// False (and line, the 1-based number of the first bad line) when the text is not understood;
// keys then holds what came before that line.
bool StandInRegistryParseText(const std::string& text, StandInRegistryKeys* keys, int* line);
