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

source "$(dirname "$0")/timing.sh"
# Outputs of earlier runs are removed first; a burn gets a fresh disc.
prepare_run() {
  rm -f "$work"/*.iso "$work/cat.out"
  if [ "$1" = burn ]; then "$bin/zelvane-vdrive" insert dvd+r > /dev/null; fi
}

"$bin/zelvane-vdrive" speed fast > /dev/null
c=$(measure plain sh -c "cat '$large'/* > '$work/cat.out'"); cat_wall=${c%% *}
report "cat" "$c"
report "make-iso (cache + thread)" "$(measure plain "$bin/zelvane-cli" make-iso -o "$work/z.iso" "$large")"
report "make-iso --direct" "$(measure plain "$bin/zelvane-cli" make-iso --direct -o "$work/d.iso" "$large")"
report "xorriso -as mkisofs -J" "$(measure plain xorriso -as mkisofs -quiet -J -o "$work/x.iso" "$large")"
report "burn to vdrive (fast)" "$(measure burn "$bin/zelvane-cli" burn --cache 64 "$large")"
