// The TORVANE command.
#pragma once

// 1 for yes, 0 for no; -1 after reporting a value that is neither Y nor N (null: no report).
int ParseYesNo(const char16_t* word);
