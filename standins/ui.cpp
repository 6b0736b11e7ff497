// Native stand-ins for the message box and for the system's error message texts.
#include "standins/ui.h"

#include <utility>

#include "platform/platform.h"
#include "text/wtext.h"

namespace {

struct SystemErrorText {
    uint32_t code;
    const char16_t* text;
};

// The system's texts come with a line end, as they do on Windows.
constexpr SystemErrorText kSystemErrorTexts[] = {
    {0, u"The operation completed successfully.\r\n"},
    {1, u"Incorrect function.\r\n"},
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {4, u"The system cannot open the file.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {13, u"The data is invalid.\r\n"},
    {14, u"Not enough memory resources are available to complete this operation.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {112, u"There is not enough space on the disk.\r\n"},
    {122, u"The data area passed to a system call is too small.\r\n"},
    {161, u"The specified path is invalid.\r\n"},
    {234, u"More data is available.\r\n"},
    {259, u"No more data is available.\r\n"},
    {1009, u"The configuration registry database is corrupt.\r\n"},
    {1010, u"The configuration registry key is invalid.\r\n"},
    {1011, u"The configuration registry key could not be opened.\r\n"},
    {1012, u"The configuration registry key could not be read.\r\n"},
    {1013, u"The configuration registry key could not be written.\r\n"},
    {1016, u"An I/O operation initiated by the registry failed unrecoverably. The registry could "
           u"not read in, or write out, or flush, one of the files that contain the system's "
           u"image of the registry.\r\n"},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1021, u"Cannot create a stable subkey under a volatile parent key.\r\n"},
};

std::vector<std::pair<uint32_t, std::u16string>> replacedTexts;
std::function<void(const std::u16string& text, const std::u16string& title)> showBox;
std::vector<RecordedMessageBox> recordedBoxes;

} // namespace

void StandInUiReset() {
    showBox = nullptr;
    recordedBoxes.clear();
    replacedTexts.clear();
}

void StandInShowMessageBoxesWith(
    std::function<void(const std::u16string& text, const std::u16string& title)> show) {
    showBox = std::move(show);
}
const std::vector<RecordedMessageBox>& StandInMessageBoxes() {
    return recordedBoxes;
}

void StandInSetSystemErrorText(uint32_t code, const std::u16string& text) {
    replacedTexts.emplace_back(code, text);
}

bool PlatformSystemErrorText(uint32_t code, char16_t* buffer, size_t capacity) {
    for (auto it = replacedTexts.rbegin(); it != replacedTexts.rend(); ++it) {
        if (it->first == code) {
            CopyText(buffer, capacity, it->second.c_str());
            return true;
        }
    }
    for (const auto& entry : kSystemErrorTexts) {
        if (entry.code == code) {
            CopyText(buffer, capacity, entry.text);
            return true;
        }
    }
    return false;
}

void PlatformMessageBox(const char16_t* text, const char16_t* title) {
    std::u16string boxText = text != nullptr ? text : u"";
    std::u16string boxTitle = title != nullptr ? title : u"";
    if (!showBox)
        recordedBoxes.push_back({boxText, boxTitle});
    else
        showBox(boxText, boxTitle);
}
