// Splits the command's argument text into upper-cased words in the fixed ArgumentList.
#include "command/arguments.h"
#include "command/errors.h"
#include "platform/platform.h"
#include "plugin/host.h"
#include "text/chars.h"

ArgumentListRecord ArgumentList;

namespace {

// Empties the record before a scan.
void ResetArgumentList() {
    ArgumentList.count = 0;
    ArgumentList.found = 0;
    for (int n = 0; n < kMaxArgs; ++n) {
        ArgumentList.words[n] = nullptr;
        ArgumentList.lengths[n] = 0;
    }
    ArgumentList.pool[0] = 0;
}

// Drops the blanks that quotes left at the end of each of the first wordCount words.
void TrimWords(int32_t wordCount) {
    for (int32_t n = 0; n < wordCount; ++n) {
        char16_t* word = ArgumentList.words[n];
        while (ArgumentList.lengths[n] > 0 && IsBlank(word[ArgumentList.lengths[n] - 1])) {
            word[--ArgumentList.lengths[n]] = 0;
        }
    }
}

} // namespace

int32_t TokenizeArguments(const char16_t* text) {
    if (text == nullptr) return -1;
    ResetArgumentList();

    int32_t j = 0;              // word being built
    int32_t i = 0;              // its length so far
    int32_t k = 0;              // next free position in the pool
    int32_t dropped = 0;        // words past kMaxArgs
    bool inDroppedWord = false; // a character of such a word was seen since the last blank
    bool inQuote = false;
    for (const char16_t* p = text;; ++p) {
        char16_t ch = *p;
        if (ch == u'"') {
            inQuote = !inQuote;
            continue;
        }
        if (!inQuote && IsBlank(ch)) {
            inDroppedWord = false;
            if (i > 0) {
                ++j;
                ++k;
                i = 0;
                if (k < MAX_ARG_LEN) ArgumentList.pool[k] = 0;
            }
            continue;
        }
        if (ch == 0) {
            if (i > 0) ++j;
            break;
        }
        // The character and the zero after it must both fit.
        if (k >= MAX_ARG_LEN - 1) {
            WriteErrorPrefix();
            Qprintf(PlatformStdErrorHandle(), u"Buffer overflow: b = %d, MAX_ARG_LEN = %d \r\n", k,
                    MAX_ARG_LEN);
            return -1;
        }
        if (j >= kMaxArgs) { // words beyond the limit are dropped, only counted
            if (!inDroppedWord) ++dropped;
            inDroppedWord = true;
            continue;
        }
        if (i == 0) ArgumentList.words[j] = &ArgumentList.pool[k];
        ++i;
        ArgumentList.lengths[j] = i;
        ArgumentList.pool[k++] = UpperAscii(ch);
        ArgumentList.pool[k] = 0;
    }

    TrimWords(j);
    ArgumentList.count = j;
    ArgumentList.found = j + dropped;
    return j;
}
