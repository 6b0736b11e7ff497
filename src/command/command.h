// The TORVANE command.
#pragma once

// Shows, changes, lists, saves or restores the settings: 0, 1 for a command-line error, 2 when
// the registry failed.
int RunTorvaneCommand(const char16_t* arguments);

// 1 for yes, 0 for no; -1 after reporting a value that is neither Y nor N (null: no report).
int ParseYesNo(const char16_t* word);
