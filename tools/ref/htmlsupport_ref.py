#!/usr/bin/python3
"""Reference values of the HTML support tests, from Python's urllib.parse and
html modules and a model of the HTML word count.

    /usr/bin/python3 tools/ref/htmlsupport_ref.py > corelib/tests/Nuv_htmlsupport_ref.inc
"""
import html
import html.entities
import random
import urllib.parse

rng = random.Random(20240521)

ENCODED = set(b"!*();:@&=+$,/?%#[] ")
# Everything ASCII that URLEncode leaves: quote_from_bytes keeps letters,
# digits and "_.-~" by itself.
SAFE = "".join(chr(c) for c in range(128) if c not in ENCODED)
DELIMITERS = set(b"\0\n\r \"#%'()*+,-./:;<=>[\\]{}")


def literal(bs):
    """A C++ string literal of bytes; octal escapes never swallow what follows."""
    out = []
    for b in bs:
        c = chr(b)
        out.append(c if c.isascii() and c.isalnum() else "\\%03o" % b)
    return '"' + "".join(out) + '"'


def cp1252(text):
    """Bytes of a Windows-1252 text; the five undefined codes map to themselves."""
    out = bytearray()
    for ch in text:
        try:
            out += ch.encode("cp1252")
        except UnicodeEncodeError:
            if ord(ch) < 256:
                out.append(ord(ch))
            else:
                return None
    return bytes(out)


def url_cases():
    alphabet = list(range(128))
    weighted = list(ENCODED) * 4 + list(b"abcXYZ019-._~") * 2 + alphabet
    rows = []
    for n in list(range(0, 6)) + [rng.randrange(6, 60) for _ in range(34)]:
        s = bytes(rng.choice(weighted) for _ in range(n))
        rows.append((s, urllib.parse.quote_from_bytes(s, safe=SAFE).encode("ascii")))
    return rows


def decode_cases():
    pieces = [b"%", b"%%", b"%2", b"%25", b"%41", b"%4a", b"%4A", b"%g1", b"%1g", b"%252", b"%2525",
              b"%00", b"%FF", b"%e9", b"+", b" ", b"a", b"Z", b"7", b"f", b"\xe9", b"\x80", b"\xff"]
    rows = []
    for _ in range(40):
        s = b"".join(rng.choice(pieces) for _ in range(rng.randrange(0, 12)))
        once = urllib.parse.unquote_to_bytes(s)
        rows.append((s, urllib.parse.unquote_to_bytes(once)))
    return rows


def known_entities():
    rows = []
    for cp, name in sorted(html.entities.codepoint2name.items(), key=lambda kv: kv[1]):
        b = cp1252(chr(cp))
        if b is not None:
            rows.append((name, b[0]))
    return rows


def unknown_names():
    known = {n for n, _ in known_entities()} | {"apos"}
    names = sorted(n[:-1] for n in html.entities.html5 if n.endswith(";") and n[:-1] not in known)
    return rng.sample(names, 24) + ["AMP", "Amp", "EURO", "nbspx", "foo", "x41", "1"]


def resolve_cases():
    known = [n for n, _ in known_entities()] + ["apos"]
    codes = [c for c in range(1, 256) if cp1252(html.unescape("&#%d;" % c)) not in (None, b"")]
    codes += [0x20AC, 0x2013, 0x2122, 0x0152, 0x017D]

    def numeric():
        c = rng.choice(codes)
        zeros = "0" * rng.choice([0, 0, 0, 3])
        if rng.random() < 0.5:
            return "&#%s%d;" % (zeros, c)
        return "&#%s%s%s;" % (rng.choice("xX"), zeros, rng.choice(["%x", "%X"]) % c)

    def unknown():
        for _ in range(100):
            s = "&%s;" % rng.choice(["foo", "bar1", "Zzz", "x", "q7", "NBSP", "Eacute2"])
            if html.unescape(s) == s:
                return s
        raise RuntimeError("no unknown entity")

    makers = [
        lambda: "&%s;" % rng.choice(known),
        numeric,
        unknown,
        lambda: rng.choice(["text", " ", "a b", "x=1", "<p>", "\u00e9", "\u20ac", "\u00ff", "#"]),
        lambda: rng.choice(["& ", "&;", "&#;", "&#x;", "&#xg;", "&&", "; "]),
    ]
    rows = []
    while len(rows) < 60:
        s = "".join(rng.choice(makers)() for _ in range(rng.randrange(0, 8)))
        got = cp1252(html.unescape(s))
        if got is not None:
            rows.append((cp1252(s), got))
    return rows


def count_words(bs, skip_numbers, in_tag):
    """The word count of HTML text, character by character."""
    words, run = 0, b""
    for b in bs:
        if in_tag:
            if b == ord(">"):
                in_tag = False
            continue
        if b in DELIMITERS:
            if len(run) >= 2 and not (skip_numbers and run[:1].isdigit()):
                words += 1
            run = b""
            if b == ord("<"):
                in_tag = True
        else:
            run += bytes([b])
    return words, in_tag


def count_cases():
    pieces = [b"<", b">", b"<b>", b"</p>", b"<a href=\"x y\">", b"word", b"ab", b"a", b"12", b"1x",
              b"x1", b"7", b" ", b",", b"-", b"\t", b"\r\n", b"\xe9t\xe9", b"\xa0", b"\0", b"<!-- c -->"]
    rows = []
    for _ in range(60):
        text = b"".join(rng.choice(pieces) for _ in range(rng.randrange(0, 16)))
        cuts = sorted(rng.sample(range(len(text) + 1), min(len(text) + 1, rng.randrange(0, 4))))
        chunks, last = [], 0
        for c in cuts + [len(text)]:
            chunks.append(text[last:c])
            last = c
        skip = rng.random() < 0.5
        in_tag = rng.random() < 0.2
        start = in_tag
        steps = []
        for ch in chunks:
            n, in_tag = count_words(ch, skip, in_tag)
            steps.append((ch, n, in_tag))
        rows.append((skip, start, steps))
    return rows


def print_bytes_cases(name, rows):
    print("inline constexpr TBytesCase %s[] = {" % name)
    for s, e in rows:
        print("    {std::string_view(%s, %d), std::string_view(%s, %d)}," % (literal(s), len(s), literal(e), len(e)))
    print("};")


def main():
    print("// Generated by tools/ref/htmlsupport_ref.py from Python's urllib.parse and")
    print("// html modules; do not edit.")
    print("// clang-format off")
    print("struct TBytesCase { std::string_view In, Out; };")
    print_bytes_cases("kUrlEncodeCases", url_cases())
    print_bytes_cases("kUrlDecodeCases", decode_cases())
    print("struct TEntityCase { std::string_view Name; uint8_t Code; };")
    print("inline constexpr TEntityCase kKnownEntities[] = {")
    for n, c in known_entities():
        print('    {"%s", %d},' % (n, c))
    print("};")
    print("inline constexpr std::string_view kUnknownEntities[] = {")
    for n in unknown_names():
        print('    "%s",' % n)
    print("};")
    print_bytes_cases("kResolveCases", resolve_cases())
    print("struct TCountStep { std::string_view Text; int32_t Words; bool InTagAfter; };")
    print("struct TCountCase { bool SkipNumbers, InTagBefore; TCountStep Steps[5]; int32_t NrSteps; };")
    print("inline constexpr TCountCase kCountCases[] = {")
    for skip, start, steps in count_cases():
        parts = ", ".join("{std::string_view(%s, %d), %d, %s}" % (literal(t), len(t), n, "true" if it else "false")
                          for t, n, it in steps)
        print("    {%s, %s, {%s}, %d}," % ("true" if skip else "false", "true" if start else "false", parts, len(steps)))
    print("};")
    print("// clang-format on")


main()
