#!/usr/bin/env bash
# Runs inside the throw-away root: installs the package with apt as a person
# would, checks the installed programs, their manual pages and completion,
# the virtual drive and the help pages, then purges the package.
#
#   installed_checks.sh PACKAGE.deb
set -uo pipefail
deb=$1
export DEBIAN_FRONTEND=noninteractive
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! apt-get install -y "$deb" >/tmp/apt.log 2>&1; then
    cat /tmp/apt.log
    echo "FAIL: apt-get install $deb"
    exit 1
fi

for program in zelvane zelvane-cli zelvane-vdrive; do
    version=$("$program" --version) || fail "$program --version exits $?"
    [[ $version =~ ^$program\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$program --version says \"$version\""
done

# The wizard refuses what neither it nor Qt knows.
QT_QPA_PLATFORM=offscreen zelvane --no-such-option >/dev/null 2>&1
[ $? -eq 2 ] || fail "zelvane --no-such-option does not end with status 2"

# The provider library lives in the loader's path, not beside the programs,
# and the installed zelvane-cli finds the virtual drive through it.
[ "$(dpkg -S /usr/lib/x86_64-linux-gnu/libwnaspi32.so 2>/dev/null)" = \
  "zelvane: /usr/lib/x86_64-linux-gnu/libwnaspi32.so" ] || fail "libwnaspi32.so is not the package's"
[ ! -e /usr/bin/libwnaspi32.so ] || fail "a provider library sits beside the programs"
zelvane-vdrive insert dvd-rw >/dev/null || fail "zelvane-vdrive insert dvd-rw"
drives=$(zelvane-cli drives) || fail "zelvane-cli drives exits $?"
if ! grep -qx "WNASPI32.DLL" <<<"$drives" || ! grep -q $'^0\t0:0:0,vdrive ZELVANE VIRTUAL DVD-RW' <<<"$drives"; then
    fail "zelvane-cli drives shows no virtual drive: $drives"
fi

# run finds its preload library in the package's private folder: the program
# it starts sees a writer at a device path that does not exist otherwise.
zelvane-vdrive run --device /dev/sr17 -- sh -c 'test -e /dev/sr17' ||
    fail "a program started by zelvane-vdrive run sees no drive at /dev/sr17"

# The wizard looks for its help pages in ../share/zelvane/help from itself.
help=$(dirname "$(command -v zelvane)")/../share/zelvane/help
[ -f "$help/2.html" ] && [ -f "$help/62.html" ] || fail "no help pages in $help"

# The commands a program's --help lists, and the options one help text names.
commands() { "$1" --help | sed -n '/^commands:/,/^$/p' | awk '/^  [a-z]/ {print $1}' | sort -u; }
options_of() {
    sed -n '/^options:/,/^$/p' | grep -E '^  -' |
        awk '{for (i = 1; i <= NF && $i ~ /^-/; i++) {sub(/,$/, "", $i); print $i}}' | sort -u
}
complete_words() {
    local program=$1; shift
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
             "_${1//-/_}"; printf "%s\n" "${COMPREPLY[@]}"' \
        bash "/usr/share/bash-completion/completions/$program" "$program" "$@" | sort -u
}

for program in zelvane zelvane-cli zelvane-vdrive; do
    page=$(man -w "$program") || { fail "man finds no page $program"; continue; }
    text=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>/tmp/man.err) || fail "man -l $page exits $?"
    [ ! -s /tmp/man.err ] || fail "man -l $page warns: $(cat /tmp/man.err)"
    grep -q "^NAME" <<<"$text" && grep -q "^EXIT STATUS" <<<"$text" || fail "$page lacks NAME or EXIT STATUS"
    # Every command and option the help texts name is in the page.
    named=$({ "$program" --help; for command in $(commands "$program"); do
                  "$program" help "$command"; done; } | grep -oE -- '(^| |\[)--?[a-z][a-z-]*' |
            tr -d ' [' | sort -u)
    for word in $named $(commands "$program"); do
        grep -qe "$word" <<<"$text" || fail "$page does not name $word"
    done
done

# The completion offers the commands, each command's options as its help
# lists them, and only media types that zelvane-vdrive inserts.
for program in zelvane-cli zelvane-vdrive; do
    [ "$(complete_words "$program" "" | grep -v '^-')" = "$(commands "$program")" ] ||
        fail "$program: the completion does not offer the commands"
    for command in $(commands "$program"); do
        expected=$("$program" help "$command" | options_of)
        [ "$(complete_words "$program" "$command" -)" = "$expected" ] ||
            fail "$program $command: the completion offers other options than its help"
    done
done
types=$(complete_words zelvane-vdrive insert "")
[ "$(wc -l <<<"$types")" -ge 8 ] || fail "the completion offers only these media types: $types"
for type in $types; do
    zelvane-vdrive insert "$type" >/dev/null || fail "the completion offers \"$type\", which insert refuses"
done

apt-get purge -y zelvane >>/tmp/apt.log 2>&1 || fail "apt-get purge zelvane"
! dpkg -s zelvane >/dev/null 2>&1 || fail "zelvane is still installed after the purge"
echo "checked the installed package: $failures failures"
[ $failures -eq 0 ]
