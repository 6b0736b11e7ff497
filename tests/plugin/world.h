// Puts the plug-in and every stand-in back into the state of a freshly loaded library.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "host/host_control.h"
#include "keys/key_tables.h"
#include "plugin/lifecycle.h"
#include "plugin/settings.h"
#include "recall/recall.h"
#include "tests/standins/fixture.h"
#include "text/wtext.h"

// Settings whose every field differs from its load-time value (Ctrl-Q), so that a test sees
// which fields an operation sets and which it keeps.
constexpr SettingsRecord kEverySettingChanged = {.hotkey = 0x11,
                                                 .overwrite = 1,
                                                 .breakAtSlash = 0,
                                                 .keepOldArgs = 1,
                                                 .beepOnError = 0,
                                                 .traceMessages = 1};

inline void ResetWorld() {
    ResetStandIns();
    HostReset();
    Settings = kLoadTimeSettings;
    HostVersion = 0;
    extendedKeys = false;
    ReleaseSavedArgs();
}

// The fixture of every suite (using Suite = World): each test starts from a fresh library and
// fresh stand-ins.
class World : public ::testing::Test {
  protected:
    void SetUp() override { ResetWorld(); }
    void TearDown() override { ResetWorld(); }
};

// An edit line of the host's size with a cursor, as the host hands it to key.
struct EditLine {
    std::u16string buffer = std::u16string(kLineBufferSize, u'\0');
    char16_t name[kReportedKeyNameSize] = {};
    KeystrokeRecord record{};

    // The cursor goes where the '|' stands in text ('|' itself is not part of the line); at the
    // end when there is none.
    explicit EditLine(std::u16string text, int32_t keyCode = 0) {
        size_t cursor = text.find(u'|');
        if (cursor == std::u16string::npos)
            cursor = text.size();
        else
            text.erase(cursor, 1);
        buffer.replace(0, text.size(), text);
        record.keyCode = keyCode;
        record.startRow = record.cursorRow = 7;
        record.startColumn = 2;
        record.cursorColumn = 2 + static_cast<int32_t>(cursor);
        record.lineStart = buffer.data();
        record.cursorPos = buffer.data() + cursor;
    }

    std::u16string Text() const { return std::u16string(buffer.c_str()); }
    size_t Cursor() const { return static_cast<size_t>(record.cursorPos - record.lineStart); }
    // The line with '|' at the cursor.
    std::u16string Shown() const {
        std::u16string t = Text();
        return t.insert(Cursor(), u"|");
    }
    void SetName(const std::u16string& keyName) {
        name[keyName.copy(name, kReportedKeyNameSize - 1)] = 0;
        record.keyName = name;
    }
};

// Presses Enter on a line: the plug-in captures its arguments.
inline void Enter(const std::u16string& text) {
    EditLine line(text, 13);
    key(&line.record);
}

// word, times times over.
inline std::u16string Repeated(const std::u16string& word, int times) {
    std::u16string text;
    for (int n = 0; n < times; ++n)
        text += word;
    return text;
}

// Words that straddle the scans' steps of 8 and 32 characters.
inline std::u16string Word(size_t length) {
    return std::u16string(length, u'w');
}

// A host line buffer of exactly 65,536 characters on the heap, so that the sanitizers catch a
// read past it; text beyond the buffer is cut, and a shorter text is followed by zeros.
struct HostBuffer {
    std::unique_ptr<char16_t[]> line = std::make_unique<char16_t[]>(kLineBufferSize);
    KeystrokeRecord record{};

    HostBuffer(const std::u16string& text, size_t cursor, int32_t code) {
        std::copy_n(text.begin(), std::min(text.size(), kLineBufferSize), line.get());
        record.keyCode = code;
        record.lineStart = line.get();
        record.cursorPos = line.get() + cursor;
    }
};

// Which of the two actions a key set off on the line "run x y" after "copy a b" was captured.
inline std::string Outcome(const EditLine& line) {
    if (line.Text() == u"run x y a b") return "recall";
    if (SavedArgs != nullptr && std::u16string(SavedArgs) == u"x y") return "capture";
    return "none";
}
