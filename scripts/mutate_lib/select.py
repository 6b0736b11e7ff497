"""The mutant population and the sample drawn from it: every small change the run can make to a
line of src/, the lines --files picks, the draw from a seed, and the list of mutants known to be
equivalent to the original (tests/mutate-equivalent.txt).

Owns: the rules that make mutants, the draw, the file format of the equivalents list and the key
that matches a mutant to an entry of it (key_of), and which sources only the Windows build holds.
Needs: nothing from the other modules; the checkout's folder is passed in."""

import os
import random
import re
import sys
from collections import namedtuple

# Built into Torvane.dll only: its mutants go straight to the Wine stage.
WINDOWS_ONLY = {"src/platform/win32.cpp"}

COMPARISONS = {"<": ["<=", ">="], "<=": ["<", ">"], ">": [">=", "<="], ">=": [">", "<"],
               "==": ["!="], "!=": ["=="]}
DECLARATION = re.compile(
    r"^\s*(?:(?:static|const|constexpr|extern|inline|unsigned|signed|struct|enum|using|"
    r"typedef|template)\b|(?:[A-Za-z_][\w:]*(?:<[^;()]*>)?[\s\*&]+)+[\*&]*[A-Za-z_]\w*"
    r"(?:\[[^\]]*\])*\s*(?:=|;|\{|\()(?!=))")
CONTROL = re.compile(r"^\s*(?:return|break|continue|goto|case|default|else|do)\b")


def code_spans(line):
    """The parts of a line outside string and character literals and before a // comment."""
    spans, start, i, quote = [], 0, 0, None
    while i < len(line):
        ch = line[i]
        if quote:
            if ch == "\\":
                i += 2
                continue
            if ch == quote:
                quote = None
                start = i + 1
        elif ch in "\"'":
            spans.append((start, i))
            quote = ch
        elif line.startswith("//", i):
            spans.append((start, i))
            return [s for s in spans if s[1] > s[0]]
        i += 1
    if not quote:
        spans.append((start, len(line)))
    return [s for s in spans if s[1] > s[0]]


def comparison_mutants(line, spans):
    out = []
    for a, b in spans:
        for m in re.finditer(r"(?<![<>=!&|+\-*/%^-])(<=|>=|==|!=|<|>)(?![<>=])", line[a:b]):
            op, at = m.group(1), a + m.start(1)
            if op in "<>" and (line[at - 1:at] == "-" or line[at + 1:at + 2] == ">"):
                continue  # ->, template brackets are filtered below
            if op in ("<", ">") and not re.search(r"[\w\)\]]\s*$", line[:at]):
                continue
            if op == "<" and re.match(r"\s*[A-Za-z_][\w:]*\s*(?:[,>*&]|\.\.\.)", line[at + 1:]):
                continue  # template argument list
            if op == ">" and re.search(r"<[^<>=]*$", line[:at]):
                continue
            for new in COMPARISONS[op]:
                out.append(("comparison", line[:at] + new + line[at + len(op):]))
    return out


def literal_mutants(line, spans):
    out = []
    for a, b in spans:
        for m in re.finditer(r"(?<![\w.])(-?)(0[xX][0-9A-Fa-f]+|\d+)([uU]?[lL]{0,2})(?![\w.])",
                             line[a:b]):
            sign, digits, suffix = m.group(1), m.group(2), m.group(3)
            at, end = a + m.start(), a + m.end()
            value = int(digits, 0) * (-1 if sign else 1)
            if sign and not re.search(r"[,(\{=]\s*$", line[:at]):
                sign, at, value = "", at + 1, int(digits, 0)  # a subtraction, not a minus sign
            hexa = digits.lower().startswith("0x")
            spell = (lambda v: ("-" if v < 0 else "") + ("0x%X" % abs(v) if hexa else str(abs(v))))
            news = {value + 1, value - 1}
            if value in (0, 1):
                news.add(1 - value)
            if value in (-1, -2):
                news.add(-3 - value)  # a key-table cell: invalid hotkey <-> not allowed
            kind = "cell" if value in (-1, -2) and "Row(" in line else "literal"
            for new in sorted(news):
                if new < 0 and "u" in suffix.lower():
                    continue
                out.append((kind, line[:at] + spell(new) + suffix + line[end:]))
        for m in re.finditer(r"\b(true|false)\b", line[a:b]):
            at = a + m.start()
            new = "false" if m.group(1) == "true" else "true"
            out.append(("literal", line[:at] + new + line[at + len(m.group(1)):]))
        for m in re.finditer(r"\s+[+-]\s+1\b(?![\w.])", line[a:b]):
            at = a + m.start()
            out.append(("boundary", line[:at] + line[a + m.end():]))
    return out


def condition_mutants(line, spans):
    out = []
    for a, b in spans:
        for m in re.finditer(r"\b(if|while)\s*\(", line[a:b]):
            open_at = a + m.end() - 1
            depth, i = 0, open_at
            while i < len(line):
                depth += {"(": 1, ")": -1}.get(line[i], 0)
                if depth == 0:
                    break
                i += 1
            if depth != 0:
                continue
            inner = line[open_at + 1:i]
            out.append(("negate", line[:open_at + 1] + "!(" + inner + ")" + line[i:]))
    return out


def statement_mutant(lines, n):
    line = lines[n]
    code = line.split("//")[0].rstrip()
    if not code.endswith(";") or code.strip() == ";" or DECLARATION.match(code):
        return []
    if CONTROL.match(code) or code.lstrip().startswith(("#", "}", "{")):
        return []
    previous = lines[n - 1].split("//")[0].rstrip() if n > 0 else ""
    if previous and not previous.endswith((";", "{", "}", ":", ")")):
        return []  # the continuation of a statement or of a declaration
    if previous.lstrip().startswith(("struct", "enum")) or "constexpr" in previous:
        return []
    indent = line[:len(line) - len(line.lstrip())]
    return [("statement", indent + ";")]


def mutants_of(root, path):
    relative = os.path.relpath(path, root)
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    found = []
    in_comment = False
    for n, line in enumerate(lines):
        stripped = line.strip()
        if in_comment:
            in_comment = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_comment = "*/" not in stripped
            continue
        if (not stripped or stripped.startswith(("//", "#", "static_assert")) or
                "clang-format" in stripped):
            continue
        spans = code_spans(line)
        candidates = (comparison_mutants(line, spans) + literal_mutants(line, spans) +
                      condition_mutants(line, spans) + statement_mutant(lines, n))
        seen = set()
        for kind, new in candidates:
            if new != line and new not in seen:
                seen.add(new)
                found.append({"file": relative, "line": n + 1, "kind": kind,
                              "original": line, "mutated": new})
    return found


def draw(everything, count, seed):
    """Lines first, then one of each line's mutants, so that long table rows count as one line."""
    rng = random.Random(seed)
    by_line = {}
    for m in everything:
        by_line.setdefault((m["file"], m["line"]), []).append(m)
    lines = sorted(by_line)
    rng.shuffle(lines)
    sample = []
    while len(sample) < min(count, len(everything)):
        for key in lines:
            if by_line[key] and len(sample) < count:
                sample.append(by_line[key].pop(rng.randrange(len(by_line[key]))))
    return sample


def selection(selected):
    """The --files arguments as (path, line or None): FILE:LINE picks the mutants of one line."""
    picked = []
    for entry in selected:
        found = re.fullmatch(r"(.+):(\d+)", entry)
        picked.append((found.group(1), int(found.group(2))) if found else (entry, None))
    return picked


def selected_mutant(m, picked):
    return not picked or any(m["file"] == path and m["line"] == line or
                             line is None and (m["file"] == path or
                                               m["file"].startswith(path.rstrip("/") + "/"))
                             for path, line in picked)


def source_files(root, selected):
    files = []
    for folder, _, names in os.walk(os.path.join(root, "src")):
        for name in sorted(names):
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, root)
            if not name.endswith((".cpp", ".h")) or os.path.islink(path):
                continue  # a mutant is written into the copy, never through a link
            if selected and not any(relative == s or relative.startswith(s.rstrip("/") + "/")
                                    for s in selected):
                continue
            files.append(path)
    return sorted(files)


def load_equivalents(root):
    """{(file, original, mutated): reason} from tests/mutate-equivalent.txt."""
    known = {}
    path = os.path.join(root, "tests", "mutate-equivalent.txt")
    if not os.path.exists(path):
        return known
    reason = ""
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            raw = raw.rstrip("\n")
            if raw.startswith("#"):
                reason = raw[1:].strip()
            elif raw.strip():
                parts = raw.split("\t")
                if len(parts) != 3:
                    sys.exit(f"{path}:{number}: not three tab-separated fields")
                known[(parts[0], parts[1].strip(), parts[2].strip())] = reason
    return known


def key_of(m):
    return (m["file"], m["original"].strip(), m["mutated"].strip())


# What a run tries: the sample in the order it is tried, the number of mutants it was drawn from,
# the equivalents list, and the entries of that list that no mutant of the sources matches.
Choice = namedtuple("Choice", "sample population equivalents stale")


def choose(root, files, stages, count, seed):
    """The sample of the mutants of src/ under root, or of what files (--files) names: count of
    them drawn from seed, or every one when count is None. The mutants of a file only the Windows
    build holds are left out unless the stages include wine."""
    picked = selection(files)
    scanned = []
    for path in source_files(root, [path for path, _ in picked]):
        scanned.extend(mutants_of(root, path))
    everything = [m for m in scanned if selected_mutant(m, picked)]
    if "wine" not in stages:
        everything = [m for m in everything if m["file"] not in WINDOWS_ONLY]
    equivalents = load_equivalents(root)
    # Entries of the list whose lines are gone: after a change to a listed line, say.
    scanned_files = {m["file"] for m in scanned}
    scanned_keys = {key_of(m) for m in scanned}
    stale = [k for k in equivalents if k[0] in scanned_files and k not in scanned_keys]
    sample = draw(everything, len(everything) if count is None else count, seed)
    sample.sort(key=lambda m: (m["file"], m["line"], m["mutated"]))
    return Choice(sample, len(everything), equivalents, stale)
