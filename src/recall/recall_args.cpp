#include <cstring>

#include "keys/key_tables.h"
#include "platform/platform.h"
#include "plugin/settings.h"
#include "recall/recall.h"
#include "text/chars.h"
#include "text/wtext.h"

namespace {

// The new edit line is assembled here, up to its terminator: it fits the host's line buffer, the
// same size. Static because it is far too large for a host's stack.
char16_t workLine[kLineBufferSize];

// A recall whose result would not fit: the line stays as it is, the key is still consumed.
void RefuseRecall() {
    if (Settings.beepOnError != 0) PlatformPlaySound(kSoundSystemAsterisk);
}

} // namespace

int RecallSavedArgs(KeystrokeRecord* record) {
    record->keyCode = 0;
    if (extendedKeys && record->keyName != nullptr) record->keyName[0] = 0;

    if (SavedArgs == nullptr) {
        RefuseRecall();
        return 0;
    }
    char16_t* line = record->lineStart;
    char16_t* cursor = record->cursorPos;
    if (line == nullptr || cursor == nullptr || cursor < line ||
        cursor - line >= static_cast<ptrdiff_t>(kLineBufferSize)) {
        return 0;
    }

    const size_t prefixLength = static_cast<size_t>(cursor - line);
    // A cursor past the line's terminator is outside the line as well: the arguments would land
    // where the host shows nothing.
    if (TextLengthInBuffer(line, prefixLength) < prefixLength) return 0;
    const size_t savedLength = SavedArgsLength;
    const bool spaceBefore = prefixLength > 0 && !IsBlank(cursor[-1]);
    const bool insert = Settings.overwrite == 0;
    // Overwriting drops the text right of the cursor, so only an insert measures it.
    const size_t rightLength =
        insert ? TextLengthInBuffer(cursor, kLineBufferSize - 1 - prefixLength) : 0;
    const bool spaceAfter =
        insert && rightLength > 0 && !IsBlank(SavedArgs[savedLength - 1]) && !IsBlank(cursor[0]);
    const size_t added = (spaceBefore ? 1 : 0) + (spaceAfter ? 1 : 0);
    const size_t total = prefixLength + added + savedLength + (insert ? rightLength : 0);
    if (total >= kLineBufferSize) {
        RefuseRecall();
        return 0;
    }

    size_t at = 0;
    std::memcpy(workLine, line, prefixLength * sizeof(char16_t));
    at += prefixLength;
    if (spaceBefore) workLine[at++] = u' ';
    std::memcpy(workLine + at, SavedArgs, savedLength * sizeof(char16_t));
    at += savedLength;
    if (insert) {
        if (spaceAfter) workLine[at++] = u' ';
        // The text right of the cursor is read before the host clears the displayed line.
        std::memcpy(workLine + at, cursor, rightLength * sizeof(char16_t));
        at += rightLength;
    }
    workLine[at] = 0;

    ClearEditLine(cursor);
    std::memcpy(line, workLine, (at + 1) * sizeof(char16_t));
    record->cursorPos = insert ? cursor + savedLength + added : line + at;
    record->redraw = 1;
    return 0;
}
