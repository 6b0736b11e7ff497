// The plug-in's message boxes (its help) on the console's terminal: drawn to fit the terminal,
// scrolled when taller than it, closed with Enter or Esc; Ctrl-C closes the box and leaves. Also
// the keys that go on with a command's output paged on the terminal.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/terminal/decoder.h"
#include "console/terminal/reader.h"
#include "console/terminal/screen.h"
#include "console/terminal/terminal_screen.h"

// A box laid out for a terminal: its text broken into rows of the box's inner width.
struct BoxLayout {
    std::vector<std::u16string> title;
    std::vector<std::u16string> body;
    size_t inner;   // columns between the borders' blanks
    size_t visible; // body rows shown at once; fewer than body.size() when it scrolls
};

BoxLayout LayOutBox(const std::u16string& text, const std::u16string& title, size_t width,
                    size_t height);

// The rows of the box, its borders included, with the body shown from row top on.
std::vector<std::u16string> BoxRows(const BoxLayout& box, size_t top);

enum class BoxAnswer {
    kStay,
    kClose,
    kLeave, // close the box and leave the console (Ctrl-C)
};

// What a key does to the box; scrolling keys move *top.
BoxAnswer BoxKey(const BoxLayout& box, const DecodedInput& item, size_t* top);

// What the box needs of the console while it is up: the plug-in's message box is synchronous, so
// the box reads its keys itself, inside the plug-in's call. So does the pager of a command's long
// output.
struct HelpBoxTerminal {
    Screen* screen;                // draws the box and gives its size
    KeyReader* keys;               // the keys that scroll and close it
    std::function<void()> resized; // the terminal was resized: the screen takes its new size
    std::function<void()> leave;   // Ctrl-C: the console leaves once the box is closed
};

// Shows the box on the terminal and returns once it was closed (the stand-ins' message box).
void ShowHelpBox(const HelpBoxTerminal& terminal, const std::u16string& text,
                 const std::u16string& title);

// How a key goes on with a command's output that filled the terminal: Space or PgDn a page, Enter
// or Down a row, q, Esc or Ctrl-C stop; null for any other key.
std::optional<More> MoreKey(const DecodedInput& item);

// Waits for a key that says how the output goes on (the terminal screen's pager); Ctrl-C also
// leaves the console once the command is done. Only single pager keys are the pager's: a paste,
// and text typed ahead (waiting when the page filled, or coming at once as more than one item),
// end the wait with More::kRest and stay for the edit line.
More WaitForMore(const HelpBoxTerminal& terminal);
