// The command's words, split from its argument text by TokenizeArguments.
#pragma once

#include <cstdint>

// The words kept, and the pool's size in characters. The pool's size keeps the name that the
// overflow message prints ("MAX_ARG_LEN = 8192"), so that the message and the code say the same.
constexpr int kMaxArgs = 1024;
constexpr int MAX_ARG_LEN = 8192;

struct ArgumentListRecord {
    char16_t* words[kMaxArgs];  // start of each word in pool; null beyond the last
    int32_t lengths[kMaxArgs];  // length of each word after trimming; 0 beyond the last
    char16_t pool[MAX_ARG_LEN]; // all words, each followed by a zero
    int32_t count;              // words found by the last successful call; 0 after a failure
    int32_t found;              // as count, but with the words past kMaxArgs that were dropped
};

extern ArgumentListRecord ArgumentList;

// Splits text into upper-cased words without quotes: the word count, or -1 for a null text or
// after reporting a pool overflow. Words past the first kMaxArgs are dropped silently; found
// tells how many there were.
int32_t TokenizeArguments(const char16_t* text);
