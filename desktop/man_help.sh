#!/bin/sh
# The --help text that help2man turns into a manual page: PROGRAM's own
# --help, with the options of its commands (CLI11 subcommands, listed under
# "Subcommands:") inserted after that list. The page then documents every
# option of every command, and an option added to a command appears in it
# without anyone editing the page. Each option is printed once, under a
# subsection naming the commands that take it ("Options of every
# command:", "Options of daily and instant:"). --version, and --help of a
# program without commands, pass through unchanged.
# Usage: man_help.sh PROGRAM --help|--version
program=$1
shift
[ "$1" = --help ] || exec "$program" "$@"
help=$("$program" --help) || exit 1
commands=$(printf '%s\n' "$help" | sed -n '/^Subcommands:$/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p')
[ -n "$commands" ] || { printf '%s\n' "$help"; exit 0; }

# Each command's option lines (an option, then the lines that continue its
# description), after a line "@ COMMAND"; not -h,--help, which every
# command has and the program's own options list.
command_options() {
    for command in $commands; do
        printf '@ %s\n' "$command"
        "$program" "$command" --help >"$scratch" || exit 1
        sed -n '/^Options:$/,/^$/{/^Options:$/d;/^$/d;p;}' "$scratch"
    done
}

# Groups the options by the set of commands that take them, in the order
# first seen.
group_options() {
    awk -v total="$(printf '%s\n' $commands | wc -l)" '
        function flush() {
            if (entry == "") return
            if (!(entry in who)) order[++n] = entry
            who[entry] = who[entry] " " command; entry = ""
        }
        # "a", "a and b", "a, b and c"
        function listing(list, k,    j, text) {
            text = list[1]
            for (j = 2; j <= k; j++) text = text (j == k ? " and " : ", ") list[j]
            return text
        }
        # The commands not named in the space-separated list "taking".
        function others(taking,    j, m, rest) {
            m = 0
            for (j = 1; j <= total; j++)
                if (index(taking " ", " " all[j] " ") == 0) rest[++m] = all[j]
            return listing(rest, m)
        }
        /^@ / { flush(); command = $2; all[++seen] = command; next }
        /^  -/ { flush(); entry = $0; next }
        { entry = entry "\n" $0 }
        END {
            flush()
            for (i = 1; i <= n; i++) {
                e = order[i]; k = split(substr(who[e], 2), names, " ")
                if (e ~ /^  -h,--help /) continue
                if (k == total) set = "every command"
                else if (k > total / 2) set = "every command but " others(who[e])
                else set = listing(names, k)
                if (!(set in listed)) { groups[++g] = set; listed[set] = "" }
                listed[set] = listed[set] e "\n"
            }
            for (i = 1; i <= g; i++) printf "\nOptions of %s:\n%s", groups[i], listed[groups[i]]
        }'
}

scratch=$(mktemp) || exit 1
trap 'rm -f "$scratch"' EXIT
printf '%s\n' "$help" | sed -n '1,/^Subcommands:$/p'
printf '%s\n' "$help" | sed -n '/^Subcommands:$/,/^$/{/^Subcommands:$/d;/^$/d;p;}'
options=$(command_options) || exit 1
printf '%s\n' "$options" | group_options
# The rest of the program's help; a blank line before "Examples:" makes
# help2man start a section there.
printf '\n'
printf '%s\n' "$help" | sed -n '/^Subcommands:$/,${/^Subcommands:$/,/^$/d;p;}' | sed 's/^Examples:$/\nExamples:/'
