#!/bin/bash
# Times zelvane-cli make-iso against genisoimage -J and xorriso -as mkisofs -J
# on two trees (20,000 small files; 2 GiB in a few large files), and against
# cat of the same data for the large files. The page cache is warmed first.
#   bench/make_iso_vs_peers.sh [PATH/TO/zelvane-cli] [WORK_FOLDER]
set -euo pipefail
cli=${1:-$(dirname "$0")/../build/bin/zelvane-cli}
work=${2:-$(mktemp -d)}
mkdir -p "$work"
trap 'rm -rf "$work/small" "$work/large" "$work"/*.iso "$work/cat.out"' EXIT

small=$work/small
large=$work/large
if [ ! -d "$small" ]; then
  mkdir -p "$small"
  for d in $(seq 1 20); do
    mkdir -p "$small/folder $d"
    for f in $(seq 1 1000); do printf 'small file %d %d\n' "$d" "$f" > "$small/folder $d/file number $f.txt"; done
  done
fi
if [ ! -d "$large" ]; then
  mkdir -p "$large"
  for i in 1 2 3 4; do head -c $((512 * 1024 * 1024)) /dev/urandom > "$large/part $i.bin"; done
fi

# Seconds of one run (best of three). Outputs of earlier runs are removed
# and every dirty page written out first, so no run pays for another's
# writeback.
time_of() {
  local best=
  for _ in 1 2 3; do
    rm -f "$work"/*.iso "$work/cat.out"
    sync
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    local t
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }

for tree in small large; do
  src=$work/$tree
  cat "$src"/*/* "$src"/* > /dev/null 2>&1 || true   # warm the page cache
  z=$(time_of "$cli" make-iso -o "$work/z.iso" "$src")
  g=$(time_of genisoimage -quiet -J -o "$work/g.iso" "$src")
  x=$(time_of xorriso -as mkisofs -quiet -J -o "$work/x.iso" "$src")
  printf '%-6s make-iso %7ss  genisoimage -J %7ss (ratio %.2f)  xorriso -as mkisofs -J %7ss (ratio %.2f)\n' \
    "$tree" "$z" "$g" "$(ratio "$z" "$g")" "$x" "$(ratio "$z" "$x")"
  if [ "$tree" = large ]; then
    c=$(time_of sh -c "cat '$src'/* > '$work/cat.out'")
    printf '%-6s cat of the same data %7ss (make-iso / cat %.2f)\n' "$tree" "$c" "$(ratio "$z" "$c")"
  fi
  rm -f "$work"/*.iso "$work/cat.out"
done
