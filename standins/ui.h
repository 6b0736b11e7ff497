// Test and console controls of the native stand-ins for the message box and the system error
// texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct RecordedMessageBox {
    std::u16string text;
    std::u16string title;
};

// Boxes back to recording, none recorded, the system's error texts as they were.
void StandInUiReset();

// Without a function to show boxes (the state at start and after a reset) a box is kept here and
// closes at once; otherwise show draws it and returns once it was closed.
void StandInShowMessageBoxesWith(
    std::function<void(const std::u16string& text, const std::u16string& title)> show);
const std::vector<RecordedMessageBox>& StandInMessageBoxes();

// Makes the system report text for code instead of its usual one, until the next reset.
void StandInSetSystemErrorText(uint32_t code, const std::u16string& text);
