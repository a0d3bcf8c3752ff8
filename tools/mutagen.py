#!/usr/bin/env python3
"""Draws one-line faults from the program's own source.

Every .cpp under src/ is read; each line yields the faults it can carry:
  - a relational or equality operator swapped (< and <=, > and >=, == and !=)
  - && and || swapped
  - an integer literal changed by one (0 and 1 swapped)
  - a character dropped from a string literal
  - true and false swapped
  - the value a bool function returns negated
  - a statement that is a single call removed
  - break and continue swapped
Layout numbers (twips, pixels, margins, grid cells) and zero-delay timers are
not drawn, nor object names, asserts or preprocessor lines: none of them is a
fault a user could meet.

Given a seed, N faults are drawn, spread over the files in proportion to their
non-blank lines; the same seed and source give the same sample. Each fault is
printed on a line of its own:
    FILE:LINE: ORIGINAL ~> FAULTY
where ORIGINAL and FAULTY are the whole line without its indentation.

Usage: mutagen.py --seed S --sample N [--root DIR]
       mutagen.py --plant ROOT 'FILE:LINE: ORIGINAL ~> FAULTY'
"""
import argparse
import pathlib
import random
import re
import sys

LAYOUT = re.compile(r"[Tt]wips|QRect\(|QSize\(|setFixed|setMinimum|setColumnMinimumWidth|setContentsMargins"
                    r"|setTabStopDistance|SectionSize|setColumnWidth|resize\(|addWidget\(|addStretch|setSpacing|setFont\(|\.width\(\) \+|size : \{")
SKIPPED_LINE = re.compile(r"^\s*(#|Q_ASSERT|static_assert|Q_OBJECT|Q_UNUSED)|setObjectName")
OBJECT_NAME = re.compile(r"setObjectName|place\(|names\[\]|addItem\(\"|newButton\(|newEdit\(")
OPERATORS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&"}
NOT_CALLS = {"return", "delete", "if", "while", "for", "switch", "case", "throw", "new", "else", "do", "sizeof"}
CALL = re.compile(r"^(Q_EMIT\s+)?(?:[A-Za-z_]\w*(?:::|\.|->))*([A-Za-z_]\w*)\(.*\)(?:(?:\.|->)\w+\(.*\))*;$")
BOOL_FUNCTION = re.compile(r"^(?:static |inline |\[\[nodiscard\]\] )*bool [\w:~]+\(")
ANY_FUNCTION = re.compile(r"^[A-Za-z_][\w:<>*&, ]*[\s*&][\w:~]+\(|^[\w:~]+::[\w~]+\(")


def segments(lines):
    """Splits each line into ('code'|'str'|'chr'|'comment', text) pieces."""
    in_comment = False
    for line in lines:
        pieces, i, start = [], 0, 0
        kind = "comment" if in_comment else "code"
        while i < len(line):
            if kind == "comment":
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                    break
                i = end + 2
                pieces.append(("comment", line[start:i]))
                start, kind, in_comment = i, "code", False
                continue
            c = line[i]
            if line.startswith("//", i):
                pieces.append(("code", line[start:i]))
                pieces.append(("comment", line[i:]))
                start = i = len(line)
                break
            if line.startswith("/*", i):
                pieces.append(("code", line[start:i]))
                start, kind, in_comment = i, "comment", True
                i += 2
                continue
            if c in "\"'":
                # A prefix such as u or u8 stays with the code before it.
                pieces.append(("code", line[start:i]))
                j = i + 1
                while j < len(line) and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                j = min(j + 1, len(line))
                pieces.append(("str" if c == '"' else "chr", line[i:j]))
                start = i = j
                continue
            i += 1
        pieces.append((kind, line[start:]))
        yield [p for p in pieces if p[1]]


def replace_span(pieces, index, start, end, new):
    kind, text = pieces[index]
    out = list(pieces)
    out[index] = (kind, text[:start] + new + text[end:])
    return "".join(t for _, t in out)


def line_faults(pieces, in_bool_function):
    line = "".join(t for _, t in pieces)
    stripped = line.strip()
    if not stripped or SKIPPED_LINE.search(line):
        return []
    faults = []
    code_only = "".join(t if k == "code" else " " * len(t) for k, t in pieces).strip()
    for n, (kind, text) in enumerate(pieces):
        if kind == "code":
            for m in re.finditer(r"(?<= )(<=|>=|==|!=|<|>|&&|\|\|)(?= )", text):
                faults.append(replace_span(pieces, n, m.start(), m.end(), OPERATORS[m.group(1)]))
            if not LAYOUT.search(line):
                for m in re.finditer(r"(?<![\w.'])(\d+)(?![\w.'])", text):
                    value = int(m.group(1))
                    if value == 0 and re.search(r"(singleShot|start)\($", text[:m.start()]):
                        continue  # a zero-delay timer only defers
                    for new in ([1] if value == 0 else [0] if value == 1 else [value + 1, value - 1]):
                        faults.append(replace_span(pieces, n, m.start(), m.end(), str(new)))
            for m in re.finditer(r"\b(true|false|break|continue)\b", text):
                other = {"true": "false", "false": "true", "break": "continue", "continue": "break"}[m.group(1)]
                faults.append(replace_span(pieces, n, m.start(), m.end(), other))
        elif kind == "str" and len(text) > 2:
            if OBJECT_NAME.search(line) and re.fullmatch(r'"[A-Za-z]\w*"', text):
                continue
            faults.append(("drop", n))
    if in_bool_function:
        m = re.fullmatch(r"return (.+);", code_only)
        if m and m.group(1) not in ("true", "false"):
            code = "".join(t for k, t in pieces if k != "comment").strip()
            expression = code[len("return "):-1]
            faults.append(line[:line.index("return ")] + "return !(" + expression + ");")
    m = CALL.match(code_only)
    if m and not LAYOUT.search(line) and m.group(2) not in NOT_CALLS and code_only.count("(") == code_only.count(")"):
        faults.append(line[:len(line) - len(line.lstrip())] + "{}")
    return faults


def drop_character(pieces, index, rng):
    """Drops one character (an escape counts as one) from a string literal."""
    text = pieces[index][1]
    body_start = text.index('"') + 1
    units, i = [], body_start
    while i < len(text) - 1:
        width = 2 if text[i] == "\\" else 1
        units.append((i, i + width))
        i += width
    start, end = rng.choice(units)
    return replace_span(pieces, index, start, end, "")


# What the Linux build defines; a branch on any other macro may be built.
PLATFORM = {"Q_OS_UNIX": True, "Q_OS_LINUX": True, "Q_OS_WIN": False, "_WIN32": False, "Q_OS_MACOS": False}


def platform_value(condition):
    """True or False for a condition on platform macros alone, else None."""
    words = set(re.findall(r"[A-Za-z_]\w*", condition)) - {"defined"}
    if not words or not words <= PLATFORM.keys():
        return None
    expression = re.sub(r"defined\s*\(?\s*(\w+)\s*\)?", lambda m: str(PLATFORM[m.group(1)]), condition)
    return eval(expression.replace("&&", " and ").replace("||", " or ").replace("!", " not "))


def built_lines(lines):
    """Whether each line is compiled on Linux: a fault where it is not cannot be met."""
    stack = []
    for line in lines:
        directive = re.match(r"\s*#\s*(ifdef|ifndef|if|else|elif|endif)\b(.*)", line)
        if directive:
            word, rest = directive.groups()
            if word in ("ifdef", "ifndef", "if"):
                value = platform_value("defined(%s)" % rest.strip() if word != "if" else rest)
                stack.append(None if value is None else value != (word == "ifndef"))
            elif word in ("else", "elif") and stack:
                stack[-1] = None if stack[-1] is None or word == "elif" else not stack[-1]
            elif word == "endif" and stack:
                stack.pop()
        yield all(value is not False for value in stack)


def file_candidates(path):
    lines = path.read_text(encoding="utf-8").split("\n")
    in_bool = False
    for number, (pieces, built) in enumerate(zip(segments(lines), built_lines(lines)), 1):
        line = lines[number - 1]
        if not built:
            continue
        if BOOL_FUNCTION.match(line):
            in_bool = True
        elif ANY_FUNCTION.match(line) and not line.startswith(("namespace", "{", "}")):
            in_bool = False
        for fault in line_faults(pieces, in_bool):
            yield number, pieces, fault


def draw(root, seed, count):
    rng = random.Random(seed)
    files = sorted(p for p in (root / "src").rglob("*.cpp"))
    weights = {p: sum(1 for l in p.read_text(encoding="utf-8").split("\n") if l.strip()) for p in files}
    candidates = {p: list(file_candidates(p)) for p in files}
    total = sum(weights.values())
    # Largest remainder, then what a file cannot hold goes to the others.
    share = {p: count * weights[p] / total for p in files}
    quota = {p: min(int(share[p]), len(candidates[p])) for p in files}
    order = sorted(files, key=lambda p: (-(share[p] - int(share[p])), str(p)))
    while sum(quota.values()) < count and any(quota[p] < len(candidates[p]) for p in files):
        for p in order:
            if sum(quota.values()) < count and quota[p] < len(candidates[p]):
                quota[p] += 1
    faults = []
    for p in files:
        for number, pieces, fault in rng.sample(candidates[p], quota[p]):
            if isinstance(fault, tuple):
                fault = drop_character(pieces, fault[1], rng)
            original = "".join(t for _, t in pieces)
            faults.append("%s:%d: %s ~> %s" % (p.relative_to(root), number, original.strip(), fault.strip()))
    rng.shuffle(faults)
    return faults


def parse(fault):
    where, change = fault.split(": ", 1)
    path, number = where.rsplit(":", 1)
    original, faulty = change.split(" ~> ", 1)
    return path, int(number), original, faulty


def plant(root, fault):
    path, number, original, faulty = parse(fault)
    target = pathlib.Path(root) / path
    lines = target.read_text(encoding="utf-8").split("\n")
    line = lines[number - 1]
    if line.strip() != original:
        sys.exit("the source has changed at %s:%d" % (path, number))
    lines[number - 1] = line[:len(line) - len(line.lstrip())] + faulty
    target.write_text("\n".join(lines), encoding="utf-8")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seed")
    parser.add_argument("--sample", type=int)
    parser.add_argument("--root", default=".")
    parser.add_argument("--plant", nargs=2, metavar=("ROOT", "FAULT"))
    args = parser.parse_args()
    if args.plant:
        plant(*args.plant)
    else:
        print("\n".join(draw(pathlib.Path(args.root), args.seed, args.sample)))


if __name__ == "__main__":
    main()
