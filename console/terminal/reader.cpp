// Reading the console's input. An escape sequence that does not finish within a short wait is
// decoded as far as it came; one still unfinished past a bound is dropped whole: its rest is
// skipped as it arrives, up to the sequence's end or the next pause in the input, so nothing of it
// is typed and what is typed after it is kept.
#include "console/terminal/reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "console/terminal/raw_mode.h"

namespace {

// Keys are read without waiting longer than this for the rest of an escape sequence.
constexpr int kEscapeWaitMs = 40;
// A sequence still unfinished after this many bytes is dropped.
constexpr size_t kLongestSequence = 256;

size_t Left(const KeyReader& reader) {
    return reader.bytes.size() - reader.pos;
}

const unsigned char* Unread(const KeyReader& reader) {
    return reinterpret_cast<const unsigned char*>(reader.bytes.data()) + reader.pos;
}

void Consumed(KeyReader& reader, size_t count) {
    reader.pos += count;
    if (reader.pos == reader.bytes.size()) {
        reader.bytes.clear();
        reader.pos = 0;
        reader.timedOut = false;
    }
}

// Skips what came of a dropped sequence's rest. A byte that may begin a string's terminator
// waits for the next byte; with none in time, it goes with the string. A pause in the input ends
// the sequence, whether or not bytes are pending: a terminal sends a sequence at once, so what
// comes after the pause was typed.
void SkipDroppedRest(KeyReader& reader) {
    if (reader.dropping == SequenceRest::kNone) return;
    bool paused = reader.ended || reader.timedOut; // taking the last bytes forgets the pause
    Consumed(reader, SkipRest(&reader.dropping, Unread(reader), Left(reader)));
    if (reader.dropping != SequenceRest::kNone && paused) {
        reader.dropping = SequenceRest::kNone;
        Consumed(reader, Left(reader));
    }
}

// True when what was read holds an item to decode now: a whole one, one that more bytes would
// not change (the input ended or paused), or one too long to be a key.
bool ItemReady(KeyReader& reader) {
    SkipDroppedRest(reader);
    if (Left(reader) == 0 || reader.dropping != SequenceRest::kNone) return false;
    if (Left(reader) > kLongestSequence || reader.ended || reader.timedOut) return true;
    return DecodeInput(Unread(reader), Left(reader), false, false).kind != InputKind::kNeedMore;
}

// Decodes the next item of what was read; false when it waits for more bytes.
bool DecodeNext(KeyReader& reader, DecodedInput* item, bool lineFeedIsEnter) {
    if (!ItemReady(reader)) return false;
    *item =
        DecodeInput(Unread(reader), Left(reader), reader.ended || reader.timedOut, lineFeedIsEnter);
    if (item->kind == InputKind::kNeedMore && Left(reader) > kLongestSequence) {
        // Too long to be a key: its head goes now, the rest as it comes, up to its end.
        SequenceHead head = HeadOf(Unread(reader), Left(reader));
        *item = DecodedInput{InputKind::kIgnored, Left(reader), 0, 0, 0};
        reader.dropping = head.rest;
        Consumed(reader, head.length);
        SkipDroppedRest(reader);
        return true;
    }
    if (item->kind == InputKind::kNeedMore) return false;
    Consumed(reader, item->consumed > 0 ? item->consumed : 1);
    return true;
}

void End(KeyReader& reader, const std::string& problem) {
    reader.ended = true;
    reader.problem = problem;
}

// Waits for input and reads what came; notes a time-out, the end or a failure.
void ReadMore(KeyReader& reader) {
    pollfd entry{reader.fd, POLLIN, 0};
    bool pending = Left(reader) > 0 || reader.dropping != SequenceRest::kNone;
    int ready = poll(&entry, 1, pending ? kEscapeWaitMs : -1);
    if (ready < 0) {
        if (errno != EINTR) End(reader, std::strerror(errno));
        return;
    }
    if (ready == 0) {
        reader.timedOut = true;
        return;
    }
    if (entry.revents & POLLNVAL) {
        End(reader, "standard input is not open");
        return;
    }
    char buffer[65536];
    ssize_t n = read(reader.fd, buffer, sizeof buffer);
    if (n > 0) {
        reader.bytes.append(buffer, static_cast<size_t>(n));
        reader.timedOut = false;
    } else if (n == 0 || errno == EIO) {
        End(reader, ""); // the end of a file or pipe, or a terminal that hung up
    } else if (errno == EAGAIN || errno == EINTR) {
        if (entry.revents & POLLHUP) End(reader, "");
    } else {
        End(reader, std::strerror(errno));
    }
}

// Reads what has come by now, if anything, without waiting.
void ReadWithoutWaiting(KeyReader& reader) {
    pollfd entry{reader.fd, POLLIN, 0};
    char buffer[4096];
    ssize_t n = poll(&entry, 1, 0) > 0 ? read(reader.fd, buffer, sizeof buffer) : 0;
    if (n > 0) reader.bytes.append(buffer, static_cast<size_t>(n));
}

} // namespace

KeyReader ReaderOf(int fd, bool terminal) {
    KeyReader reader;
    reader.fd = fd;
    reader.terminal = terminal;
    return reader;
}

InputEvent ReaderAwait(KeyReader* reader) {
    for (;;) {
        if (ItemReady(*reader)) return InputEvent::kItem;
        if (reader->ended)
            return reader->problem.empty() ? InputEvent::kEnded : InputEvent::kInvalid;
        if (reader->terminal && TerminalChanged()) return InputEvent::kChanged;
        ReadMore(*reader);
    }
}

InputEvent ReadNext(KeyReader* reader, DecodedInput* item, bool lineFeedIsEnter) {
    InputEvent event = ReaderAwait(reader);
    if (event == InputEvent::kItem) DecodeNext(*reader, item, lineFeedIsEnter);
    return event;
}

bool ReaderReady(KeyReader* reader) {
    if (ItemReady(*reader)) return true;
    pollfd entry{reader->fd, POLLIN, 0};
    return Left(*reader) == 0 && poll(&entry, 1, 0) > 0;
}

void ReaderLookAhead(KeyReader* reader, const std::function<void(const DecodedInput&)>& look) {
    ReadWithoutWaiting(*reader);
    KeyReader ahead = *reader; // decoded in a copy: the reader keeps every item
    DecodedInput item{};
    while (DecodeNext(ahead, &item, false))
        look(item);
}

bool ReaderHolds(KeyReader* reader, char byte) {
    ReadWithoutWaiting(*reader);
    return reader->bytes.find(byte, reader->pos) != std::string::npos;
}
