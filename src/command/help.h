// The command's help text, shown by /? and /??, handed to the host as usage, and shown in a box.
#pragma once

extern const char16_t HelpText[];

// A name that has help, and its help text.
struct HelpEntry {
    const char16_t* name;
    const char16_t* text;
};

// The first entry of the help table whose name equals name, ignoring ASCII case; null when there
// is none (the keystroke handler, for one, has no help).
const HelpEntry* FindHelpEntry(const char16_t* name);

// Prints the help text and the current hotkey, with the version line when asked.
void ShowCommandHelp(bool showVersion);

// Copies the usage text of name into out (kUsageBufferSize characters): 1, or 0 when name has none.
int CopyUsageText(const char16_t* name, char16_t* out);

// Shows the help of name in a box and returns 1 once it is closed; 0 when name has none.
int ShowHelpBox(const char16_t* name);
