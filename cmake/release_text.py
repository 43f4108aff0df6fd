#!/usr/bin/env python3
"""The Windows release's texts, with CRLF line ends so that Notepad shows them.

release_text.py readme README.md README.txt: the user part of README.md as plain text;
release_text.py plain LICENSE LICENSE.txt: the file as it is.
"""
import re
import sys

# The sections of README.md that a user of the programs reads, besides the opening text.
USER_SECTIONS = ["Download and install", "Using UNBANK on Windows", "unbank", "mkbank", "License"]

# Plain ASCII reads the same in every editor and code page.
ASCII_FOR = {"▸": ">", "–": "-", "→": "->", "µ": "u"}

INLINE = [
    (re.compile(r"!\[[^]]*\]\([^)]*\)"), ""),  # pictures: not in the zip
    (re.compile(r"\[([^]]*)\]\([^)]*\)"), r"\1"),  # links: their text
    (re.compile(r"\*\*([^*]+)\*\*"), r"\1"),  # bold
    (re.compile(r"(?<![\w*])\*([^*\s][^*]*)\*(?![\w*])"), r"\1"),  # italics
]


def user_part(markdown):
    """The opening text and the user sections, each with its subsections."""
    chunks = re.split(r"^(?=## )", markdown, flags=re.M)
    found = {chunk.splitlines()[0][3:]: chunk for chunk in chunks[1:]}
    missing = [title for title in USER_SECTIONS if title not in found]
    if missing:
        sys.exit(f"README.md has no section {', '.join(missing)}")
    return [chunks[0]] + [found[title] for title in USER_SECTIONS]


def inline_text(line):
    """The line without markup. Code spans keep their text as it is, in quotes where it
    holds a blank, so that a command reads as one."""
    parts = line.split("`")
    for i, part in enumerate(parts):
        if i % 2:
            parts[i] = f"'{part}'" if " " in part else part
        else:
            for pattern, replacement in INLINE:
                parts[i] = pattern.sub(replacement, parts[i])
    return "".join(parts)


def plain_text(markdown):
    lines, in_code = [], False
    for line in markdown.splitlines():
        heading = re.match(r"(#{1,3}) (.*)", line)
        if line.startswith("```"):
            in_code = not in_code
        elif in_code:
            lines.append("    " + line if line else "")
        elif heading:
            title = inline_text(heading.group(2))
            lines += [title, "=-~"[len(heading.group(1)) - 1] * len(title)]
        else:
            text = inline_text(line).rstrip()
            if text or not line.strip():  # a line that held only a picture goes
                lines.append(text)
    return re.sub(r"\n{3,}", "\n\n", "\n".join(lines)).strip() + "\n"


def ascii_text(text):
    for char, replacement in ASCII_FOR.items():
        text = text.replace(char, replacement)
    return text.encode("ascii").decode()


def main():
    mode, source, target = sys.argv[1:]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    if mode == "readme":
        text = "\n".join(plain_text(part) for part in user_part(text))
    with open(target, "w", encoding="ascii", newline="\r\n") as f:
        f.write(ascii_text(text))


if __name__ == "__main__":
    main()
