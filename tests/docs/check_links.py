#!/usr/bin/python3
"""Checks that every relative link in README.md and docs/*.md resolves.

A link's file must exist (relative to the Markdown file that holds it), and
a #fragment must name a heading of the target file, made into an anchor the
way GitHub does: lowercase, punctuation other than '-' and '_' dropped,
spaces turned into '-', repeats numbered -1, -2, ...
Links with a scheme (https:, mailto:) are not followed.

Usage: check_links.py SOURCE_DIR
"""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")


def prose_lines(path):
    """The lines of a Markdown file outside fenced code blocks, numbered."""
    inside = False
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if FENCE.match(line):
            inside = not inside
            continue
        if not inside:
            yield number, line


def slug(text):
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)  # a link in a heading keeps its text
    text = text.lower().replace("`", "")
    text = "".join(c for c in text if c.isalnum() or c in " -_")
    return text.replace(" ", "-")


def anchors(path):
    seen = {}
    result = set()
    for _, line in prose_lines(path):
        match = HEADING.match(line)
        if not match:
            continue
        base = slug(match.group(2))
        count = seen.get(base, 0)
        seen[base] = count + 1
        result.add(base if count == 0 else f"{base}-{count}")
    return result


def check(source, path):
    faults = []
    for number, line in prose_lines(path):
        line = re.sub(r"`[^`]*`", "", line)  # code spans hold no links
        for target in LINK.findall(line):
            if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", target):
                continue
            file_part, _, fragment = target.partition("#")
            resolved = (path.parent / file_part).resolve() if file_part else path
            where = f"{path.relative_to(source)}:{number}: {target}"
            if not resolved.exists():
                faults.append(f"{where}: no such file")
            elif fragment and (resolved.suffix != ".md" or fragment not in anchors(resolved)):
                faults.append(f"{where}: no heading #{fragment}")
    return faults


def main():
    if len(sys.argv) != 2:
        print("usage: check_links.py SOURCE_DIR", file=sys.stderr)
        return 2
    source = pathlib.Path(sys.argv[1]).resolve()
    files = [source / "README.md"] + sorted((source / "docs").glob("*.md"))
    faults = [f for path in files if path.exists() for f in check(source, path)]
    for fault in faults:
        print(fault)
    print(f"{len(files)} files checked, {len(faults)} broken links")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
