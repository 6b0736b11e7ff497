// The console's input: the bytes of standard input read as they come and decoded into items, with
// the end of the input, an input that cannot be read and a resized terminal told apart.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "console/terminal/decoder.h"

enum class InputEvent {
    kItem,    // the next item was decoded
    kChanged, // the terminal was resized or came back from a suspension
    kEnded,   // the input ended: end of file, or a terminal that hung up
    kInvalid, // the input cannot be read; problem says why
};

// The reader over one file descriptor.
struct KeyReader {
    int fd = -1;
    bool terminal = false; // resizes are reported
    std::string bytes;     // read, from index pos on not yet decoded
    size_t pos = 0;
    bool timedOut = false; // the rest of what is pending did not come in time
    bool ended = false;
    SequenceRest dropping = SequenceRest::kNone; // the rest of a dropped sequence may still come
    std::string problem;
};

// A reader of fd; on a terminal, resizes are reported.
KeyReader ReaderOf(int fd, bool terminal);

// Waits for the next item as long as it takes. lineFeedIsEnter as for DecodeInput.
InputEvent ReadNext(KeyReader* reader, DecodedInput* item, bool lineFeedIsEnter);

// Waits as ReadNext does but takes nothing: kItem once ReadNext has an item ready.
InputEvent ReaderAwait(KeyReader* reader);

// Reads what has come by now without waiting and shows look each whole item it holds, in order,
// as ReadNext will hand them out; nothing is taken.
void ReaderLookAhead(KeyReader* reader, const std::function<void(const DecodedInput&)>& look);

// True when what was read already holds more than an unfinished sequence.
bool ReaderReady(KeyReader* reader);

// True when byte waits among what was typed and not yet decoded, such as Ctrl-C (0x03) on a
// terminal in raw mode; for a caller busy elsewhere. What is read to look stays for later items.
bool ReaderHolds(KeyReader* reader, char byte);
