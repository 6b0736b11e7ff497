// The text form the registry stand-in is kept in on disk, one value a line under its key:
//   [HKCU\Software\Varnholt\Torvane]
//   "Hotkey"=dword:0001003d
//   "Text"=hex(1):46,00,33,00
#pragma once

#include <string>

#include "standins/registry.h"

// The text of keys, and of the registry's own.
std::string StandInRegistryKeysText(const StandInRegistryKeys& keys);
std::string StandInRegistryToText();
// False (and line, the 1-based number of the first bad line) when the text is not understood;
// keys then holds what came before that line.
bool StandInRegistryParseText(const std::string& text, StandInRegistryKeys* keys, int* line);
// The registry replaced by the text's keys; left unchanged when the text is not understood.
bool StandInRegistryFromText(const std::string& text, int* line);
