// The console's input: the bytes of standard input read as they come and decoded into items, with
// the end of the input, an input that cannot be read and a resized terminal told apart.
#pragma once

#include <string>

#include "console/terminal_input.h"

enum class InputEvent {
    kItem,    // the next item was decoded
    kChanged, // the terminal was resized or came back from a suspension
    kEnded,   // the input ended: end of file, or a terminal that hung up
    kInvalid, // the input cannot be read; InputProblem says why
};

// Reads from fd; on a terminal, resizes are reported.
void InputBegin(int fd, bool terminal);

// Waits for the next item as long as it takes. lineFeedIsEnter as for DecodeInput.
InputEvent InputNext(DecodedInput* item, bool lineFeedIsEnter);

// True when what was read already holds more than an unfinished sequence.
bool InputReady();

const std::string& InputProblem();
