#!/usr/bin/env python3
"""Sets entries of the text table (data/Tarvik_char2.ini, UTF-16LE with a byte-order mark and
CR LF line ends) from UTF-8 lines "n<TAB>Japanese<TAB>English<TAB>Korean<TAB>Chinese".
Entries given replace the ones there; the file stays sorted by entry number.
Usage: scripts/set_texts.py TEXTS.tsv [TABLE]"""
import re
import sys

LANGS = "jekc"


def read_table(path):
    text = open(path, "rb").read().decode("utf-16")
    entries = {}
    for line in text.splitlines():
        m = re.match(r"No\.(\d+):comt-([jekc])=(.*)$", line)
        if m:
            entries.setdefault(int(m.group(1)), {})[m.group(2)] = m.group(3)
    return entries


def write_table(path, entries):
    lines = ["[Tarvik]"]
    for n in sorted(entries):
        for lang in LANGS:
            if lang in entries[n]:
                lines.append(f"No.{n}:comt-{lang}={entries[n][lang]}")
    data = "\r\n".join(lines) + "\r\n"
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + data.encode("utf-16-le"))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    table = sys.argv[2] if len(sys.argv) > 2 else "data/Tarvik_char2.ini"
    entries = read_table(table)
    for number, line in enumerate(open(sys.argv[1], encoding="utf-8"), 1):
        line = line.rstrip("\r\n")
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 5 or not fields[0].isdigit() or not 0 <= int(fields[0]) < 300:
            sys.exit(f"{sys.argv[1]}:{number}: want n<TAB>ja<TAB>en<TAB>ko<TAB>zh")
        for lang, text in zip(LANGS, fields[1:]):
            if len(text.encode("utf-16-le")) // 2 > 63 or text != text.strip():
                sys.exit(f"{sys.argv[1]}:{number}: a text is over 63 units or has spaces at an end")
        entries[int(fields[0])] = dict(zip(LANGS, fields[1:]))
    write_table(table, entries)


if __name__ == "__main__":
    main()
