#!/bin/sh
# asm.sh NAME: builds the calculator program NAME.8XP from NAME.asm, both in
# the working directory. The program starts it there, detached and with its
# output discarded, so it reports only through files and the exit status:
# on success NAME.8XP is replaced whole by the new one, there is no NAME.log
# and the status is 0; on failure an older NAME.8XP is left untouched (the
# program tells old from new by its time), NAME.log says why and the status
# is non-zero.
#
# Chain: a copy of NAME.asm adapted to pasmo's syntax (by palvorn-8xp --pasmo)
# -> pasmo -> raw binary -> palvorn-8xp (beside this script, wherever the
# working directory is) -> NAME.8XP. NAME.asm is never changed.
# Any script of this name that takes the same argument can replace this one.

if [ "$#" -ne 1 ]; then
    echo "usage: asm.sh NAME   (builds NAME.8XP from NAME.asm in the working directory)" >&2
    exit 2
fi

name=$1
# The ./ keeps a name that begins with "-" from being read as an option.
src=./$name.asm
out=./$name.8XP
log=./$name.log
part=./.asm-sh-$$.8XP.part
tools=$(dirname -- "$0")
wrapper=$tools/palvorn-8xp
work=

cleanup() {
    if [ -n "$work" ]; then rm -rf -- "$work"; fi
    rm -f -- "$part"
}
trap cleanup EXIT

# fail MESSAGE...: writes the log and ends the script with status 1; NAME.8XP
# is not touched. The output of the failed tool, if any, is in $work/tool.out.
fail() {
    {
        printf 'asm.sh: building %s.8XP from %s.asm failed.\n' "$name" "$name"
        printf '%s\n' "$@"
        if [ -n "$work" ] && [ -s "$work/tool.out" ]; then
            echo "--- tool output:"
            cat -- "$work/tool.out"
        fi
    } > "$log"
    exit 1
}
trap 'fail "asm.sh was stopped by a signal."' HUP INT TERM

# An older report must not pass for this run's: a failure writes its own.
rm -f -- "$log"

if [ ! -f "$src" ] || [ ! -r "$src" ]; then
    fail "$name.asm was not found or cannot be read in $(pwd)."
fi
if ! command -v pasmo > /dev/null 2>&1; then
    fail "The Z80 assembler pasmo is not installed: install the Debian package pasmo (apt-get install pasmo)."
fi
if [ ! -x "$wrapper" ]; then
    fail "The calculator file wrapper palvorn-8xp is missing beside asm.sh in $(cd -- "$tools" && pwd)." \
        "It is built with the program; building it needs the Debian package libtifiles-dev (apt-get install libtifiles-dev)."
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/asm-sh.XXXXXX") || {
    work=
    fail "Cannot create a temporary folder."
}

# wrap ARGUMENTS...: runs palvorn-8xp, its output in $work/tool.out, and
# returns its status; one that could not start ends the script.
wrap() {
    "$wrapper" "$@" > "$work/tool.out" 2>&1
    wrap_status=$?
    if [ "$wrap_status" -eq 127 ]; then
        fail "palvorn-8xp could not start; a missing shared library is usually the calculator file library:" \
            "install the Debian package libtifiles2-11 (or libtifiles-dev)."
    fi
    return "$wrap_status"
}

# pasmo's copy of NAME.asm (its dialect differs; see palvorn-8xp --pasmo).
if ! wrap --pasmo "$src" "$work/source.asm"; then
    fail "Cannot make the assembler's copy of $name.asm."
fi

if ! pasmo --bin "$work/source.asm" "$work/program.bin" > "$work/tool.out" 2>&1; then
    fail "pasmo rejected $name.asm (line numbers are those of $name.asm; source.asm is its adapted copy)."
fi

if ! wrap "$name" "$work/program.bin" "$work/program.8xp"; then
    fail "palvorn-8xp could not make the calculator program file."
fi

if [ ! -s "$work/program.8xp" ]; then
    fail "palvorn-8xp reported success but wrote no calculator program file."
fi
# mv would move the file into a folder standing at NAME.8XP and succeed.
if [ -d "$out" ]; then
    fail "Cannot write $name.8XP in $(pwd): a folder of that name is in the way."
fi
# Copy next to the target first so the final rename is atomic: NAME.8XP is
# either the older file or the complete new one, never a part.
if ! cp -- "$work/program.8xp" "$part" 2> "$work/tool.out" || ! mv -f -- "$part" "$out" 2> "$work/tool.out"; then
    fail "Cannot write $name.8XP in $(pwd)."
fi
exit 0
