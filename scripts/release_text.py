#!/usr/bin/env python3
"""Writes the text files of the players' zip: UTF-8 with a byte-order mark and
CR LF line ends, so that Notepad shows the Hangul right on any Windows.

  release_text.py guide    VERSION IN OUT   the guide, with @VERSION@ filled in
  release_text.py markdown VERSION IN OUT   a Markdown page as plain text

The plain-text form of a Markdown page drops the markup a reader would see as
noise (backquotes, asterisks, fences, link brackets), underlines the headings,
indents code, and lays out a table as aligned columns when it fits in 78
columns, otherwise as one block per row with the header's labels.
"""
import re
import sys
import textwrap
import unicodedata

WIDTH = 78


def columns(text):
    """How many columns `text` takes in a fixed-width font (CJK counts two)."""
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def pad(text, width):
    return text + " " * (width - columns(text))


def inline(text):
    text = re.sub(r"\[([^\]]+)\]\(([^)]+)\)", r"\1 (\2)", text)  # [text](url)
    text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)
    text = re.sub(r"`([^`]*)`", r"\1", text)
    return text


def cells(line):
    return [inline(c.strip()) for c in line.strip().strip("|").split("|")]


def table(rows):
    header, body = rows[0], rows[2:]  # rows[1] is the |---| rule
    widths = [max(columns(r[i]) for r in [header] + body) for i in range(len(header))]
    if sum(widths) + 2 * (len(widths) - 1) <= WIDTH:
        out = ["  ".join(pad(c, w) for c, w in zip(r, widths)).rstrip() for r in [header]]
        out.append("  ".join("-" * w for w in widths))
        out += ["  ".join(pad(c, w) for c, w in zip(r, widths)).rstrip() for r in body]
        return out
    out = []
    for r in body:
        out.append(r[0])
        for label, value in zip(header[1:], r[1:]):
            out += textwrap.wrap(f"{label}: {value}", WIDTH, initial_indent="    ",
                                 subsequent_indent="        ", break_on_hyphens=False)
        out.append("")
    return out[:-1]


def markdown(lines):
    out, rows, fenced = [], [], False
    for line in lines:
        if fenced:
            if line.startswith("```"):
                fenced = False
            else:
                out.append(("    " + line).rstrip())
            continue
        if line.startswith("|"):
            rows.append(cells(line))
            continue
        if rows:
            out += table(rows)
            rows = []
        if line.startswith("```"):
            fenced = True
        elif line.startswith("#"):
            level = len(line) - len(line.lstrip("#"))
            title = inline(line.lstrip("#").strip())
            out += [title, ("=" if level == 1 else "-") * columns(title)]
        else:
            out.append(inline(line))
    if rows:
        out += table(rows)
    return out


def main():
    kind, version, source, target = sys.argv[1:5]
    with open(source, encoding="utf-8") as f:
        lines = f.read().splitlines()
    if kind == "guide":
        lines = [line.replace("@VERSION@", version) for line in lines]
    elif kind == "markdown":
        lines = markdown(lines)
    else:
        sys.exit(f"release_text.py: unknown kind {kind}")
    with open(target, "wb") as f:
        f.write(b"\xef\xbb\xbf" + "".join(line + "\r\n" for line in lines).encode("utf-8"))


if __name__ == "__main__":
    main()
