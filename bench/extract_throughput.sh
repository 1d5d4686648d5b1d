#!/bin/bash
# Throughput of extraction from a disc (page cache warm): zelvane-cli
# extract of a whole session from a pressed DVD in the virtual drive (the
# path the sessions page takes: import, 31-sector reads, temporary file and
# rename per file), against xorriso extracting the same image file and cat
# of the same data. Prints wall time, throughput, the ratio to cat (cat time
# / tool time) and CPU seconds (user + system) per GiB.
#   bench/extract_throughput.sh [BUILD/bin] [WORK_FOLDER] [MiB]
set -euo pipefail
bin=${1:-$(dirname "$0")/../build/bin}
work=${2:-$(mktemp -d)}
mib=${3:-512}
mkdir -p "$work"
trap 'rm -rf "$work/source" "$work/out" "$work/disc.iso" "$work/cat.out" "$work/drive"' EXIT
export ZELVANE_VDRIVE_DIR=$work/drive

source=$work/source
mkdir -p "$source/small"
for i in 1 2 3 4; do head -c $((mib * 1024 * 1024 / 8)) /dev/urandom > "$source/part $i.bin"; done
for i in $(seq 1 400); do head -c $((mib * 1024 * 1024 / 800)) /dev/urandom > "$source/small/file $i.bin"; done
xorriso -as mkisofs -J -o "$work/disc.iso" "$source" 2> /dev/null
"$bin/zelvane-vdrive" insert-rom "$work/disc.iso" --dvd > /dev/null
cat "$work/disc.iso" "$source"/*.bin "$source"/small/* > /dev/null   # warm the page cache

source "$(dirname "$0")/timing.sh"
prepare_run() {
  rm -rf "$work/out" "$work/cat.out"
  mkdir -p "$work/out"
}

c=$(measure plain sh -c "cat '$source'/*.bin '$source'/small/* > '$work/cat.out'"); cat_wall=${c%% *}
report "cat" "$c"
report "zelvane-cli extract" "$(measure plain "$bin/zelvane-cli" extract "$work/out")"
diff -r "$source" "$work/out/"* > /dev/null && echo "zelvane-cli extract: identical to the source"
report "xorriso -extract" "$(measure plain xorriso -osirrox on -indev "$work/disc.iso" -extract / "$work/out/x")"
