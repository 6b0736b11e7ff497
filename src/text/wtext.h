// Bounded operations on zero-terminated UTF-16 text. Every write stays inside the given capacity
// (counted in characters, the terminating zero included) and always leaves a terminated string.
#pragma once

#include <cstdarg>
#include <cstddef>

size_t TextLength(const char16_t* text);

// Number of characters before the terminator, looking at no more than cap characters.
size_t TextLengthBounded(const char16_t* text, size_t cap);

// The same for text in a buffer whose first cap characters may all be read, past the terminator
// too; several characters per step. cap when there is no terminator among them.
size_t TextLengthInBuffer(const char16_t* text, size_t cap);

// Copies src into dst as CopyText does, each control character shown as a visible symbol (see
// VisibleChar).
size_t CopyVisibleText(char16_t* dst, size_t cap, const char16_t* src);

// Copies src into dst; returns the length written (src is cut to cap - 1 characters).
size_t CopyText(char16_t* dst, size_t cap, const char16_t* src);

// Appends src to the text already in dst; returns the new length.
size_t AppendText(char16_t* dst, size_t cap, const char16_t* src);

bool TextEquals(const char16_t* a, const char16_t* b);

// printf-style formatting with the directives the host knows: %s (UTF-16 text, null shown as
// "(null)"), %d (signed 32-bit), %u (unsigned 32-bit) and %%. Anything else is copied as it
// stands. Returns the length written.
size_t FormatText(char16_t* out, size_t cap, const char16_t* format, ...);
size_t FormatTextV(char16_t* out, size_t cap, const char16_t* format, va_list args);
