// The command's help text, shown by /? and /??, handed to the host as usage, and shown in a box.
#pragma once

extern const char16_t HelpText[];

struct HelpEntry {
    const char16_t* name;
    const char16_t* text;
};

// The names that have help; the keystroke handler has none.
extern const HelpEntry HelpTable[];
extern const int kHelpTableSize;

// Prints the help text and the current hotkey, with the version line when asked; returns 0.
int ShowCommandHelp(bool showVersion);

// Copies the usage text of name into out (1024 characters): 1, or 0 when name has none.
int CopyUsageText(const char16_t* name, char16_t* out);

// Shows the help of name in a box and returns 1 once it is closed; 0 when name has none.
int ShowHelpBox(const char16_t* name);
