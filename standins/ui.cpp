// Native stand-ins for the message box and for the system's error message texts.
#include "standins/ui.h"

#include <cstdio>
#include <utility>

#include "platform/platform.h"
#include "standins/utf8.h"
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
bool recordBoxes = true;
std::vector<RecordedMessageBox> recordedBoxes;

constexpr size_t kTabWidth = 8;

// Splits text at its line feeds, dropping carriage returns and expanding tabs to columns of 8.
std::vector<std::u16string> BoxLines(const std::u16string& text) {
    std::vector<std::u16string> lines(1);
    for (char16_t ch : text) {
        if (ch == u'\n') {
            lines.emplace_back();
        } else if (ch == u'\t') {
            lines.back().append(kTabWidth - lines.back().size() % kTabWidth, u' ');
        } else if (ch != u'\r') {
            lines.back() += ch;
        }
    }
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

// Writes one row of the box: the left border, text padded to width, the right border.
void DrawRow(FILE* tty, const std::u16string& text, size_t width) {
    std::u16string row =
        u"\u2502 " + text + std::u16string(width - text.size(), u' ') + u" \u2502\n";
    std::fputs(ToUtf8(row).c_str(), tty);
}

// Writes a border row with the given corners.
void DrawBorder(FILE* tty, char16_t left, char16_t right, size_t width) {
    std::u16string row = left + std::u16string(width + 2, u'\u2500') + right + u"\n";
    std::fputs(ToUtf8(row).c_str(), tty);
}

// Draws the box on the terminal and waits for Enter; returns at once without a terminal.
void DrawMessageBox(const std::u16string& text, const std::u16string& title) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (tty == nullptr) return;
    const std::u16string button = u"[ OK ]";
    std::vector<std::u16string> lines = BoxLines(text);
    size_t width = title.size() > button.size() ? title.size() : button.size();
    for (const auto& line : lines)
        width = line.size() > width ? line.size() : width;

    DrawBorder(tty, u'\u250C', u'\u2510', width);
    DrawRow(tty, title, width);
    DrawBorder(tty, u'\u251C', u'\u2524', width);
    for (const auto& line : lines)
        DrawRow(tty, line, width);
    DrawRow(tty, u"", width);
    size_t left = (width - button.size()) / 2;
    DrawRow(tty, std::u16string(left, u' ') + button, width);
    DrawBorder(tty, u'\u2514', u'\u2518', width);
    std::fflush(tty);

    for (int ch = std::fgetc(tty); ch != EOF && ch != '\n' && ch != '\r'; ch = std::fgetc(tty)) {
    }
    std::fclose(tty);
}

} // namespace

void StandInUiReset() {
    recordBoxes = true;
    recordedBoxes.clear();
    replacedTexts.clear();
}

void StandInRecordMessageBoxes(bool record) {
    recordBoxes = record;
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
    if (recordBoxes) {
        recordedBoxes.push_back({boxText, boxTitle});
        return;
    }
    DrawMessageBox(boxText, boxTitle);
}
