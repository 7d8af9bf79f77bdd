#!/usr/bin/python3
"""Checks that a manual page names every command and option of its program.

The commands are those listed under "Subcommands:" in PROGRAM --help; the
options are every -x and --long-name that begins an option line of
PROGRAM --help and of each COMMAND --help. Each must appear in the page's
text (roff escapes removed) as a whole word.

Usage: check_man_page.py PROGRAM PAGE[.gz]
"""
import gzip
import re
import subprocess
import sys

OPTION_LINE = re.compile(r"^  (-[^ ].*?)(?:  |$)")
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z0-9][\w-]*)")
COMMAND_LINE = re.compile(r"^  ([a-z][a-z0-9-]*)\s")


def help_text(program, *args):
    done = subprocess.run([program, *args, "--help"], capture_output=True, text=True, timeout=60)
    if done.returncode != 0:
        raise SystemExit(f"{program} {' '.join(args)} --help ended with status {done.returncode}")
    return done.stdout


def options(text):
    found = []
    for line in text.splitlines():
        match = OPTION_LINE.match(line)
        # "-t,--time TEXT", "-h, --help": the option names before the value
        for token in match.group(1).split(" ") if match else []:
            if not token.startswith("-"):
                break
            found += OPTION.findall(token)
    return found


def commands(text):
    listed, inside = [], False
    for line in text.splitlines():
        if line == "Subcommands:":
            inside = True
        elif inside and not line.strip():
            break
        elif inside and COMMAND_LINE.match(line):
            listed.append(COMMAND_LINE.match(line).group(1))
    return listed


def page_text(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rt", encoding="utf-8") as page:
        text = page.read()
    text = re.sub(r"\\f[BIRP]|\\f\(..|\\[,/&]", "", text)
    return text.replace("\\-", "-")


def main():
    if len(sys.argv) != 3:
        print("usage: check_man_page.py PROGRAM PAGE[.gz]", file=sys.stderr)
        return 2
    program, page = sys.argv[1], page_text(sys.argv[2])
    top = help_text(program)
    names = [f"command {c}" for c in commands(top)] + [f"option {o}" for o in options(top)]
    for command in commands(top):
        names += [f"option {o} of {command}" for o in options(help_text(program, command))]
    missing = [n for n in names if not re.search(r"(?<![\w-])" + re.escape(n.split()[1]) + r"(?![\w-])", page)]
    for name in missing:
        print(f"{sys.argv[2]}: {name} is missing")
    print(f"{len(names)} commands and options, {len(missing)} missing")
    return 1 if missing or not names else 0


if __name__ == "__main__":
    sys.exit(main())
