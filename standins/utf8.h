// Conversions between the plug-in's UTF-16 and the UTF-8 of terminals and files. Used by the
// stand-ins and tools of the native build, never by the plug-in's own logic.
#pragma once

#include <cstddef>
#include <string>

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(const char16_t* text, size_t length);
std::string ToUtf8(const std::u16string& text);

// Malformed bytes become U+FFFD.
std::u16string FromUtf8(const std::string& bytes);
