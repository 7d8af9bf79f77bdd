#!/usr/bin/python3
"""Runs the Python examples of a Markdown file and checks what they print.

The examples follow one convention, which this script enforces:

- An example is a fenced ```python block that imports paleoviz
  (`import paleoviz`, `import paleoviz as pv`). Each runs alone, in a fresh
  interpreter and a scratch folder, so it imports everything it uses.
  Blocks that do not import paleoviz (another tool's code, the rest of an
  example that needs matplotlib) are not run.
- An example preceded by the line `<!-- not run: REASON -->` (blank lines
  aside) is skipped: one that needs a peer's package, a network or a
  cluster.
- What an example prints is written in a fenced ```text block right after
  it (blank lines aside). Words and punctuation must match what it prints;
  each number must agree with the printed one to the decimals the docs
  write (479.4 stands for any value from 479.35 to 479.45). An example with
  no ```text block after it must print nothing; every example must exit 0.

The package comes from PYTHONPATH (the build folder's python/), and the
examples run with this script's interpreter. Exit status 0 when every
example agrees, 1 otherwise, naming the example's first line.

Usage: python_examples.py MARKDOWN_FILE
"""
import os
import pathlib
import re
import subprocess
import sys
import tempfile

FENCE = re.compile(r"^```(\w*)\s*$")
IMPORTS_PALEOVIZ = re.compile(r"^\s*(import|from) paleoviz\b", re.M)
NOT_RUN = re.compile(r"^<!-- not run: (.+) -->$")
NUMBER = re.compile(r"[-+]?(?:\d+\.\d*|\.\d+|\d+)(?:[eE][-+]?\d+)?")
TOKEN = re.compile(NUMBER.pattern + r"|[^\s\d.+-]+|\S")
TIMEOUT_S = 600


class Block:
    """A fenced block: its language, first line (1-based, the fence's) and
    text, and the last non-blank line before its fence."""

    def __init__(self, language, line, text, before):
        self.language, self.line, self.text, self.before = language, line, text, before


def fenced_blocks(lines):
    """The fenced blocks of a Markdown file, in order."""
    blocks, inside, last_prose = [], None, ""
    for number, line in enumerate(lines, 1):
        fence = FENCE.match(line)
        if inside is not None:
            if fence and not fence.group(1):
                blocks.append(Block(inside[0], inside[1], "\n".join(inside[2]) + "\n", inside[3]))
                inside, last_prose = None, "```"
            else:
                inside[2].append(line)
        elif fence:
            inside = (fence.group(1), number, [], last_prose)
        elif line.strip():
            last_prose = line.strip()
    return blocks


def examples(blocks):
    """(example, the text block after it or None) for each python block
    that imports paleoviz."""
    found = []
    for index, block in enumerate(blocks):
        if block.language != "python" or not IMPORTS_PALEOVIZ.search(block.text):
            continue
        after = blocks[index + 1] if index + 1 < len(blocks) else None
        follows = after is not None and after.language == "text" and after.before == "```"
        found.append((block, after if follows else None))
    return found


def agree(printed, written):
    """Whether a printed token matches the docs' token: numbers to the
    decimals written, anything else exactly."""
    if not (NUMBER.fullmatch(printed) and NUMBER.fullmatch(written)):
        return printed == written
    mantissa, _, exponent = written.lower().partition("e")
    decimals = len(mantissa.partition(".")[2])
    half_step = 0.5 * 10.0 ** (int(exponent or 0) - decimals)
    return abs(float(printed) - float(written)) <= half_step * (1 + 1e-9)


def difference(printed, written):
    """None when the output matches the docs, else what differs first."""
    got, want = TOKEN.findall(printed), TOKEN.findall(written)
    for index, (a, b) in enumerate(zip(got, want)):
        if not agree(a, b):
            return "printed %r where the docs write %r (token %d)" % (a, b, index + 1)
    if len(got) != len(want):
        return "printed %d tokens where the docs write %d" % (len(got), len(want))
    return None


def run(code, folder):
    """Runs one example; (exit status, stdout, stderr). PYTHONPATH's
    folders are made absolute, as the example runs in a scratch folder."""
    env = os.environ.copy()
    paths = env.get("PYTHONPATH", "").split(os.pathsep)
    env["PYTHONPATH"] = os.pathsep.join(os.path.abspath(path) for path in paths if path)
    done = subprocess.run([sys.executable, "-c", code], cwd=folder, env=env,
                          capture_output=True, text=True, timeout=TIMEOUT_S)
    return done.returncode, done.stdout, done.stderr


def check(example, output, folder):
    """None when the example runs and prints what the docs say, else why not."""
    status, stdout, stderr = run(example.text, folder)
    if status != 0:
        return "exit status %d:\n%s" % (status, stderr.strip())
    return difference(stdout, output.text if output else "")


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    path = pathlib.Path(argv[1])
    found = examples(fenced_blocks(path.read_text(encoding="utf-8").splitlines()))
    failures, checked = 0, 0
    with tempfile.TemporaryDirectory() as folder:
        for example, output in found:
            skip = NOT_RUN.match(example.before)
            if skip:
                print("%s:%d: not run (%s)" % (path.name, example.line, skip.group(1)))
                continue
            checked += 1
            problem = check(example, output, folder)
            if problem:
                failures += 1
                print("%s:%d: %s" % (path.name, example.line, problem))
    print("%d of %d examples differ from the docs" % (failures, checked))
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
