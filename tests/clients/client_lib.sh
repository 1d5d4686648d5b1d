# Helpers of the real-client checks: a private drive folder, the programs run
# through `zelvane-vdrive run`, source trees and their byte-exact comparison.
# Sourced by client_checks.sh with VDRIVE and CLI set.

work=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-clients.XXXXXX")
export ZELVANE_VDRIVE_DIR=$work/drive
trap 'rm -rf "$work"' EXIT
failures=0
log=$work/last.log

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# Skips the whole check (ctest SKIP_RETURN_CODE 77) when a program is missing.
need() {
  local program
  for program in "$@"; do
    command -v "$program" >/dev/null || { echo "SKIPPED: $program is not installed"; exit 77; }
  done
}

vdrive() { "$VDRIVE" "$@" >"$log" 2>&1 || { fail "zelvane-vdrive $*"; cat "$log"; }; }

# Inserts a blank medium; the drive answers at once (no real-time emulation).
insert() { vdrive insert "$@"; vdrive speed fast; }

# Runs a program on the drive at /dev/sr0; its output lands in $log.
client() { "$VDRIVE" run -- "$@" >"$log" 2>&1; }

# Runs it and counts a failure with its output when it fails.
expect_client() {
  local status=0
  client "$@" || status=$?
  if [ "$status" -ne 0 ]; then
    fail "$* (exit $status)"
    tail -n 25 "$log"
    return 1
  fi
}

# The output of the last program holds a line matching the pattern.
expect_output() {
  grep -q -E -- "$1" "$log" || { fail "${2:-output} lacks /$1/"; tail -n 25 "$log"; }
}

expect_status() {
  "$VDRIVE" status >"$work/status.txt" 2>&1
  grep -q -E -- "$1" "$work/status.txt" || { fail "drive status lacks /$1/"; cat "$work/status.txt"; }
}

# Source trees of a few MB: src/sN holds a binary file and a text file.
make_sources() {
  local n
  for n in 1 2 3; do
    mkdir -p "$work/src/s$n/folder"
    head -c $((1500000 + n * 100000)) /dev/urandom >"$work/src/s$n/data$n.bin"
    echo "session $n" >"$work/src/s$n/folder/note$n.txt"
  done
}

# Every file of src/sN for N in the list equals its copy under DIR/sN.
expect_copies() {
  local dir=$1 n file
  shift
  for n in "$@"; do
    for file in "data$n.bin" "folder/note$n.txt"; do
      cmp -s "$work/src/s$n/$file" "$dir/s$n/$file" || fail "$dir/s$n/$file differs from the source"
    done
  done
}

# xorriso reads the disc through the drive path and copies its tree.
expect_xorriso_copies() {
  rm -rf "$work/xorriso-copy"
  expect_client xorriso -indev /dev/sr0 -osirrox on -extract / "$work/xorriso-copy" && expect_copies "$work/xorriso-copy" "$@"
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "PASSED"
}
