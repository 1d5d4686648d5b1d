#!/bin/sh
# Runs in the test guest with the disc mounted on /mnt/cd: compares the files
# on the disc with /guest/files.list and their contents with
# /guest/manifest.sha256 (both made on the host from the source tree).
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
if [ $failed -eq 0 ]; then echo "ZV-RESULT PASSED"; else echo "ZV-RESULT FAILED"; fi
exit $failed
