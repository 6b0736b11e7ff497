// Argument capture on Enter and recall on the hotkey.
#pragma once

#include "plugin/host.h"

// The captured arguments: one heap string of exactly their length, or null. Never empty.
extern char16_t* SavedArgs;
// Their length in characters, 0 while there are none; kept in step with SavedArgs.
extern size_t SavedArgsLength;

// First character of the arguments in line (after the command word and its blanks), or null. The
// line is read only inside its buffer of size characters, and ends at its terminator or, without
// one, before the buffer's last slot.
const char16_t* FindArgs(const char16_t* line, size_t size);

// Routes Enter to capture and the hotkey to recall, after adding the modifier bits; returns 0.
int DispatchKeystroke(KeystrokeRecord* record);

int CaptureArgs(KeystrokeRecord* record);
int RecallSavedArgs(KeystrokeRecord* record);

// After a trace line: the edit line starts again at column 0 of the cursor's current row.
void ResetLinePosition(KeystrokeRecord* record);

// Releases SavedArgs and leaves none.
void ReleaseSavedArgs();
