// The host's side of the edit line: each key goes to the plug-in's keystroke handler first, and
// what the plug-in leaves alone the console does itself.
#include "console/session.h"

#include <cstdint>
#include <iterator>

#include "console/terminal.h"
#include "console/wrap.h"
#include "standins/utf8.h"
#include "text/wtext.h"

ConsoleSession Console;

namespace {

// What the host does with a key that the plug-in did not consume.
enum class Action {
    kNone,
    kRun,
    kBackspace,
    kDelete,
    kLeft,
    kRight,
    kWordLeft,
    kWordRight,
    kHome,
    kEnd,
    kPrevious,
    kNext,
    kToggleOverwrite,
    kClearLine,
    kClearScreen
};
struct KeyAction {
    int key;
    Action action;
};

// The keys the host edits with, whatever the modifier keys held.
constexpr KeyAction kKeyActions[] = {
    {kKeyEnter, Action::kRun},     {kKeyBackspace, Action::kBackspace},
    {kKeyDel, Action::kDelete},    {kKeyHome, Action::kHome},
    {kKeyEnd, Action::kEnd},       {kKeyUp, Action::kPrevious},
    {kKeyDown, Action::kNext},     {kKeyIns, Action::kToggleOverwrite},
    {kKeyEsc, Action::kClearLine},
};

Action DefaultAction(int key, int modifiers) {
    bool ctrl = (modifiers & kCtrlBit) != 0;
    if (key == kKeyLeft) return ctrl ? Action::kWordLeft : Action::kLeft;
    if (key == kKeyRight) return ctrl ? Action::kWordRight : Action::kRight;
    for (const KeyAction& k : kKeyActions)
        if (k.key == key) return k.action;
    if (modifiers == kCtrlBit && key == kKeyA + 7) return Action::kBackspace;    // Ctrl-H
    if (modifiers == kCtrlBit && key == kKeyA + 11) return Action::kClearScreen; // Ctrl-L
    return Action::kNone;
}

const char16_t* Prompt() {
    return Console.promptShown ? kPrompt : u"";
}

void Write(const std::string& bytes) {
    if (!bytes.empty()) Console.write(bytes.data(), bytes.size());
}

// The line with a bar at the cursor, as the transcript shows it.
std::u16string Shown(const ConsoleLine& line) {
    std::u16string text(line.text, line.length);
    return text.insert(line.cursor, u"|");
}

// Puts the line on the screen again from its start.
void Redraw() {
    Console.redrawPending = false;
    if (Console.transcript) return;
    std::string out = MoveBetween(Console.terminal, {0, 0});
    out += "\x1b[J";
    out += DrawLine(Prompt(), Console.line, Console.width, &Console.terminal);
    Write(out);
    Console.drawnRows = RowWidths(Prompt(), Console.line, Console.width);
    Console.lineDrawn = true;
}

// Leaves the line: the terminal's cursor goes to the start of the row below it.
void FinishLine() {
    if (Console.transcript || !Console.lineDrawn) return;
    LinePlace end = EndOf(Prompt(), Console.line, Console.width);
    std::string out = MoveBetween(Console.terminal, end);
    if (end.column != 0 || end.row == 0) out += "\r\n";
    Write(out);
    Console.lineDrawn = false;
    Console.terminal = {0, 0};
}

// Moves the terminal's cursor to the end of the line, where a trace line may follow.
void GoToEnd() {
    if (Console.transcript || !Console.lineDrawn) return;
    LinePlace end = EndOf(Prompt(), Console.line, Console.width);
    Write(MoveBetween(Console.terminal, end));
    Console.terminal = end;
}

// A new, empty line with the prompt.
void NewLine() {
    LineClear(&Console.line);
    Console.promptShown = true;
    Console.lineDrawn = false;
    Console.terminal = {0, 0};
    Console.originRow += 2;
    Console.historyIndex = Console.history.size();
    Console.draft.clear();
    Console.redrawPending = true;
}

// Rows and columns for the record. The plug-in only ever writes them, so they are counted
// cheaply, one column per character, instead of laying out a line of up to 65535 characters on
// every key.
LinePlace RoughPlace(size_t index) {
    size_t width = Console.width < 1 ? 1 : Console.width;
    size_t column = TextLength(Prompt()) + index;
    return {column / width, column % width};
}

// Hands one key to the plug-in; true when the plug-in consumed it.
bool CallKey(const KeyReport& report) {
    if (!report.reported) return false;
    char16_t name[64] = {};
    CopyText(name, std::size(name), report.keyName);
    KeystrokeRecord record{};
    LinePlace cursor = RoughPlace(Console.line.cursor);
    record.keyCode = report.keyCode;
    record.startRow = Console.originRow;
    record.startColumn = static_cast<int32_t>(TextLength(Prompt()));
    record.cursorRow = Console.originRow + static_cast<int32_t>(cursor.row);
    record.cursorColumn = static_cast<int32_t>(cursor.column);
    record.lineStart = Console.line.text;
    record.cursorPos = Console.line.text + Console.line.cursor;
    record.keyName = Console.extendedHost ? name : nullptr;
    const KeystrokeRecord before = record;
    // A trace line starts below the line and ends with a line break.
    LinePlace end = RoughPlace(Console.line.length);
    Console.plugin->setCursorRow(Console.originRow + static_cast<int32_t>(end.row) + 2);

    Console.plugin->key(&record, report.modifiers);

    if (Console.transcript) SessionPrint(Console.plugin->takeSideOutput());
    size_t cursorBefore = Console.line.cursor;
    if (record.redraw != 0 || record.keyCode != before.keyCode ||
        record.cursorPos != before.cursorPos) {
        LineAdopt(&Console.line, record.cursorPos);
    } else {
        // Nothing says the line changed: it keeps its length (found again only when the plug-in
        // signals a change, so typing stays fast on long lines).
        Console.line.text[Console.line.length] = 0;
    }
    if (record.startRow != before.startRow || record.startColumn != before.startColumn) {
        // After a trace line the edit line starts again on the row below it.
        Console.originRow = record.startRow;
        Console.promptShown = false;
        Console.lineDrawn = false;
        Console.terminal = {0, 0};
        Console.redrawPending = true;
    }
    if (record.redraw != 0 || Console.line.cursor != cursorBefore) Console.redrawPending = true;
    bool byName = report.keyCode == 0;
    return byName ? name[0] == 0 : record.keyCode == 0;
}

// Shows a history entry (or the draft) in the line.
void ShowHistory(size_t index) {
    const std::u16string& text =
        index < Console.history.size() ? Console.history[index] : Console.draft;
    LineSetText(&Console.line, text.data(), text.size());
    Console.historyIndex = index;
    Console.redrawPending = true;
}

void RunLine() {
    std::u16string text(Console.line.text, Console.line.length);
    FinishLine();
    if (!text.empty() && (Console.history.empty() || Console.history.back() != text))
        Console.history.push_back(text);
    LineClear(&Console.line);
    RunCommandLine(text);
    if (Console.transcript) SessionPrint(Console.plugin->takeSideOutput());
    if (!Console.exitRequested) NewLine();
}

void Apply(Action action) {
    ConsoleLine* line = &Console.line;
    switch (action) {
    case Action::kNone:
    case Action::kRun:
        return;
    case Action::kBackspace:
        LineBackspace(line);
        break;
    case Action::kDelete:
        LineDelete(line);
        break;
    case Action::kLeft:
        LineLeft(line);
        break;
    case Action::kRight:
        LineRight(line);
        break;
    case Action::kWordLeft:
        LineWordLeft(line);
        break;
    case Action::kWordRight:
        LineWordRight(line);
        break;
    case Action::kHome:
        LineHome(line);
        break;
    case Action::kEnd:
        LineEnd(line);
        break;
    case Action::kPrevious:
        if (Console.historyIndex == 0) return;
        if (Console.historyIndex == Console.history.size())
            Console.draft.assign(line->text, line->length);
        ShowHistory(Console.historyIndex - 1);
        return;
    case Action::kNext:
        if (Console.historyIndex < Console.history.size()) ShowHistory(Console.historyIndex + 1);
        return;
    case Action::kToggleOverwrite:
        line->overwrite = !line->overwrite;
        return;
    case Action::kClearLine:
        LineClear(line);
        break;
    case Action::kClearScreen:
        if (!Console.transcript) Write("\x1b[H\x1b[2J");
        Console.terminal = {0, 0};
        Console.lineDrawn = false;
        break;
    }
    Console.redrawPending = true;
}

// One character typed: each of its UTF-16 units is a key for the plug-in, then it is typed.
void TypeCharacter(char32_t ch) {
    char16_t units[2];
    size_t count = Utf16Units(ch, units);
    bool consumed = false;
    for (size_t i = 0; i < count; ++i)
        consumed = CallKey(ReportText(units[i])) || consumed;
    if (consumed) return;
    if (!LineType(&Console.line, units, count)) {
        Console.bellPending = true;
        return;
    }
    Console.redrawPending = true;
}

void HandleKey(int key, int modifiers) {
    char16_t keyName[48];
    ConsoleKeyName(key, modifiers, keyName, std::size(keyName));
    std::u16string before = Console.transcript ? Shown(Console.line) : std::u16string();
    // The screen shows the line as it is before the line runs or the console ends.
    if (Console.redrawPending && !Console.transcript && (key == kKeyEnter || key == kKeyA + 2))
        Redraw();
    if (key == kKeyA + 2 && modifiers == kCtrlBit) {
        // Ctrl-C leaves the console; the host never reports it.
        if (Console.transcript) {
            SessionPrint(u"[" + before + u"] Ctrl-C: leaving\n");
        } else {
            GoToEnd();
            Write("^C\r\n");
            Console.lineDrawn = false;
        }
        SessionLeave(130);
        return;
    }
    Action action = DefaultAction(key, modifiers);
    if (action == Action::kRun) GoToEnd();
    bool consumed = CallKey(ReportKey(key, modifiers, Console.extendedHost));
    if (Console.transcript)
        SessionPrint(u"[" + before + u"] " + keyName +
                     (consumed || action != Action::kRun ? u" -> " : u"\n"));
    if (!consumed && action == Action::kRun) {
        RunLine();
        return;
    }
    if (!consumed) Apply(action);
    if (Console.transcript) SessionPrint(u"[" + Shown(Console.line) + u"]\n");
}

// A key inside a paste: a tab is typed, and a line break (CR, LF or CR LF) runs the line as Enter
// does. False for a key that no paste holds.
bool Pasted(int key, int modifiers) {
    bool carriageReturn = key == kKeyEnter && modifiers == 0;
    bool lineFeed = key == kKeyA + 9 && modifiers == kCtrlBit; // Ctrl-J
    bool afterReturn = Console.pasteAfterReturn;
    Console.pasteAfterReturn = carriageReturn;
    if (lineFeed && afterReturn) return true;
    if (carriageReturn || lineFeed) {
        HandleKey(kKeyEnter, 0);
        return true;
    }
    if (key != kKeyTab || modifiers != 0) return false;
    TypeCharacter(U'\t');
    return true;
}

} // namespace

void SessionBegin(const PluginDriver* plugin, bool extendedHost, bool transcript, size_t width,
                  void (*write)(const char* bytes, size_t length)) {
    Console.plugin = plugin;
    Console.extendedHost = extendedHost;
    Console.transcript = transcript;
    Console.write = write;
    Console.width = width < 1 ? 1 : width;
    Console.line.overwrite = false;
    Console.originRow = 0;
    Console.bellPending = false;
    Console.height = 24;
    Console.pasting = false;
    Console.pasteAfterReturn = false;
    Console.exitRequested = false;
    Console.exitStatus = 0;
    Console.history.clear();
    NewLine();
}

void SessionInput(const DecodedInput& item) {
    switch (item.kind) {
    case InputKind::kNeedMore:
    case InputKind::kIgnored:
        return;
    case InputKind::kPasteBegin:
        Console.pasting = true;
        Console.pasteAfterReturn = false;
        return;
    case InputKind::kPasteEnd:
        Console.pasting = false;
        return;
    case InputKind::kText:
        Console.pasteAfterReturn = false;
        TypeCharacter(item.text);
        return;
    case InputKind::kKey:
        if (Console.pasting && Pasted(item.key, item.modifiers)) return;
        Console.pasting = false; // no paste holds this key: the paste's end got lost
        HandleKey(item.key, item.modifiers);
        return;
    }
}

void SessionFlush() {
    if (Console.exitRequested) return;
    if (Console.redrawPending) Redraw();
    if (Console.bellPending) {
        if (Console.transcript)
            SessionPrint(u"(bell: the line is full)\n");
        else
            Write("\a");
        Console.bellPending = false;
    }
}

void SessionResize(size_t width) {
    Console.width = width < 1 ? 1 : width;
    if (Console.lineDrawn)
        Console.terminal = Rewrapped(Console.drawnRows, Console.terminal, Console.width);
    Console.redrawPending = true;
}

void SessionFitTerminal() {
    TerminalSize size = TerminalSizeNow();
    SessionResize(size.columns);
    Console.height = size.rows;
}

void SessionClearFrom(const char16_t* cursor) {
    if (Console.transcript || !Console.lineDrawn) return;
    auto base = reinterpret_cast<uintptr_t>(Console.line.text);
    auto at = reinterpret_cast<uintptr_t>(cursor);
    if (at < base || at > base + Console.line.length * sizeof(char16_t)) return;
    size_t index = (at - base) / sizeof(char16_t);
    LinePlace place = PlaceOf(Prompt(), Console.line, Console.width, index);
    Write(MoveBetween(Console.terminal, place) + "\x1b[J");
    Console.terminal = place;
}

void SessionPrint(const std::u16string& text) {
    if (!text.empty()) Write(ToUtf8(text));
}

void SessionSay(const std::u16string& text) {
    SessionPrint(WrapText(text, Console.width));
}

void SessionLeave(int status) {
    Console.exitRequested = true;
    Console.exitStatus = status;
}
