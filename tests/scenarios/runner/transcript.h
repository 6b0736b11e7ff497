// What the scenario runner and the other test programs of both builds share: reading scenario
// lines, writing exact transcripts and comparing them with the expected ones.
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

// The whole of an open file, read to its end; false when reading failed.
bool ReadWholeFile(std::FILE* file, std::string* bytes);

// UTF-8 text as lines without their line ends (a carriage return before a line feed dropped).
std::vector<std::string> SplitLines(const std::string& text);

// Text in double quotes the way scenarios write it: \r \n \t \\ \" escaped, other control
// characters as \uXXXX, everything else as UTF-8.
std::string QuoteText(const char16_t* text, size_t length);
std::string QuoteText(const std::u16string& text);

// A number in decimal or 0x hexadecimal, with an optional minus sign.
bool ParseScenarioNumber(const std::u16string& text, long long* number);

// The transcript goes to file (stdout when null), every line at once, so a crash still shows
// how far it got; the lines are also kept for the comparison.
void StartTranscript(std::FILE* file);
void TranscriptLine(const std::string& line);
const std::vector<std::string>& TranscriptLines();
void CloseTranscript();

// In expected lines, "{version}" stands for the version the banner shows (1.0.1 for 1.0.1.1) and
// "{file-version}" for all four numbers, both as src/plugin/version.h gives them, so that a new
// version changes no scenario.
std::string ExpandVersion(const std::string& line);
// The reverse, for a line written into a scenario file: the version's text becomes the
// placeholders again.
std::string PlaceholdVersion(const std::string& line);

// The transcript a scenario expects: its lines without comments ('#' first) and blank lines,
// versions expanded, with the number of each line in the scenario file (from 1).
struct ExpectedTranscript {
    std::vector<std::string> lines;
    std::vector<size_t> fileLines;
};
ExpectedTranscript ExpectedFromScenario(const std::vector<std::string>& scenarioLines);

// Empty when the actual transcript is the expected one; else the differences as "-expected" and
// "+actual" lines, each group after a line "@@ scenario line N @@" and with a little unchanged
// context around it.
std::string TranscriptDifferences(const ExpectedTranscript& expected,
                                  const std::vector<std::string>& actual);

// The scenario file's lines with the actual transcript in place of the expected one: comments,
// blank lines and the expected lines that still hold stay as they stand (placeholders included),
// the others go, and each new line follows the expected line it comes after, with the version
// written as its placeholder.
std::vector<std::string> UpdatedScenario(const std::vector<std::string>& scenarioLines,
                                         const std::vector<std::string>& actual);
