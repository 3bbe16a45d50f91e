#!/usr/bin/python3
"""Reference cases for the TGrep matcher, answered by Python's re and by
PCRE2 (pcre2test), which must agree on every case.

Random expressions over a small alphabet are built as element lists, then
written twice: in TGrep's syntax (with quoting, "\\#hh" codes, merged
groups, unclosed trailing groups and sets) and as a regular expression of
the same meaning for the reference engines: inner repetitions lazy, a
repetition that ends the expression greedy, "$" the end of the subject,
groups non-capturing, sets spelled out byte by byte, IgnoreCase as lower
case (Windows-1252) of expression and text. Matches that start behind the
last character are dropped, as TGrep never starts there.

Output, one case per line, tab-separated:
  expression  flags ("i" IgnoreCase, "-" none)  SearchStartPos  text  result
with bytes outside "!".."~" and "%" written %HH, and result "-" for no
match or "start,end" (1-based, end = last matched character).

Usage: tools/ref/grep_cases.py [output]   (default corelib/tests/data/grep_cases.txt)
"""
import os
import random
import re
import subprocess
import sys
import tempfile

SEED = 20240516
EXPRESSIONS = 2000
TEXTS_PER_EXPRESSION = 3

# Characters of expressions and texts. No "x" or "{" in texts, so that the
# "\xhh" of pcre2test's output cannot be mistaken for text.
CHARS = b"abcabcabcAB-.*\\^$[]()#?+" + bytes([0, 0xE4, 0xC4, 0xFF, 0x9F])
TEXT_CHARS = b"abcabcabcabcAB-.*\\[]()#^$" + bytes([0, 0xE4, 0xC4, 0xFF, 0x9F, 10])
RANGE_CHARS = b"abcAB-]^\\" + bytes([0xE4, 0xC4])

LIT_SPECIAL = b"\\.^$[]()*+?-"
GROUP_SPECIAL = b")\\^"
SET_SPECIAL = b"]\\^-"


def lower_table():
    t = list(range(256))
    for b in range(256):
        try:
            lo = bytes([b]).decode("cp1252").lower().encode("cp1252")
        except (UnicodeDecodeError, UnicodeEncodeError):
            continue
        if len(lo) == 1:
            t[b] = lo[0]
    return t


LOWER = lower_table()


def fold(bs, ignore_case):
    return bytes(LOWER[b] for b in bs) if ignore_case else bytes(bs)


# ---------------------------------------------------------------------------
# Writing an element in TGrep's syntax


def hex_code(c, rng):
    digits = "%02X" % c
    if rng.random() < 0.5:
        digits = digits.lower()
    return b"\\#" + digits.encode()


def write_char(c, special, rng):
    if c in special:
        return b"\\" + bytes([c])
    if rng.random() < 0.1:
        return hex_code(c, rng)
    return bytes([c])


def write_set(items, negated, closed, rng):
    out = b"[" + (b"^" if negated else b"")
    for lo, hi in items:
        if lo == hi:
            out += write_char(lo, SET_SPECIAL, rng)
        else:
            a, b = (lo, hi) if rng.random() < 0.5 else (hi, lo)
            out += write_char(a, SET_SPECIAL, rng) + b"-" + write_char(b, SET_SPECIAL, rng)
    return out + (b"]" if closed else b"")


def write_expression(elements, rng):
    out = b""
    for i, e in enumerate(elements):
        at_end = i == len(elements) - 1
        kind = e["kind"]
        if kind == "bol":
            out += b"^"
        elif kind == "eol":
            out += b"$"
        elif kind == "any":
            out += b"."
        elif kind == "lit":
            out += b"".join(write_char(c, LIT_SPECIAL, rng) for c in e["chars"])
        elif kind == "group":
            parts = e["parts"]
            for j, p in enumerate(parts):
                body = b"".join(write_char(c, GROUP_SPECIAL, rng) for c in p)
                unclosed = at_end and not e.get("q") and j == len(parts) - 1 and rng.random() < 0.2
                out += b"(" + body + (b"" if unclosed else b")")
        elif kind == "set":
            unclosed = at_end and not e.get("q") and not e["negated"] and rng.random() < 0.2
            out += write_set(e["items"], e["negated"], not unclosed, rng)
        out += e.get("q", "").encode()
    return out


# ---------------------------------------------------------------------------
# The same expression for the reference engines


def byte_class(members):
    if not members:
        return "(?!)"
    return "[" + "".join("\\x%02x" % m for m in sorted(members)) + "]"


def literal(bs):
    return "".join("\\x%02x" % b for b in bs)


def reference_pattern(elements, ignore_case, eol):
    """Pattern text for Python (eol "\\Z") or PCRE2 (eol "\\z")."""
    out = []
    last = len(elements) - 1
    for i, e in enumerate(elements):
        kind = e["kind"]
        q = e.get("q", "")
        if q and i != last:
            q += "?"
        if kind == "bol":
            out.append("^")
        elif kind == "eol":
            out.append(eol)
        elif kind == "any":
            out.append("(?:.)" + q)
        elif kind == "lit":
            chars = fold(e["chars"], ignore_case)
            if q:
                out.append(literal(chars[:-1]) + "(?:" + literal(chars[-1:]) + ")" + q)
            else:
                out.append(literal(chars))
        elif kind == "group":
            chars = fold(b"".join(e["parts"]), ignore_case)
            out.append("(?:" + literal(chars) + ")" + q)
        elif kind == "set":
            members = set()
            for lo, hi in e["items"]:
                lo, hi = LOWER[lo] if ignore_case else lo, LOWER[hi] if ignore_case else hi
                members.update(range(min(lo, hi), max(lo, hi) + 1))
            if e["negated"]:
                members = set(range(256)) - members
            out.append("(?:" + byte_class(members) + ")" + q)
    return "".join(out)


# ---------------------------------------------------------------------------
# Random expressions


def random_chars(rng, lo, hi):
    return bytes(rng.choice(CHARS) for _ in range(rng.randint(lo, hi)))


def random_element(rng):
    r = rng.random()
    if r < 0.35:
        e = {"kind": "lit", "chars": random_chars(rng, 1, 3)}
    elif r < 0.55:
        e = {"kind": "group", "parts": [random_chars(rng, 1, 3)]}
    elif r < 0.7:
        e = {"kind": "any"}
    else:
        items = []
        for _ in range(rng.randint(1, 3)):
            if rng.random() < 0.4:
                items.append((rng.choice(RANGE_CHARS), rng.choice(RANGE_CHARS)))
            else:
                c = rng.choice(CHARS)
                items.append((c, c))
        e = {"kind": "set", "items": items, "negated": rng.random() < 0.3}
    if rng.random() < 0.45:
        e["q"] = rng.choice("*+?")
    return e


def random_elements(rng):
    elements = []
    if rng.random() < 0.15:
        elements.append({"kind": "bol"})
    for _ in range(rng.randint(1, 4)):
        e = random_element(rng)
        prev = elements[-1] if elements else None
        # A group right after an unrepeated group continues it.
        if e["kind"] == "group" and prev and prev["kind"] == "group" and not prev.get("q"):
            prev["parts"] += e["parts"]
            if e.get("q"):
                prev["q"] = e["q"]
            continue
        elements.append(e)
    if rng.random() < 0.15:
        elements.append({"kind": "eol"})
    return elements


def sample(rng, e):
    """Bytes that one occurrence of the element may match."""
    kind = e["kind"]
    if kind == "lit":
        return e["chars"]
    if kind == "group":
        return b"".join(e["parts"])
    if kind == "set":
        members = set()
        for lo, hi in e["items"]:
            members.update(range(min(lo, hi), max(lo, hi) + 1))
        pool = [c for c in TEXT_CHARS if (c in members) != e["negated"]] or list(TEXT_CHARS)
        return bytes([rng.choice(pool)])
    if kind == "any":
        return bytes([rng.choice(TEXT_CHARS)])
    return b""


def random_text(rng, elements, ignore_case):
    """Noise around a likely match of the elements, or pieces of them."""
    noise = lambda k: bytes(rng.choice(TEXT_CHARS) for _ in range(rng.randint(0, k)))
    if rng.random() < 0.5:
        out = noise(3)
        for e in elements:
            reps = {"*": rng.randint(0, 3), "+": rng.randint(1, 3), "?": rng.randint(0, 1)}
            for _ in range(reps.get(e.get("q", ""), 1)):
                out += sample(rng, e)
        out += noise(3)
        if out and rng.random() < 0.3:
            i = rng.randrange(len(out))
            out = out[:i] + bytes([rng.choice(TEXT_CHARS)]) + out[i + 1:]
    else:
        out = b""
        for _ in range(rng.randint(0, 8)):
            e = rng.choice(elements)
            out += sample(rng, e) if rng.random() < 0.6 else noise(1)
    if ignore_case and rng.random() < 0.5:
        out = bytes(b - 32 if 97 <= b <= 122 and rng.random() < 0.5 else b for b in out)
    return out


# ---------------------------------------------------------------------------
# Answers


def python_answer(pattern, text, start):
    pos = max(start, 1) - 1
    if pos >= len(text):
        return None
    m = re.compile(pattern.encode("latin-1"), re.S).search(text, pos)
    if m is None or m.start() >= len(text):
        return None
    return (m.start() + 1, m.end())


def pcre2_answers(cases):
    """cases: (pattern, text, offset) with offset < len(text)."""
    lines = []
    for n, (pattern, text, offset) in enumerate(cases):
        subject = "".join("\\x{%02x}" % b for b in text)
        lines += ["# case %d" % n, "/" + pattern.replace("/", "\\x2f") + "/s",
                  subject + "\\=offset=%d,aftertext" % offset, ""]
    with tempfile.NamedTemporaryFile("w", suffix=".in", delete=False, encoding="latin-1") as f:
        f.write("\n".join(lines) + "\n")
        name = f.name
    try:
        out = subprocess.run(["pcre2test", "-q", name], capture_output=True, check=True).stdout
    finally:
        os.unlink(name)
    printed = re.compile(rb"\\x[0-9a-f]{2}|.", re.S)
    answers, current, match = {}, None, None
    for line in out.split(b"\n"):
        if line.startswith(b"# case "):
            current = int(line[7:])
        elif line.startswith(b" 0: "):
            match = len(printed.findall(line[4:]))
        elif line.startswith(b" 0+ "):
            after = len(printed.findall(line[4:]))
            size = len(cases[current][1])
            begin = size - after - match
            answers[current] = None if begin >= size else (begin + 1, begin + match)
        elif line.startswith(b"No match"):
            answers[current] = None
        elif line.startswith(b"Failed") or line.startswith(b"** "):
            raise SystemExit("pcre2test failed on case %d: %r" % (current, line))
    return answers


def escape(bs):
    return "".join(chr(b) if 0x21 <= b <= 0x7E and b != 0x25 else "%%%02X" % b for b in bs)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "..", "corelib", "tests", "data", "grep_cases.txt")
    rng = random.Random(SEED)
    cases = []
    for _ in range(EXPRESSIONS):
        elements = random_elements(rng)
        ignore_case = rng.random() < 0.25
        expr = write_expression(elements, rng)
        py = reference_pattern(elements, ignore_case, "\\Z")
        pc = reference_pattern(elements, ignore_case, "\\z")
        for _ in range(TEXTS_PER_EXPRESSION):
            text = random_text(rng, elements, ignore_case)
            start = rng.choice([1, 1, 1, 1, 1, 0, -2, 2, 3, len(text), len(text) + 1])
            cases.append((expr, ignore_case, start, text, py, pc))
    answers = [python_answer(py, fold(text, ic), start) for _, ic, start, text, py, _ in cases]
    checked = [(i, c) for i, c in enumerate(cases) if max(c[2], 1) - 1 < len(c[3])]
    pcre = pcre2_answers([(pc, fold(text, ic), max(start, 1) - 1)
                          for _, (_, ic, start, text, _, pc) in checked])
    for k, (i, c) in enumerate(checked):
        if pcre[k] != answers[i]:
            raise SystemExit("engines differ on %r / %r: re %r, PCRE2 %r"
                             % (c[0], c[3], answers[i], pcre[k]))
    with open(target, "w", encoding="ascii", newline="\n") as f:
        f.write("# TGrep reference cases from tools/ref/grep_cases.py (seed %d), answered\n"
                "# by Python re and PCRE2 %s alike.\n" % (SEED, pcre2_version()))
        for (expr, ic, start, text, _, _), a in zip(cases, answers):
            result = "-" if a is None else "%d,%d" % a
            f.write("%s\t%s\t%d\t%s\t%s\n" % (escape(expr), "i" if ic else "-", start,
                                             escape(text), result))
    matched = sum(a is not None for a in answers)
    print("%d cases, %d matching, %d checked by PCRE2" % (len(cases), matched, len(checked)))


def pcre2_version():
    out = subprocess.run(["pcre2test", "-C"], capture_output=True, text=True).stdout
    return out.splitlines()[0].replace("PCRE2 version ", "")


if __name__ == "__main__":
    main()
