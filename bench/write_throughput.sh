#!/bin/bash
# Throughput of the writing path on 2 GiB of large files (page cache warm):
# make-iso through the read-ahead cache and the writing thread, the direct
# make-iso, xorriso -as mkisofs -J, and a burn to the virtual drive in fast
# mode, each against cat of the same data in the same run. Prints wall
# time, throughput as a ratio of cat's (cat time / tool time) and CPU
# seconds (user + system) per GiB written.
#   bench/write_throughput.sh [BUILD/bin] [WORK_FOLDER] [MiB]
set -euo pipefail
bin=${1:-$(dirname "$0")/../build/bin}
work=${2:-$(mktemp -d)}
mib=${3:-2048}
mkdir -p "$work"
trap 'rm -rf "$work/large" "$work"/*.iso "$work/cat.out" "$work/drive"' EXIT
export ZELVANE_VDRIVE_DIR=$work/drive

large=$work/large
mkdir -p "$large"
parts=4
for i in $(seq 1 $parts); do
  [ -f "$large/part $i.bin" ] || head -c $((mib * 1024 * 1024 / parts)) /dev/urandom > "$large/part $i.bin"
done
cat "$large"/* > /dev/null   # warm the page cache

# "wall user system" of one run, the best of two; outputs of earlier runs
# are removed and written out first so no run pays for another's writeback.
measure() {
  local best= line
  for _ in 1 2; do
    rm -f "$work"/*.iso "$work/cat.out"
    sync
    if [ "$1" = burn ]; then "$bin/zelvane-vdrive" insert dvd+r > /dev/null; fi
    /usr/bin/time -o "$work/time.txt" -f '%e %U %S' "${@:2}" > /dev/null 2>&1 || true
    line=$(tail -1 "$work/time.txt")
    if [ -z "$best" ] || [ "$(echo "${line%% *} < ${best%% *}" | bc -l)" = 1 ]; then best=$line; fi
  done
  echo "$best"
}

report() {
  local name=$1 wall user sys
  read -r wall user sys <<< "$2"
  printf '%-28s %7.2fs  %7.0f MB/s  ratio to cat %.2f  CPU %.2fs per GiB\n' "$name" "$wall" \
    "$(echo "$mib / $wall" | bc -l)" "$(echo "$cat_wall / $wall" | bc -l)" "$(echo "($user + $sys) * 1024 / $mib" | bc -l)"
}

"$bin/zelvane-vdrive" speed fast > /dev/null
c=$(measure plain sh -c "cat '$large'/* > '$work/cat.out'"); cat_wall=${c%% *}
report "cat" "$c"
report "make-iso (cache + thread)" "$(measure plain "$bin/zelvane-cli" make-iso -o "$work/z.iso" "$large")"
report "make-iso --direct" "$(measure plain "$bin/zelvane-cli" make-iso --direct -o "$work/d.iso" "$large")"
report "xorriso -as mkisofs -J" "$(measure plain xorriso -as mkisofs -quiet -J -o "$work/x.iso" "$large")"
report "burn to vdrive (fast)" "$(measure burn "$bin/zelvane-cli" burn --cache 64 "$large")"
