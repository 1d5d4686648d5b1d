#!/bin/sh
# Runs in the test guest with the disc mounted on /mnt/cd (Joliet names):
# compares the files on the disc with /guest/files.list and their contents
# with /guest/manifest.sha256 (both made on the host from the source tree).
# Then mounts the ISO 9660 name space and checks that it reaches the same
# file contents.
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
mkdir -p /mnt/iso
if mount -t iso9660 -o norock,nojoliet /dev/sr0 /mnt/iso; then
    (cd /mnt/iso && find . -type f | while IFS= read -r f; do sha256sum "$f"; done) | cut -d' ' -f1 | sort > /tmp/iso.sums
    cut -d' ' -f1 /guest/manifest.sha256 | sort > /tmp/expected.sums
    if cmp -s /tmp/expected.sums /tmp/iso.sums; then
        echo "ZV-CHECK PASS ISO 9660 names: $(wc -l < /tmp/iso.sums) files with the expected contents"
    else
        echo "ZV-CHECK FAIL ISO 9660 names: the files reached differ from the source tree"
        diff /tmp/expected.sums /tmp/iso.sums | head -n 20
        (cd /mnt/iso && find . | head -n 40)
        failed=1
    fi
else
    echo "ZV-CHECK FAIL ISO 9660 names: mount -o norock,nojoliet failed"
    failed=1
fi
if [ $failed -eq 0 ]; then echo "ZV-RESULT PASSED"; else echo "ZV-RESULT FAILED"; fi
exit $failed
