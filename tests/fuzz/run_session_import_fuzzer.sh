#!/usr/bin/env bash
# Builds the session import fuzz target with clang (apart from the main
# build), makes a seed corpus of real sessions and runs the fuzzer for a
# bounded time. Usage: run_session_import_fuzzer.sh BUILD-DIR ZELVANE-CLI [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
cli=$2
seconds=${3:-20}

if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing (scripts/lib.sh installs clang and libclang-rt-14-dev)"; exit 1
fi
cmake -S "$here/project" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/docs/deep" "$work/src/Документы" "$work/corpus"
echo readme > "$work/src/readme.txt"
head -c 5000 /dev/zero > "$work/src/docs/zeros.bin"
echo leaf > "$work/src/docs/deep/a file with a long name.txt"
echo отчёт > "$work/src/Документы/отчёт.txt"
mkdir -p "$work/src/1/2/3/4/5/6/7/8/9"
echo deep > "$work/src/1/2/3/4/5/6/7/8/9/relocated.txt"
genisoimage -quiet -J -input-charset utf-8 -o "$work/g.iso" "$work/src"
genisoimage -quiet -input-charset utf-8 -o "$work/i.iso" "$work/src"
xorriso -as mkisofs -quiet -J -o "$work/x.iso" "$work/src" 2>/dev/null
# Rock Ridge without Joliet: POSIX names, continuation areas, relocations.
genisoimage -quiet -R -input-charset utf-8 -o "$work/r.iso" "$work/src"
xorriso -as mkisofs -quiet -R -o "$work/s.iso" "$work/src" 2>/dev/null
"$cli" make-iso -o "$work/z.iso" "$work/src" >/dev/null
# Seeds: the sessions from sector 16 on, cut after their directories.
for image in g i x r s z; do
  dd if="$work/$image.iso" of="$work/corpus/$image" bs=2048 skip=16 count=32 status=none
done

"$build/session_import_fuzzer" "$work/corpus" -max_len=131072 -max_total_time="$seconds" \
  -runs=2000000 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 2>&1 | tail -n 20
