// Any argument text splits into at most 1024 words inside the pool, none holding a quote or
// ending in a blank, or is reported as too long; the words past 1024 are counted, not kept.
#include <cstdlib>

#include "command/arguments.h"
#include "fuzz_input.h"
#include "host/host_control.h"
#include "text/chars.h"
#include "text/wtext.h"

namespace {
char16_t text[20000];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostClearOutput();
    TextIntoBuffer(data, size, text, sizeof text / sizeof text[0]);
    int32_t count = TokenizeArguments(text);
    if (count < 0) {
        if (ArgumentList.count != 0) std::abort();
        return 0;
    }
    if (count > kMaxArgs || count != ArgumentList.count) std::abort();
    if (ArgumentList.found < count || (ArgumentList.found > count && count != kMaxArgs))
        std::abort();
    for (int32_t n = 0; n < count; ++n) {
        const char16_t* word = ArgumentList.words[n];
        if (word < ArgumentList.pool || word >= ArgumentList.pool + MAX_ARG_LEN) std::abort();
        size_t length = TextLengthBounded(word, ArgumentList.pool + MAX_ARG_LEN - word);
        if (length != static_cast<size_t>(ArgumentList.lengths[n])) std::abort();
        for (size_t i = 0; i < length; ++i) {
            if (word[i] == u'"' || (word[i] >= u'a' && word[i] <= u'z')) std::abort();
        }
        if (length > 0 && IsBlank(word[length - 1])) std::abort();
    }
    return 0;
}
