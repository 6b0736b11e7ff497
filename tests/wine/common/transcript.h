// What the Windows test programs share: reading scenario lines and writing exact transcripts.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// One word of a scenario command: a bare word, or a double-quoted text with its escapes
// (\r \n \t \\ \" and \uXXXX) resolved.
struct ScenarioWord {
    std::u16string text;
    bool quoted;
};

// Splits a command line into words; false with a reason for an unclosed quote or a bad escape.
bool SplitScenarioLine(const std::u16string& line, std::vector<ScenarioWord>* words,
                       std::string* reason);

// The whole file as UTF-16 lines without their line ends; false when it cannot be read.
bool ReadScenarioFile(const wchar_t* path, std::vector<std::u16string>* lines);

// Text in double quotes the way scenarios write it: \r \n \t \\ \" escaped, other control
// characters as \uXXXX, everything else as UTF-8.
std::string QuoteText(const char16_t* text, size_t length);
std::string QuoteText(const std::u16string& text);

// A number in decimal or 0x hexadecimal, with an optional minus sign.
bool ParseScenarioNumber(const std::u16string& text, long long* number);

// The transcript: every line goes to the file at once, so a crash still shows how far it got.
bool OpenTranscript(const wchar_t* path);
void TranscriptLine(const std::string& line);
void CloseTranscript();
