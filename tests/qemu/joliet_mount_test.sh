#!/usr/bin/env bash
# Reads images made by `zelvane-cli make-iso` with another system's reader:
# the guest kernel mounts the image from QEMU's drive as iso9660 with Joliet
# names and checks every file's name and SHA-256 against what the host
# computed from the source tree; it also reads the same tree through the
# ISO 9660 names, and through an image made with --no-joliet in a second
# drive.
#
#   joliet_mount_test.sh ZELVANE_CLI ide|scsi WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$1 kind=$2 work=$3

rm -rf "$work"
mkdir -p "$work"
tree=$work/Проект
"$here/make_varied_tree.sh" "$tree"

"$cli" make-iso -o "$work/disc.iso" "$tree" || { echo "FAILED: make-iso refused the tree"; exit 1; }
"$cli" make-iso -o "$work/no-joliet.iso" --no-joliet "$tree" || { echo "FAILED: make-iso --no-joliet refused the tree"; exit 1; }

# Paths as the guest sees them below the mount point.
(cd "$work" && find Проект -type f | LC_ALL=C sort > files.list)
(cd "$work" && tr '\n' '\0' < files.list | xargs -0 sha256sum > manifest.sha256)
echo "host: $(wc -l < "$work/files.list") files in the tree"

status=0
"$here/run_guest.sh" --work "$work/guest" --program "$here/guest_check_files.sh" \
    --image "$work/disc.iso" --second-drive "$work/no-joliet.iso" --drive "$kind" --mount norock \
    --file "$work/files.list:files.list" --file "$work/manifest.sha256:manifest.sha256" \
    | tee "$work/guest.log" || status=$?

if ! grep -a -q 'Microsoft Joliet Level [123]' "$work/guest.log"; then
    echo "FAILED: the guest kernel did not mount the Joliet names"
    exit 1
fi
if [ $status -ne 0 ] || grep -a -q '^ZV-CHECK FAIL' "$work/guest.log" || ! grep -a -q '^ZV-RESULT PASSED' "$work/guest.log"; then
    echo "FAILED: the guest did not find every file with its bytes (status $status)"
    exit 1
fi
echo "PASSED: the guest kernel read every file under its Joliet name with its exact bytes"
