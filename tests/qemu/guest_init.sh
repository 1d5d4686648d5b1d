#!/bin/busybox sh
# /init of the test guest. Brings up the drive, optionally mounts the disc,
# runs the guest program and powers the machine off. Its own lines for the
# host start with "ZV-GUEST"; the host reads them, and the program's output,
# from the second serial port.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t devtmpfs devtmpfs /dev 2>/dev/null
# Everything for the host goes to the second serial port; the kernel's own
# console stays on the first, so its messages never split a result line.
exec 0</dev/null 1>/dev/ttyS1 2>&1
mount -t proc proc /proc
mount -t sysfs sysfs /sys

finish() {
    printf "\nZV-GUEST-EXIT %s\n" "$1"   # on a line of its own even after partial output
    sync
    poweroff -f
    sleep 5
}

echo "ZV-GUEST-START $(uname -r)"
while read -r module; do
    [ -n "$module" ] || continue
    insmod "/lib/modules/$module.ko" || { echo "ZV-GUEST-ERROR insmod $module failed"; finish 90; }
done < /guest/modules

# The SCSI scan runs asynchronously after the host adapter driver loads.
last=$(( $(cat /guest/drive_count) - 1 ))
tries=0
until [ -b /dev/sr$last ]; do
    tries=$((tries + 1))
    [ $tries -le 300 ] || { echo "ZV-GUEST-ERROR no /dev/sr$last"; finish 91; }
    sleep 0.1
done
for n in $(seq 0 $last); do
    echo "ZV-GUEST-DRIVE sr$n $(basename "$(readlink /sys/block/sr$n/device)") $(cat /sys/block/sr$n/device/vendor) $(cat /sys/block/sr$n/device/model)"
done

if [ -f /guest/mount_options ]; then
    mkdir -p /mnt/cd
    mount -t iso9660 -o "$(cat /guest/mount_options)" /dev/sr0 /mnt/cd || { echo "ZV-GUEST-ERROR mount failed"; finish 92; }
    dmesg | grep -i 'iso 9660\|joliet\|isofs' | sed 's/^/ZV-GUEST-KLOG /'
fi

set --
if [ -f /guest/args ]; then
    while IFS= read -r arg; do set -- "$@" "$arg"; done < /guest/args
fi
cd /guest
/guest/program "$@"
finish $?
