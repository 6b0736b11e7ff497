// Keys as an xterm sends them, written by name between angle brackets: "notepad<f3>", "<c-s-f3>"
// (c- Ctrl, a- Alt, s- Shift), "<paste>a\rb</paste>". Any other '<' is typed as it stands.
#pragma once

#include <string>
#include <string_view>

inline std::string Keys(std::string_view text) {
    struct Named {
        std::string_view name;
        std::string_view bytes;
    };
    static constexpr Named kNamed[] = {
        {"f3", "\x1bOR"},         {"c-s-f3", "\x1b[1;6R"}, {"c-a-s-f1", "\x1b[1;8P"},
        {"up", "\x1b[A"},         {"down", "\x1b[B"},      {"right", "\x1b[C"},
        {"left", "\x1b[D"},       {"home", "\x1b[H"},      {"end", "\x1b[F"},
        {"ins", "\x1b[2~"},       {"del", "\x1b[3~"},      {"c-left", "\x1b[1;5D"},
        {"c-home", "\x1b[1;5H"},  {"esc", "\x1b"},         {"bs", "\x7f"},
        {"c-h", "\x08"},          {"c-c", "\x03"},         {"c-q", "\x11"},
        {"c-a-q", "\x1b\x11"},    {"a-enter", "\x1b\r"},   {"s-enter", "\x1b[27;2;13~"},
        {"c-1", "\x1b[27;5;49~"}, {"paste", "\x1b[200~"},  {"/paste", "\x1b[201~"},
    };
    std::string bytes;
    for (size_t i = 0; i < text.size();) {
        size_t close = text[i] == '<' ? text.find('>', i) : std::string_view::npos;
        const Named* named = nullptr;
        for (const Named& n : kNamed)
            if (close != std::string_view::npos && text.substr(i + 1, close - i - 1) == n.name)
                named = &n;
        if (named != nullptr) {
            bytes += named->bytes;
            i = close + 1;
        } else {
            bytes += text[i++];
        }
    }
    return bytes;
}
