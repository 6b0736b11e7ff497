// The console's session: the host's side of every key on the edit line (the plug-in's keystroke
// handler first, then the host's own editing, history and paste). The line a key runs comes back
// to the caller, which runs it; the screen shows the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "console/session/driver.h"
#include "console/session/variables.h"
#include "console/terminal/decoder.h"
#include "console/terminal/line.h"
#include "console/terminal/screen.h"

constexpr const char16_t* kPrompt = u"> ";

struct Session {
    ConsoleLine line;        // the host's edit line, which the plug-in writes into in place
    PluginDriver* plugin;    // the plug-in, native or under Wine; not owned
    Screen* screen;          // where the line and the texts show; not owned
    KeptVariables variables; // what set keeps for the next start, and its file
    bool extendedHost;       // the host reports some keys by name
    bool promptShown;        // false once the plug-in moved the line's start (after a trace line)
    int32_t originRow;       // the line's first row, as GetAbsCursorPosition counts rows
    bool redrawPending;      // the line changed since it was last drawn
    bool bellPending;        // a character did not fit: the bell rings at the next flush
    bool pasting;            // inside a bracketed paste: a line break runs the line, a tab types
    bool pasteAfterReturn;   // a pasted carriage return just ran the line: a line feed is its part
    bool exitRequested;      // exit, Ctrl-C or a lost plug-in: no more keys are read
    int exitStatus;          // 130 after Ctrl-C, as a shell reports a program ended by it

    // The lines run, oldest first: no empty one, none twice in a row.
    std::vector<std::u16string> history;
    size_t historyIndex;  // history.size() while editing a new line
    std::u16string draft; // the new line while the history is shown
};

// Starts a session over plugin on screen, with a new, empty line.
void SessionBegin(Session& session, PluginDriver* plugin, Screen* screen, bool extendedHost);

// Handles one decoded input item. A line that a key ran comes back for the caller to run; the
// session has started a new line by then.
std::optional<std::u16string> SessionInput(Session& session, const DecodedInput& item);

// Draws what is pending (the line, the bell) once a batch of input has been handled.
void SessionFlush(Session& session);

// The terminal now has this size; the line is drawn again at the next flush.
void SessionResize(Session& session, TerminalSize size);

// Ends the session at the user's wish: exit (status 0) or Ctrl-C (130).
void SessionLeave(Session& session, int status);

// Ctrl-C, typed at the line or while the console waited: the screen shows it after the line, and
// the session ends with status 130.
void SessionInterrupt(Session& session);

// Once the plug-in can no longer be reached, says why below the line and ends the session with
// status 1.
void SessionCheckPlugin(Session& session);

// The keys the host edits the line with when the plug-in leaves them alone, named as the console
// names keys ("Ctrl-Left"), in the order of its table: what the README lists.
std::vector<std::u16string> SessionEditKeyNames();
