// Text laid out for a terminal: broken at blanks so that no row is wider than the terminal.
#pragma once

#include <cstddef>
#include <string>

// Terminal columns of text, by the editor's cell widths.
size_t TextColumns(const std::u16string& text);

// text with each of its lines broken at blanks into rows of at most width columns; the rows a
// line is broken into after its first start with indent blanks. The blanks at a break are
// dropped; a word wider than a row stays whole on a row of its own.
std::u16string WrapText(const std::u16string& text, size_t width, size_t indent = 0);
