#!/bin/sh
# Runs in the test guest with the disc mounted on /mnt/cd (Joliet names):
# compares the files on the disc with /guest/files.list and their contents
# with /guest/manifest.sha256 (both made on the host from the source tree).
# Then checks that the ISO 9660 name space of that disc, and of the disc
# without Joliet in /dev/sr1, reach the same file contents.
cd /mnt/cd || exit 1
failed=0
find . -type f | sed 's|^\./||' | sort > /tmp/disc.list
if cmp -s /guest/files.list /tmp/disc.list; then
    echo "ZV-CHECK PASS file names: $(wc -l < /tmp/disc.list) files"
else
    echo "ZV-CHECK FAIL file names differ (- expected, + on the disc):"
    diff /guest/files.list /tmp/disc.list | head -n 40
    failed=1
fi
if sha256sum -c /guest/manifest.sha256 > /tmp/sums 2>&1; then
    echo "ZV-CHECK PASS contents: every SHA-256 matches"
else
    echo "ZV-CHECK FAIL contents:"
    grep -v ': OK$' /tmp/sums | head -n 40
    failed=1
fi
cd /
umount /mnt/cd

# check_iso_names NAME DEVICE OPTIONS: the files reached through the ISO 9660
# names hold exactly the expected contents.
cut -d' ' -f1 /guest/manifest.sha256 | sort > /tmp/expected.sums
check_iso_names() {
    mkdir -p /mnt/iso
    if ! mount -t iso9660 -o "$3" "$2" /mnt/iso; then
        echo "ZV-CHECK FAIL $1: mount $2 -o $3 failed"
        failed=1
        return
    fi
    (cd /mnt/iso && find . -type f | while IFS= read -r f; do sha256sum "$f"; done) | cut -d' ' -f1 | sort > /tmp/iso.sums
    if cmp -s /tmp/expected.sums /tmp/iso.sums; then
        echo "ZV-CHECK PASS $1: $(wc -l < /tmp/iso.sums) files with the expected contents"
    else
        echo "ZV-CHECK FAIL $1: the files reached differ from the source tree"
        diff /tmp/expected.sums /tmp/iso.sums | head -n 20
        (cd /mnt/iso && find . | head -n 40)
        failed=1
    fi
    umount /mnt/iso
}
check_iso_names "ISO 9660 names" /dev/sr0 norock,nojoliet
if [ -b /dev/sr1 ]; then
    joliet_mounts=$(dmesg | grep -c 'Microsoft Joliet')
    check_iso_names "image without Joliet" /dev/sr1 ro
    if [ "$(dmesg | grep -c 'Microsoft Joliet')" -ne "$joliet_mounts" ]; then
        echo "ZV-CHECK FAIL image without Joliet: the kernel found Joliet on it"
        failed=1
    fi
fi
if [ $failed -eq 0 ]; then echo "ZV-RESULT PASSED"; else echo "ZV-RESULT FAILED"; fi
exit $failed
