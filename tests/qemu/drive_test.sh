#!/usr/bin/env bash
# Host side of the drive test: makes an ISO image with a known volume id and
# boots the guest with it in QEMU's ide-cd or scsi-cd drive, beside a second
# drive of the same kind without a disc. In the guest the drive check program
# runs, then `zelvane-cli drives`. Passes only when the guest reports that
# every check passed and the drive listing is the expected one.
#
#   drive_test.sh DRIVE_CHECK_PROGRAM ZELVANE_CLI ide|scsi WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1 cli=$2 kind=$3 work=$4
volume=ZELVANE_QEMU_CHECK
case $kind in
    ide) product="QEMU DVD-ROM" ;;
    scsi) product="QEMU CD-ROM" ;;
    *) echo "drive kind must be ide or scsi" >&2; exit 2 ;;
esac

rm -rf "$work"
mkdir -p "$work/tree"
echo "Zelvane drive test" > "$work/tree/readme.txt"
genisoimage -quiet -V "$volume" -J -o "$work/disc.iso" "$work/tree"

status=0
"$here/run_guest.sh" --work "$work" --program "$here/guest_drive_checks.sh" \
    --image "$work/disc.iso" --drive "$kind" --second-drive none \
    --file "$program:zelvane_qemu_drive_check" --file "$cli:zelvane-cli" \
    -- --kind "$kind" --volume "$volume" | tee "$work/guest.log" || status=$?

if [ $status -ne 0 ] || grep -a -q '^ZV-CHECK FAIL' "$work/guest.log" || ! grep -a -q '^ZV-RESULT PASSED' "$work/guest.log"; then
    echo "FAILED: the guest did not report that every check passed (status $status)"
    exit 1
fi

{
    printf 'SXASPI32\n'
    printf '0\t0:0:0,/dev/sr0 QEMU    %-16s2.5+\t/dev/sr0 QEMU %s 2.5+\n' "$product" "$product"
    printf '1\t0:1:0,/dev/sr1 QEMU    %-16s2.5+\t/dev/sr1 QEMU %s 2.5+\n' "$product" "$product"
    printf 'ZV-CLI-END 0\n'
} > "$work/cli-expected.txt"
sed -n '/^ZV-CLI-BEGIN$/,/^ZV-CLI-END /p' "$work/guest.log" | sed '1d' > "$work/cli-actual.txt"
if ! diff -u "$work/cli-expected.txt" "$work/cli-actual.txt"; then
    echo "FAILED: zelvane-cli drives printed something else or failed"
    exit 1
fi
echo "PASSED: every check in the guest passed and zelvane-cli listed both drives ($kind)"
