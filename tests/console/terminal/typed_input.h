// The terminal's input as its tests type and read it: bytes typed into a pipe for the reader, some
// after a pause, and the items read back in words: "a", "Ctrl-Shift-F3", "ignored", "end".
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "console/terminal/keyboard.h"
#include "console/terminal/reader.h"

// A key as the console names it: the modifier keys held, Ctrl, Alt, Shift, then the key's name.
inline std::string KeyWords(int key, int modifiers) {
    // The names of the keys that are no letter or digit, in the order of keyboard.h.
    static const char* const kBefore[] = {
        "F1",  "F2",   "F3",  "F4",   "F5",   "F6",  "F7",  "F8", "F9",   "F10",  "F11",
        "F12", "Home", "End", "PgUp", "PgDn", "Ins", "Del", "Up", "Down", "Left", "Right"};
    static const char* const kAfter[] = {"Backspace", "`",       "Minus",  "Plus", "Enter",
                                         "[",         "]",       "\\",     ";",    "'",
                                         ",",         "Decimal", "Divide", "Tab",  "Esc"};
    std::string name = key < kKeyA    ? kBefore[key]
                       : key <= kKeyZ ? std::string(1, static_cast<char>('A' + key - kKeyA))
                       : key == kKey0 ? "0"
                       : key < kKey0  ? std::string(1, static_cast<char>('1' + key - kKey1))
                                      : kAfter[key - kKeyBackspace];
    return std::string(modifiers & kCtrlBit ? "Ctrl-" : "") + (modifiers & kAltBit ? "Alt-" : "") +
           (modifiers & kShiftBit ? "Shift-" : "") + name;
}

inline std::string Describe(const KeyReader& reader, InputEvent event, const DecodedInput& item) {
    if (event == InputEvent::kEnded) return "end";
    if (event == InputEvent::kInvalid) return "invalid: " + reader.problem;
    if (item.kind == InputKind::kText) return std::string(1, static_cast<char>(item.text));
    if (item.kind == InputKind::kKey) return KeyWords(item.key, item.modifiers);
    if (item.kind == InputKind::kPasteBegin) return "paste begin";
    if (item.kind == InputKind::kPasteEnd) return "paste end";
    return item.kind == InputKind::kIgnored ? "ignored" : "other";
}

// Well past the reader's wait for the rest of a sequence: a pause in the typing.
constexpr int kPauseMs = 150;

inline void Write(int fd, const std::string& bytes) {
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Writes each part a pause after the one before, as someone typing while the reader waits; then
// closes fd if asked.
inline std::thread TypeLater(int fd, const std::vector<std::string>& parts, bool closeAfter) {
    return std::thread([=] {
        for (const std::string& bytes : parts) {
            usleep(kPauseMs * 1000);
            Write(fd, bytes);
        }
        if (closeAfter) close(fd);
    });
}

inline KeyReader PipeReader(int fds[2]) {
    EXPECT_EQ(pipe(fds), 0);
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 18); // room for a part longer than the reader's buffer
    return ReaderOf(fds[0], false);
}

// Reads count items, or all up to the end when count is negative.
inline void ReadItems(KeyReader* reader, int count, std::vector<std::string>* items) {
    for (int n = 0; count < 0 || n < count; ++n) {
        DecodedInput item{};
        InputEvent event = ReadNext(reader, &item, false);
        items->push_back(Describe(*reader, event, item));
        if (event != InputEvent::kItem) return;
    }
}
