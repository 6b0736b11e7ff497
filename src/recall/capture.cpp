#include <cstring>

#include "platform/platform.h"
#include "plugin/settings.h"
#include "recall/recall.h"
#include "text/wtext.h"

char16_t* SavedArgs = nullptr;
size_t SavedArgsLength = 0;

namespace {

// The longest trace line's own text, around the arguments it shows.
constexpr size_t kTraceTextSize = 64;

// Room for the longest saved arguments (shorter than a line) and the trace text around them; the
// arguments as shown.
char16_t traceBuffer[kLineBufferSize + kTraceTextSize];
char16_t shownText[kLineBufferSize];

// With trace lines on: formats one, with text's control characters made visible, writes it
// straight to the console device, and starts the edit line again below it.
void TraceLine(KeystrokeRecord* record, const char16_t* format, const char16_t* text = nullptr) {
    if (Settings.traceMessages == 0) return;
    if (text != nullptr) CopyVisibleText(shownText, kLineBufferSize, text);
    size_t n = FormatText(traceBuffer, sizeof traceBuffer / sizeof traceBuffer[0], format,
                          text != nullptr ? shownText : nullptr);
    PlatformWriteConsole(traceBuffer, n);
    ResetLinePosition(record);
}

} // namespace

void ReleaseSavedArgs() {
    if (SavedArgs != nullptr) PlatformRelease(SavedArgs);
    SavedArgs = nullptr;
    SavedArgsLength = 0;
}

void ResetLinePosition(KeystrokeRecord* record) {
    int32_t row = 0;
    int32_t column = 0;
    GetAbsCursorPosition(&row, &column);
    record->startRow = row;
    record->cursorRow = row;
    record->startColumn = 0;
    record->cursorColumn = 0;
}

int CaptureArgs(KeystrokeRecord* record) {
    if (record->lineStart == nullptr) return 0;
    const char16_t* args = FindArgs(record->lineStart, kLineBufferSize);

    if (args != nullptr) {
        // Up to the terminator, or to the buffer's last slot when the host left none.
        size_t used = static_cast<size_t>(args - record->lineStart);
        size_t n = TextLengthInBuffer(args, kLineBufferSize - 1 - used);
        ReleaseSavedArgs();
        SavedArgs = static_cast<char16_t*>(PlatformAllocate((n + 1) * sizeof(char16_t)));
        if (SavedArgs == nullptr) {
            if (Settings.beepOnError != 0) PlatformPlaySound(kSoundSystemHand);
            TraceLine(record, u"\r\n\u25BA Can\u2019t allocate memory!\r\n");
            return 0;
        }
        std::memcpy(SavedArgs, args, n * sizeof(char16_t));
        SavedArgs[n] = 0;
        SavedArgsLength = n;
        TraceLine(record, u"\r\n\u25BA Saving args \u201C%s\u201D.\r\n", SavedArgs);
        return 0;
    }

    if (Settings.keepOldArgs == 0) {
        ReleaseSavedArgs();
        TraceLine(record, u"\r\n\u25BA No args found; clearing old args.\r\n");
        return 0;
    }

    TraceLine(record, u"\r\n\u25BA No args found; keeping old args \u201C%s\u201D.\r\n",
              SavedArgs != nullptr ? SavedArgs : u"(NULL)");
    return 0;
}
