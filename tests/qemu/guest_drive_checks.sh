#!/bin/sh
# Guest side of the drive test: the engine checks, then `zelvane-cli drives`
# between marker lines for the host to compare.
/guest/zelvane_qemu_drive_check "$@"
checks=$?
echo "ZV-CLI-BEGIN"
/guest/zelvane-cli drives
echo "ZV-CLI-END $?"
exit $checks
