#!/usr/bin/env python3
"""Types Unicode polytonic Greek in grapho's ASCII transliteration.

Reads UTF-8 text on standard input and writes it typed as grapho reads it
inside a run: each Greek letter as its Latin key, and its marks before it
(breathing, accent, diaeresis, iota subscript). Used once to make the
benchmark's bundled text, bench/iliad-1.txt, from the Perseus edition:

    python3 bench/transliterate.py < iliad-1.txt > bench/iliad-1.txt

Anything it cannot type stops it with the offending character.
"""
import sys
import unicodedata

LETTERS = dict(zip("αβγδεζηθικλμνξοπρσςτυφχψω", "abgdezhqiklmnxoprsstufcyw"))
LETTERS.update([(greek.upper(), key.upper()) for greek, key in LETTERS.items() if greek != "ς"])

# The combining marks of a decomposed letter, with their keys in the order
# they are typed.
MARKS = {
    "\u0313": ">",  # smooth breathing
    "\u0314": "<",  # rough breathing
    "\u0301": "/",  # acute
    "\u0300": "\\",  # grave
    "\u0342": "^",  # circumflex
    "\u0308": "=",  # diaeresis
    "\u0345": "|",  # iota subscript
}
MARK_ORDER = "><=/\\^|"

SIGNS = {
    " ": " ", ",": ",", ".": ".", "\n": "\n",
    "\u02bc": "'",  # elision mark
    "\u00b7": ";",  # upper stop
    ";": "?",  # the Greek question mark, which decomposes to a semicolon
    "\u2014": "--",  # a dash, typed as grapho's en dash
}


def transliterate(text):
    typed = []
    marks = []
    for char in unicodedata.normalize("NFD", text):
        if char in MARKS:
            marks.append(MARKS[char])
            continue
        if marks:
            typed.insert(len(typed) - 1, "".join(sorted(marks, key=MARK_ORDER.index)))
            marks = []
        if char in LETTERS:
            typed.append(LETTERS[char])
        elif char in SIGNS:
            typed.append(SIGNS[char])
        else:
            sys.exit(f"transliterate.py: cannot type {char!r} (U+{ord(char):04X})")
    if marks:
        typed.insert(len(typed) - 1, "".join(sorted(marks, key=MARK_ORDER.index)))
    return "".join(typed)


if __name__ == "__main__":
    sys.stdout.write(transliterate(sys.stdin.read()))
