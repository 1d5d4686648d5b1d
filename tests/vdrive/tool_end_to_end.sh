#!/usr/bin/env bash
# Runs zelvane-vdrive commands end to end in a fresh drive folder.
set -u
tool=$1
export ZELVANE_VDRIVE_DIR=$(mktemp -d)
trap 'rm -rf "$ZELVANE_VDRIVE_DIR"' EXIT
failures=0

expect_ok() { if ! out=$("$tool" "$@" 2>&1); then echo "FAILED (exit $?): $*: $out"; failures=$((failures + 1)); fi; }
expect_fail() { if out=$("$tool" "$@" 2>&1); then echo "UNEXPECTED SUCCESS: $*: $out"; failures=$((failures + 1)); fi; }
expect_status() {
  local text; text=$("$tool" status)
  if ! grep -q -- "$1" <<<"$text"; then echo "status lacks \"$1\":"; echo "$text"; failures=$((failures + 1)); fi
}

expect_status "medium: none"
for medium in cd-r cd-rw dvd-r dvd-rw dvd-rw-ro dvd+r dvd+rw dvd-ram; do
  expect_ok insert "$medium"
done
expect_status "capacity 2236704 sectors"
expect_ok insert cd-r
expect_status "capacity 359847 sectors"
expect_ok insert dvd+r --capacity 5000
expect_status "DVD+R (profile 001bh), capacity 5000 sectors"
expect_status "disc status: blank"
expect_fail insert
expect_fail insert cd-rom
expect_fail insert dvd-r --capacity
expect_fail insert dvd-r --capacity 12x
expect_fail insert dvd-r --size 5

head -c 100000 /dev/urandom > "$ZELVANE_VDRIVE_DIR/pressed.iso"
expect_ok insert-rom "$ZELVANE_VDRIVE_DIR/pressed.iso"
expect_status "medium: CD-ROM"
expect_status "size 49, "
expect_ok export "$ZELVANE_VDRIVE_DIR/back.iso"
if ! cmp -s -n 100000 "$ZELVANE_VDRIVE_DIR/pressed.iso" "$ZELVANE_VDRIVE_DIR/back.iso"; then
  echo "exported image differs from the pressed one"; failures=$((failures + 1))
fi
expect_ok insert-rom "$ZELVANE_VDRIVE_DIR/pressed.iso" --dvd
expect_status "medium: DVD-ROM"
expect_fail insert-rom "$ZELVANE_VDRIVE_DIR/missing.iso"
expect_fail export "$ZELVANE_VDRIVE_DIR/x.iso" --session 2

expect_ok eject
expect_status "tray: open"
expect_ok load
expect_status "tray: closed"
expect_ok speed realtime --factor 0.5
expect_status "speed: realtime, factor 0.5"
expect_ok speed fast
expect_fail speed slow
expect_fail speed realtime --factor 0
expect_ok model --vendor "MATSHITA" --product "UJDA755" --no-atip
expect_status '"MATSHITA" "UJDA755"'
expect_ok model --default
expect_status '"ZELVANE" "VIRTUAL DVD-RW"'
expect_fail model --frobnicate
expect_ok fault write-error 16
expect_ok fault not-ready 30
expect_status "fault: write error at 16"
expect_status "fault: not ready"
expect_ok fault close-error
expect_ok fault flush-error
expect_status "fault: every close of a track or session fails"
expect_status "fault: every flush of the cache fails"
expect_fail fault close-error 5
expect_ok fault clear
expect_fail bogus
expect_fail

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "all zelvane-vdrive checks passed"
