#!/usr/bin/env bash
# Host side of the drive test: makes an ISO image with a known volume id,
# boots the guest with it in QEMU's ide-cd or scsi-cd drive (or with an empty
# drive), runs the drive check program there and passes only when the guest
# reports that every check passed.
#
#   drive_test.sh GUEST_PROGRAM ide|scsi WORK_DIR [empty]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1 kind=$2 work=$3 empty=${4:-}
volume=ZELVANE_QEMU_CHECK

rm -rf "$work"
mkdir -p "$work/tree"
echo "Zelvane drive test" > "$work/tree/readme.txt"
if command -v genisoimage >/dev/null; then
    genisoimage -quiet -V "$volume" -J -o "$work/disc.iso" "$work/tree"
else
    xorriso -as mkisofs -quiet -V "$volume" -J -o "$work/disc.iso" "$work/tree"
fi

image=$work/disc.iso guest_args=(--kind "$kind" --volume "$volume")
[ "$empty" != empty ] || { image=none; guest_args=(--kind "$kind" --empty); }

status=0
"$here/run_guest.sh" --work "$work" --program "$program" --image "$image" --drive "$kind" \
    -- "${guest_args[@]}" | tee "$work/guest.log" || status=$?

if [ $status -ne 0 ]; then
    echo "FAILED: the guest ended with status $status"
    exit 1
fi
if grep -a -q '^ZV-CHECK FAIL' "$work/guest.log" || ! grep -a -q '^ZV-RESULT PASSED' "$work/guest.log"; then
    echo "FAILED: the guest did not report that every check passed"
    exit 1
fi
echo "PASSED: every check in the guest passed ($kind drive${empty:+, no disc})"
