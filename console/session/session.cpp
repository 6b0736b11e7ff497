// The host's side of the edit line: each key goes to the plug-in's keystroke handler first, and
// what the plug-in leaves alone the console does itself.
#include "console/session/session.h"

#include <cstdint>
#include <iterator>

#include "console/session/host_keys.h"
#include "standins/utf8.h"
#include "text/wtext.h"

// The plug-in writes into the line in place, as into the host's own buffer.
static_assert(kConsoleLineSize == kLineBufferSize, "the console's line is the host's edit line");

namespace {

// What the host does with a key that the plug-in did not consume.
enum class Action { kEdit, kRun, kPrevious, kNext, kToggleOverwrite, kClearScreen };
// Which modifier keys a row asks for: any, Ctrl among them, or Ctrl alone.
enum class Ctrl { kAny, kHeld, kAlone };
struct KeyAction {
    int key;
    Ctrl ctrl;
    Action action;
    void (*edit)(ConsoleLine*); // kEdit
};

// The keys the host edits with; the first row that fits a key counts.
constexpr KeyAction kKeyActions[] = {
    {kKeyEnter, Ctrl::kAny, Action::kRun, nullptr},
    {kKeyBackspace, Ctrl::kAny, Action::kEdit, LineBackspace},
    {LetterKey('H'), Ctrl::kAlone, Action::kEdit, LineBackspace},
    {kKeyDel, Ctrl::kAny, Action::kEdit, LineDelete},
    {kKeyLeft, Ctrl::kHeld, Action::kEdit, LineWordLeft},
    {kKeyLeft, Ctrl::kAny, Action::kEdit, LineLeft},
    {kKeyRight, Ctrl::kHeld, Action::kEdit, LineWordRight},
    {kKeyRight, Ctrl::kAny, Action::kEdit, LineRight},
    {kKeyHome, Ctrl::kAny, Action::kEdit, LineHome},
    {kKeyEnd, Ctrl::kAny, Action::kEdit, LineEnd},
    {kKeyEsc, Ctrl::kAny, Action::kEdit, LineClear},
    {kKeyUp, Ctrl::kAny, Action::kPrevious, nullptr},
    {kKeyDown, Ctrl::kAny, Action::kNext, nullptr},
    {kKeyIns, Ctrl::kAny, Action::kToggleOverwrite, nullptr},
    {LetterKey('L'), Ctrl::kAlone, Action::kClearScreen, nullptr},
};

// The host's action for a key; null for a key the host does nothing with.
const KeyAction* ActionOf(int key, int modifiers) {
    for (const KeyAction& row : kKeyActions) {
        bool fits = row.ctrl == Ctrl::kAny ||
                    (row.ctrl == Ctrl::kHeld ? (modifiers & kCtrlBit) != 0 : modifiers == kCtrlBit);
        if (row.key == key && fits) return &row;
    }
    return nullptr;
}

ShownLine Shown(const Session& s) {
    return {s.promptShown ? kPrompt : u"", s.line};
}

void Redraw(Session& s) {
    s.redrawPending = false;
    s.screen->DrawLine(Shown(s));
}

// A new, empty line with the prompt, two rows below the last.
void NewLine(Session& s) {
    LineClear(&s.line);
    s.promptShown = true;
    s.screen->StartLine();
    s.originRow += 2;
    s.historyIndex = s.history.size();
    s.draft.clear();
    s.redrawPending = true;
}

// Rows and columns for the record. The plug-in only ever writes them, so they are counted
// cheaply, one column per character, instead of laying out a line of up to 65535 characters on
// every key.
LinePlace RoughPlace(const Session& s, size_t index) {
    size_t width = s.screen->Size().columns;
    size_t column = TextLength(Shown(s).prompt) + index;
    return {column / width, column % width};
}

// The record the host hands the plug-in for a key on the line as it is.
KeystrokeRecord RecordFor(Session& s, const HostKeyReport& report, char16_t* name) {
    KeystrokeRecord record{};
    LinePlace cursor = RoughPlace(s, s.line.cursor);
    record.keyCode = report.keyCode;
    record.startRow = s.originRow;
    record.startColumn = static_cast<int32_t>(TextLength(Shown(s).prompt));
    record.cursorRow = s.originRow + static_cast<int32_t>(cursor.row);
    record.cursorColumn = static_cast<int32_t>(cursor.column);
    record.lineStart = s.line.text;
    record.cursorPos = s.line.text + s.line.cursor;
    record.keyName = s.extendedHost ? name : nullptr;
    return record;
}

// Hands one key to the plug-in; true when the plug-in consumed it. What the plug-in showed beside
// its output meanwhile waits for ShowSideOutput, once the key itself is recorded.
bool CallKey(Session& s, const HostKeyReport& report) {
    if (!report.reported) return false;
    char16_t name[kReportedKeyNameSize] = {};
    CopyText(name, std::size(name), report.keyName);
    KeystrokeRecord record = RecordFor(s, report, name);
    const KeystrokeRecord before = record;
    // A trace line starts below the line and ends with a line break.
    LinePlace end = RoughPlace(s, s.line.length);
    s.plugin->SetCursorRow(s.originRow + static_cast<int32_t>(end.row) + 2);

    std::vector<const char16_t*> cleared;
    s.plugin->Key(&record, report.modifiers, &cleared);

    // Where the plug-in cleared the shown line, as the line still was before it wrote into it.
    for (const char16_t* at : cleared)
        if (size_t index = 0; LineIndexOf(s.line, at, &index))
            s.screen->ClearLineFrom(Shown(s), index);
    size_t cursorBefore = s.line.cursor;
    if (record.redraw != 0 || record.keyCode != before.keyCode ||
        record.cursorPos != before.cursorPos) {
        LineAdopt(&s.line, record.cursorPos);
    } else {
        // Nothing says the line changed: it keeps its length (found again only when the plug-in
        // signals a change, so typing stays fast on long lines).
        s.line.text[s.line.length] = 0;
    }
    if (record.startRow != before.startRow || record.startColumn != before.startColumn) {
        // After a trace line the edit line starts again on the row below it.
        s.originRow = record.startRow;
        s.promptShown = false;
        s.screen->StartLine();
        s.redrawPending = true;
    }
    if (record.redraw != 0 || s.line.cursor != cursorBefore) s.redrawPending = true;
    bool byName = report.keyCode == 0;
    return byName ? name[0] == 0 : record.keyCode == 0;
}

// Trace lines, sounds and message boxes the key caused, after the key (in a transcript).
void ShowSideOutput(Session& s) {
    s.screen->SideOutput(s.plugin->TakeSideOutput());
}

// Shows a history entry (or the draft) in the line.
void ShowHistory(Session& s, size_t index) {
    const std::u16string& text = index < s.history.size() ? s.history[index] : s.draft;
    LineSetText(&s.line, text.data(), text.size());
    s.historyIndex = index;
    s.redrawPending = true;
}

// The line is done: it goes into the history and a new one starts; the caller runs it.
std::u16string RunLine(Session& s) {
    std::u16string text(s.line.text, s.line.length);
    s.screen->LeaveLine(Shown(s));
    if (!text.empty() && (s.history.empty() || s.history.back() != text)) s.history.push_back(text);
    NewLine(s);
    return text;
}

void Apply(Session& s, const KeyAction& action) {
    switch (action.action) {
    case Action::kEdit:
        action.edit(&s.line);
        break;
    case Action::kRun:
        return;
    case Action::kPrevious:
        if (s.historyIndex == 0) return;
        if (s.historyIndex == s.history.size()) s.draft.assign(s.line.text, s.line.length);
        ShowHistory(s, s.historyIndex - 1);
        return;
    case Action::kNext:
        if (s.historyIndex < s.history.size()) ShowHistory(s, s.historyIndex + 1);
        return;
    case Action::kToggleOverwrite:
        s.line.overwrite = !s.line.overwrite;
        return;
    case Action::kClearScreen:
        s.screen->ClearScreen();
        break;
    }
    s.redrawPending = true;
}

// One character typed: each of its UTF-16 units is a key for the plug-in, then it is typed.
void TypeCharacter(Session& s, char32_t ch) {
    char16_t units[2];
    size_t count = Utf16Units(ch, units);
    bool consumed = false;
    for (size_t i = 0; i < count; ++i)
        consumed = CallKey(s, HostReportOfText(units[i])) || consumed;
    ShowSideOutput(s);
    if (consumed) return;
    if (!LineType(&s.line, units, count)) {
        s.bellPending = true;
        return;
    }
    s.redrawPending = true;
}

std::optional<std::u16string> HandleKey(Session& s, int key, int modifiers) {
    char16_t keyName[kReportedKeyNameSize];
    ConsoleKeyName(key, modifiers, keyName, std::size(keyName));
    s.screen->KeyBegins(s.line);
    // The screen shows the line as it is before the line runs or the console ends.
    if (s.redrawPending && (key == kKeyEnter || key == LetterKey('C'))) Redraw(s);
    if (IsCtrlC(key, modifiers)) {
        // Ctrl-C leaves the console; the host never reports it.
        SessionInterrupt(s);
        return std::nullopt;
    }
    const KeyAction* action = ActionOf(key, modifiers);
    bool runs = action != nullptr && action->action == Action::kRun;
    if (runs) s.screen->GoToLineEnd(Shown(s));
    bool consumed = CallKey(s, HostReportOfKey(key, modifiers, s.extendedHost));
    if (!consumed && runs) {
        s.screen->KeyHandled(keyName, nullptr);
        ShowSideOutput(s);
        return RunLine(s);
    }
    if (!consumed && action != nullptr) Apply(s, *action);
    s.screen->KeyHandled(keyName, &s.line);
    ShowSideOutput(s);
    return std::nullopt;
}

// A key inside a paste: a tab is typed, and a line break (CR, LF or CR LF) runs the line as Enter
// does. False for a key that no paste holds.
bool Pasted(Session& s, int key, int modifiers, std::optional<std::u16string>* ran) {
    bool carriageReturn = key == kKeyEnter && modifiers == 0;
    bool lineFeed = key == LetterKey('J') && modifiers == kCtrlBit;
    bool afterReturn = s.pasteAfterReturn;
    s.pasteAfterReturn = carriageReturn;
    if (lineFeed && afterReturn) return true;
    if (carriageReturn || lineFeed) {
        *ran = HandleKey(s, kKeyEnter, 0);
        return true;
    }
    if (key != kKeyTab || modifiers != 0) return false;
    TypeCharacter(s, U'\t');
    return true;
}

} // namespace

void SessionBegin(Session& s, PluginDriver* plugin, Screen* screen, bool extendedHost) {
    s.plugin = plugin;
    s.screen = screen;
    s.extendedHost = extendedHost;
    s.line.overwrite = false;
    s.originRow = 0;
    s.bellPending = false;
    s.pasting = false;
    s.pasteAfterReturn = false;
    s.exitRequested = false;
    s.exitStatus = 0;
    s.history.clear();
    NewLine(s);
}

std::optional<std::u16string> SessionInput(Session& s, const DecodedInput& item) {
    std::optional<std::u16string> ran;
    switch (item.kind) {
    case InputKind::kNeedMore:
    case InputKind::kIgnored:
        break;
    case InputKind::kPasteBegin:
        s.pasting = true;
        s.pasteAfterReturn = false;
        break;
    case InputKind::kPasteEnd:
        s.pasting = false;
        break;
    case InputKind::kText:
        s.pasteAfterReturn = false;
        TypeCharacter(s, item.text);
        break;
    case InputKind::kKey:
        if (s.pasting && Pasted(s, item.key, item.modifiers, &ran)) break;
        s.pasting = false; // no paste holds this key: the paste's end got lost
        ran = HandleKey(s, item.key, item.modifiers);
        break;
    }
    return ran;
}

void SessionFlush(Session& s) {
    if (s.exitRequested) return;
    if (s.redrawPending) Redraw(s);
    if (s.bellPending) s.screen->Bell();
    s.bellPending = false;
}

void SessionResize(Session& s, TerminalSize size) {
    s.screen->Resize(size);
    s.redrawPending = true;
}

void SessionLeave(Session& s, int status) {
    s.exitRequested = true;
    s.exitStatus = status;
}

void SessionInterrupt(Session& s) {
    s.screen->Interrupted(Shown(s));
    SessionLeave(s, 130);
}

void SessionCheckPlugin(Session& s) {
    std::string why = s.plugin->Lost();
    if (why.empty()) return;
    s.screen->LeaveLine(Shown(s));
    Complain(*s.screen, why);
    SessionLeave(s, 1);
}

std::vector<std::u16string> SessionEditKeyNames() {
    std::vector<std::u16string> names;
    for (const KeyAction& row : kKeyActions) {
        char16_t name[kReportedKeyNameSize];
        ConsoleKeyName(row.key, row.ctrl == Ctrl::kAny ? 0 : kCtrlBit, name, std::size(name));
        names.push_back(name);
    }
    return names;
}
