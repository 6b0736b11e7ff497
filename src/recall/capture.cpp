#include <cstring>

#include "platform/platform.h"
#include "plugin/settings.h"
#include "recall/recall.h"
#include "text/wtext.h"

char16_t* SavedArgs = nullptr;

namespace {

// Room for the longest saved arguments and the trace text around them.
char16_t traceBuffer[kWorkLineSize + 64];

// Formats a trace line and writes it straight to the console device.
void Trace(const char16_t* format, const char16_t* text) {
    size_t n = FormatText(traceBuffer, sizeof traceBuffer / sizeof traceBuffer[0], format, text);
    PlatformWriteConsole(traceBuffer, n);
}

} // namespace

void ReleaseSavedArgs() {
    if (SavedArgs != nullptr) PlatformRelease(SavedArgs);
    SavedArgs = nullptr;
}

int ResetLinePosition(KeystrokeRecord* record) {
    int32_t row = 0;
    int32_t column = 0;
    GetAbsCursorPosition(&row, &column);
    record->startRow = row;
    record->cursorRow = row;
    record->startColumn = 0;
    record->cursorColumn = 0;
    return 0;
}

int CaptureArgs(KeystrokeRecord* record) {
    if (record->lineStart == nullptr) return 0;
    const char16_t* args = FindArgs(record->lineStart);
    const bool trace = Settings.traceMessages != 0;

    if (args != nullptr) {
        size_t used = static_cast<size_t>(args - record->lineStart);
        size_t n = TextLengthBounded(args, kLineBufferSize - 1 - used);
        ReleaseSavedArgs();
        SavedArgs = static_cast<char16_t*>(PlatformAllocate((n + 1) * sizeof(char16_t)));
        if (SavedArgs == nullptr) {
            if (Settings.beepOnError != 0) PlatformPlaySound(kSoundSystemHand);
            if (trace) {
                Trace(u"\r\n\u25BA Can\u2019t allocate memory!\r\n", nullptr);
                ResetLinePosition(record);
            }
            return 0;
        }
        std::memcpy(SavedArgs, args, n * sizeof(char16_t));
        SavedArgs[n] = 0;
        if (trace) {
            Trace(u"\r\n\u25BA Saving args \u201C%s\u201D.\r\n", SavedArgs);
            ResetLinePosition(record);
        }
        return 0;
    }

    if (Settings.keepOldArgs == 0) {
        ReleaseSavedArgs();
        if (trace) {
            Trace(u"\r\n\u25BA No args found; clearing old args.\r\n", nullptr);
            ResetLinePosition(record);
        }
        return 0;
    }

    if (trace) {
        Trace(u"\r\n\u25BA No args found; keeping old args \u201C%s\u201D.\r\n",
              SavedArgs != nullptr ? SavedArgs : u"(NULL)");
        ResetLinePosition(record);
    }
    return 0;
}
