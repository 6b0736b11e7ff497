// The terminal: the edit line drawn in place, redrawn from its first row when it changes, and
// rewrapped as the terminal rewraps it when the terminal is resized.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "console/terminal/layout.h"
#include "console/terminal/screen.h"

// The console writes to terminal; the host's standard output and error go to out and err as
// they are.
class TerminalScreen : public Screen {
  public:
    TerminalScreen(ByteSink terminal, ByteSink out, ByteSink err, TerminalSize size);

    TerminalSize Size() const override { return size_; }
    void Resize(TerminalSize size) override;
    void Print(const std::u16string& text) override;
    void HostOutput(int stream, const char16_t* text, size_t length) override;
    void SideOutput(const std::u16string&) override {}
    void DrawLine(const ShownLine& shown) override;
    void GoToLineEnd(const ShownLine& shown) override;
    void LeaveLine(const ShownLine& shown) override;
    void StartLine() override;
    void ClearLineFrom(const ShownLine& shown, size_t index) override;
    void ClearScreen() override;
    void Bell() override;
    void KeyBegins(const ConsoleLine&) override {}
    void KeyHandled(const char16_t*, const ConsoleLine*) override {}
    void Interrupted(const ShownLine& shown) override;

  private:
    void Write(const std::string& bytes);

    ByteSink terminal_;
    ByteSink host_[2]; // the host's standard output and error
    TerminalSize size_;
    bool lineDrawn_ = false;        // the line is on the screen from its start
    LinePlace cursor_{0, 0};        // the terminal's cursor, relative to the line's start
    std::vector<size_t> drawnRows_; // the columns of each row of the line as last drawn
};
