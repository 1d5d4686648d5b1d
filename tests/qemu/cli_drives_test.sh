#!/usr/bin/env bash
# Runs `zelvane-cli drives` in the guest with QEMU's drive and checks what it
# prints: the provider name, then the drive's index, drive list line and
# display name, and exit status 0.
#
#   cli_drives_test.sh ZELVANE_CLI ide|scsi WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$1 kind=$2 work=$3
case $kind in
    ide) product="QEMU DVD-ROM" ;;
    scsi) product="QEMU CD-ROM" ;;
    *) echo "drive kind must be ide or scsi" >&2; exit 2 ;;
esac

rm -rf "$work"
mkdir -p "$work/tree"
echo "Zelvane drive listing test" > "$work/tree/readme.txt"
genisoimage -quiet -V ZELVANE_DRIVES -o "$work/disc.iso" "$work/tree"

status=0
"$here/run_guest.sh" --work "$work" --program "$cli" --image "$work/disc.iso" --drive "$kind" \
    -- drives | tee "$work/guest.log" || status=$?

printf 'SXASPI32\n0\t0:0:0,/dev/sr0 QEMU    %-16s2.5+\t/dev/sr0 QEMU %s 2.5+\n' "$product" "$product" > "$work/expected.txt"
# The program's output lies between the drive line and the exit line.
sed -n '/^ZV-GUEST-DRIVE /,/^ZV-GUEST-EXIT /p' "$work/guest.log" | sed '1d;$d' > "$work/actual.txt"
if [ $status -ne 0 ]; then
    echo "FAILED: zelvane-cli drives ended with status $status"
    exit 1
fi
if ! diff -u "$work/expected.txt" "$work/actual.txt"; then
    echo "FAILED: zelvane-cli drives printed something else"
    exit 1
fi
echo "PASSED: zelvane-cli drives listed QEMU's $kind drive"
