#!/usr/bin/env python3
"""The quantity tables of docs/cli.md and docs/python.md, made from the
registry of quantities as `paleoviz-insolation quantities --format json`
prints it. Each table sits between the lines "<!-- quantities -->" and
"<!-- /quantities -->" of its page.

    quantity_tables.py TOOL ROOT           exit 1 if a page's table differs
    quantity_tables.py TOOL ROOT --write   write the tables into the pages
"""
import json
import subprocess
import sys

BEGIN, END = "<!-- quantities -->", "<!-- /quantities -->"


def units(text):
    return " (%s)" % text if text else ""


def outputs(q):
    return ", ".join("`%s`%s" % (o["name"], units(o["units"])) for o in q["outputs"])


def cli_table(registry):
    rows = ["| command | what it computes | arguments | outputs |", "|---|---|---|---|"]
    for q in registry:
        args = ", ".join("`%s`%s" % (a["option"], units(a["units"])) for a in q["arguments"])
        rows.append("| `%s` | %s | %s | %s |" % (q["name"], q["definition"], args or "none", outputs(q)))
    return rows


def python_table(registry):
    rows = ["| function | command | arguments | outputs |", "|---|---|---|---|"]
    for q in registry:
        args = ", ".join("`%s`%s" % (a["keyword"], units(a["units"])) for a in q["arguments"])
        functions = ", ".join("`%s`" % f for f in q["python_functions"])
        rows.append("| %s | `%s` | `time_kyr` (kyr) or an `Orbit`%s | %s |"
                    % (functions, q["name"], ", " + args if args else "", outputs(q)))
    return rows


def with_table(text, rows):
    head, sep, rest = text.partition(BEGIN + "\n")
    _, sep2, tail = rest.partition(END)
    if not sep or not sep2:
        raise SystemExit("no %s ... %s block" % (BEGIN, END))
    return head + sep + "\n".join(rows) + "\n" + END + tail


def main():
    tool, root = sys.argv[1], sys.argv[2]
    write = "--write" in sys.argv[3:]
    registry = json.loads(subprocess.check_output([tool, "quantities", "--format", "json"]))
    stale = []
    for page, rows in (("docs/cli.md", cli_table(registry)), ("docs/python.md", python_table(registry))):
        path = "%s/%s" % (root, page)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        wanted = with_table(text, rows)
        if wanted == text:
            continue
        if write:
            with open(path, "w", encoding="utf-8") as f:
                f.write(wanted)
        else:
            stale.append(page)
    if stale:
        print("the quantity tables differ from the registry in: %s; run %s TOOL ROOT --write"
              % (", ".join(stale), sys.argv[0]))
        return 1
    print("%d quantities, tables as the registry says" % len(registry))
    return 0


if __name__ == "__main__":
    sys.exit(main())
