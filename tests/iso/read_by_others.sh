#!/bin/bash
# Images made by "zelvane-cli make-iso" read back by readers no one here
# wrote: xorriso, isoinfo (Joliet and plain ISO 9660), isovfy, 7z, bsdtar.
# Every file must arrive under its Joliet name with its exact bytes and
# modification time; ISO 9660 names must be valid; the path tables must agree.
#   read_by_others.sh PATH/TO/zelvane-cli
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
export LC_ALL=C.UTF-8
# A zone with summer time, so that each record's own zone offset matters.
export TZ=Europe/Berlin

work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "missing tool: $1 (install it with scripts/lib.sh's package list)" >&2; exit 1; }; }
for tool in xorriso isoinfo isovfy 7z bsdtar; do need "$tool"; done

tree=$work/tree
mkdir -p "$tree"
randfile() { head -c "$2" /dev/urandom > "$1"; }

# --- A varied tree.
mkdir -p "$tree/Документы/Отчёты 2024" "$tree/Ελληνικά κείμενα" "$tree/日本語のフォルダ" \
         "$tree/spaces  and punctuation !#\$%&'()+,=@[]^_\`{}~" "$tree/many files" \
         "$tree/deep/l1/l2/l3/l4/l5/l6/l7/l8/l9/l10/l11" "$tree/.hidden folder" \
         "$tree/Same Prefix Folder One" "$tree/Same Prefix Folder Two"
randfile "$tree/Документы/Отчёты 2024/Годовой отчёт.docx" 70000
randfile "$tree/Документы/Письмо.txt" 2049
randfile "$tree/Ελληνικά κείμενα/Καλημέρα κόσμε.txt" 2048
randfile "$tree/日本語のフォルダ/ファイル名.bin" 2047
randfile "$tree/日本語のフォルダ/émoji 😀 naïve café.txt" 5
randfile "$tree/spaces  and punctuation !#\$%&'()+,=@[]^_\`{}~/a file; with semicolon.txt" 300
randfile "$tree/spaces  and punctuation !#\$%&'()+,=@[]^_\`{}~/  leading spaces.dat" 1
randfile "$tree/spaces  and punctuation !#\$%&'()+,=@[]^_\`{}~/what? star* colon: \"quoted\" <angle> |pipe|.txt" 2
randfile "$tree/deep/l1/l2/l3/l4/l5/l6/l7/l8/l9/l10/l11/bottom.bin" 4096
randfile "$tree/.hidden folder/.hidden file.cfg" 123
randfile "$tree/.dotfile.rc" 7
randfile "$tree/Same Prefix Folder One/x.txt" 11
randfile "$tree/Same Prefix Folder Two/x.txt" 12
: > "$tree/empty file.txt"
# Names without an extension: every reader must show them without a dot.
printf 'no extension\n' > "$tree/readme"
printf 'all:\n' > "$tree/Makefile"
: > "$tree/deep/l1/zero.bin"
randfile "$tree/big random.bin" 3000001
name100=$(printf 'N%.0s' $(seq 1 96)).txt
name103=$(printf 'M%.0s' $(seq 1 99)).txt
dir103=$(printf 'D%.0s' $(seq 1 103))
mkdir -p "$tree/$dir103"
randfile "$tree/$name100" 100
randfile "$tree/$dir103/$name103" 103
for i in $(seq 1 1500); do printf 'file %d\n' "$i" > "$tree/many files/Long file name number $i.txt"; done
# Modification times in summer and in winter, whole seconds.
find "$tree" -type f -print0 | while IFS= read -r -d '' f; do
  if [ $((${#f} % 2)) -eq 0 ]; then touch -d '2021-07-15 12:34:56' "$f"; else touch -d '2020-01-10 08:09:10' "$f"; fi
done

image=$work/tree.iso
if ! "$cli" make-iso -o "$image" --volume "Тестовый диск" --preparer "tests" "$tree"/* "$tree"/.[!.]* > "$work/make.out" 2> "$work/make.err"; then
  cat "$work/make.err" >&2
  fail "make-iso exited non-zero"
fi
[ -s "$work/make.err" ] && { echo "make-iso notes:"; cat "$work/make.err"; }

# Compares an extracted tree with the source: names, bytes, times.
compare_tree() {
  local label=$1 out=$2 times=$3
  if ! diff -r "$tree" "$out" > "$work/diff.$label" 2>&1; then
    head -20 "$work/diff.$label" >&2
    fail "$label: extracted tree differs from the source"
  fi
  if [ "$times" = yes ]; then
    (cd "$tree" && find . -type f -printf '%p %T@\n' | sed 's/\.0*$//' | sort) > "$work/times.src"
    (cd "$out" && find . -type f -printf '%p %T@\n' | sed 's/\.0*$//' | sort) > "$work/times.$label"
    if ! diff "$work/times.src" "$work/times.$label" > "$work/timediff.$label"; then
      head -5 "$work/timediff.$label" >&2
      fail "$label: modification times differ"
    fi
  fi
}

# --- xorriso
mkdir "$work/xorriso"
if xorriso -indev "$image" -osirrox on -extract / "$work/xorriso" > "$work/xorriso.log" 2>&1; then
  compare_tree xorriso "$work/xorriso" no
else
  tail -5 "$work/xorriso.log" >&2; fail "xorriso could not extract the image"
fi
# --- 7z
if 7z x -y -o"$work/7z" "$image" > "$work/7z.log" 2>&1; then
  compare_tree 7z "$work/7z" yes
else
  tail -5 "$work/7z.log" >&2; fail "7z could not extract the image"
fi
# --- bsdtar
mkdir "$work/bsdtar"
if bsdtar -xf "$image" -C "$work/bsdtar" 2> "$work/bsdtar.log"; then
  chmod -R u+rwx "$work/bsdtar"
  compare_tree bsdtar "$work/bsdtar" yes
else
  tail -5 "$work/bsdtar.log" >&2; fail "bsdtar could not extract the image"
fi

# --- isoinfo, Joliet: every path listed; a sample of files read back.
(cd "$tree" && find . -mindepth 1 | sed 's|^\.||' | LC_ALL=C sort) > "$work/paths.src"
# Joliet names carry the version ";1" as the ISO 9660 ones do; isoinfo shows it.
isoinfo -J -j iso8859-1 -i "$image" -f | sed 's/;1$//' | LC_ALL=C sort > "$work/paths.isoinfo"
if [ "$(wc -l < "$work/paths.isoinfo")" -ne "$(wc -l < "$work/paths.src")" ]; then
  fail "isoinfo -J lists $(wc -l < "$work/paths.isoinfo") paths, the tree has $(wc -l < "$work/paths.src")"
fi
grep -a -v '[^ -~]' "$work/paths.src" | grep -v '^/many files/' > "$work/ascii.src" || true
if ! diff <(grep -a -F -x -f "$work/ascii.src" "$work/paths.isoinfo") "$work/ascii.src" > /dev/null; then
  fail "isoinfo -J does not list every ASCII path as it is"
fi
for f in "/many files/Long file name number 1.txt" "/$name100" "/big random.bin" "/deep/l1/l2/l3/l4/l5/l6/l7/l8/l9/l10/l11/bottom.bin"; do
  if ! isoinfo -J -i "$image" -x "$f;1" | cmp -s - "$tree$f"; then fail "isoinfo -J -x $f gives other bytes"; fi
done

# --- isoinfo, plain ISO 9660: identifiers valid, every file readable.
isoinfo -i "$image" -l > "$work/isolist"
awk '/^Directory listing of /{next} /\]  /{sub(/.*\]  /,""); sub(/ $/,""); print}' "$work/isolist" \
  | grep -v -x -e '\.' -e '\.\.' > "$work/isonames"
if grep -a -n -v -E '^([A-Z0-9_~!#$%&'"'"'()@^`{}-]{1,8}(\.[A-Z0-9_~!#$%&'"'"'()@^`{}-]{0,3})?;1|[!-`~]{1,13})$' "$work/isonames" > "$work/badnames"; then
  head -5 "$work/badnames" >&2
  fail "ISO 9660 identifiers outside 8.3 files and 13-character folders"
fi
grep -q -x 'README\.;1' "$work/isonames" || fail "the ISO 9660 name of readme is not README.;1"
isoinfo -i "$image" -f > "$work/isopaths"
sort "$work/isopaths" | uniq -d > "$work/dupes"
[ -s "$work/dupes" ] && { head -3 "$work/dupes" >&2; fail "duplicate ISO 9660 paths"; }
if [ "$(wc -l < "$work/isopaths")" -ne "$(wc -l < "$work/paths.src")" ]; then
  fail "isoinfo (plain) lists $(wc -l < "$work/isopaths") paths, the tree has $(wc -l < "$work/paths.src")"
fi
isoinfo -d -i "$image" > "$work/pvd"
grep -q '^Application id: ZELVANE' "$work/pvd" || fail "application identifier"
grep -q '^Joliet with UCS level' "$work/pvd" || fail "no Joliet descriptor found by isoinfo"
grep -q "^Volume id: " "$work/pvd" || fail "volume identifier"

# --- isovfy: directory and path-table consistency.
isovfy "$image" > "$work/isovfy" 2>&1 || true
if grep -i -E 'error|mismatch|bad|wrong|invalid' "$work/isovfy" | grep -v -q 'No errors found'; then
  grep -i -E 'error|mismatch|bad|wrong|invalid' "$work/isovfy" | head -5 >&2
  fail "isovfy reports problems"
fi

# --- xorriso's own check of the volume: the volume dates and the Joliet name.
today=$(date +%Y%m%d)
xorriso -indev "$image" -pvd_info > "$work/pvdinfo" 2>&1
grep -q "Creation Time: $today" "$work/pvdinfo" || { grep Time "$work/pvdinfo" >&2; fail "volume creation date is not today"; }
grep -q "Volume Id    : Тестовый диск" "$work/pvdinfo" || { grep 'Volume Id' "$work/pvdinfo" >&2; fail "Joliet volume identifier"; }

# --- A tree without hidden entries: isovfy must find no errors at all.
mkdir -p "$work/plain/a/b" && echo one > "$work/plain/a/one.txt" && echo two > "$work/plain/a/b/two.txt"
"$cli" make-iso -o "$work/plain.iso" "$work/plain/a" > /dev/null || fail "make-iso of a plain tree"
isovfy "$work/plain.iso" 2>&1 | grep -q 'No errors found' || fail "isovfy finds errors in a plain image"

# --- Without Joliet: only ISO 9660 names, still readable.
"$cli" make-iso -o "$work/nojoliet.iso" --no-joliet "$work/plain/a" > /dev/null || fail "make-iso --no-joliet"
isoinfo -d -i "$work/nojoliet.iso" | grep -q '^Joliet with' && fail "--no-joliet image has a Joliet descriptor"
[ "$(isoinfo -i "$work/nojoliet.iso" -x '/A/B/TWO.TXT;1')" = two ] || fail "--no-joliet image content"

# --- Bootable: the catalog points at the floppy image's bytes.
"$here/make_boot_floppy.sh" "$work/floppy.img"
"$cli" make-iso -o "$work/boot.iso" --boot "$work/floppy.img" "$work/plain/a" > /dev/null || fail "make-iso --boot"
lba=$(xorriso -indev "$work/boot.iso" -report_el_torito plain 2>/dev/null | awk '/El Torito boot img :/{print $NF}')
[ -n "$lba" ] || fail "xorriso finds no El Torito boot image"
if [ -n "$lba" ] && ! cmp -s <(dd if="$work/boot.iso" bs=2048 skip="$lba" count=720 status=none) "$work/floppy.img"; then
  fail "boot image bytes differ at the catalog's sector $lba"
fi
head -c 2048 "$work/floppy.img" > "$work/small.img"
"$cli" make-iso -o "$work/boot2.iso" --boot "$work/small.img" "$work/plain/a" > /dev/null || fail "make-iso --boot small"
lba=$(xorriso -indev "$work/boot2.iso" -report_el_torito plain 2>/dev/null | awk '/El Torito boot img :/{print $NF}')
if [ -z "$lba" ] || ! cmp -s <(dd if="$work/boot2.iso" bs=2048 skip="$lba" count=1 status=none) "$work/small.img"; then
  fail "small boot image not at the catalog's sector (${lba:-none})"
fi

# --- Refusals: a missing PATH makes the exit code non-zero.
if "$cli" make-iso -o "$work/missing.iso" "$work/plain/a" "$work/does-not-exist" > /dev/null 2>&1; then
  fail "make-iso exits 0 although a PATH is missing"
fi
if "$cli" make-iso "$work/plain/a" > /dev/null 2>&1; then fail "make-iso without -o exits 0"; fi

# --- Files beyond 4 GiB (multi-extent), when asked for: it writes 4 GiB.
if [ "${ZELVANE_TEST_LARGE:-0}" = 1 ]; then
  mkdir "$work/large"
  truncate -s $((4 * 1024 * 1024 * 1024 + 4096 + 7)) "$work/large/huge.bin"
  printf 'START' | dd of="$work/large/huge.bin" conv=notrunc status=none
  printf 'END!' | dd of="$work/large/huge.bin" bs=1 seek=$((4 * 1024 * 1024 * 1024 + 4096 + 3)) conv=notrunc status=none
  "$cli" make-iso -o "$work/large.iso" "$work/large/huge.bin" > /dev/null || fail "make-iso of a 4 GiB file"
  bsdtar -xOf "$work/large.iso" huge.bin | cmp -s - "$work/large/huge.bin" || fail "bsdtar: 4 GiB file differs"
  7z e -so "$work/large.iso" huge.bin 2>/dev/null | cmp -s - "$work/large/huge.bin" || fail "7z: 4 GiB file differs"
  rm -f "$work/large.iso"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all readers agree"
