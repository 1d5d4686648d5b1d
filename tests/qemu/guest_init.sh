#!/bin/busybox sh
# /init of the test guest. Brings up the drive, optionally mounts the disc,
# runs the guest program and powers the machine off. Every line meant for the
# host starts with "ZV-GUEST"; the host reads them from the serial console.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t devtmpfs devtmpfs /dev 2>/dev/null
exec 0</dev/console 1>/dev/console 2>&1
mount -t proc proc /proc
mount -t sysfs sysfs /sys

finish() {
    echo "ZV-GUEST-EXIT $1"
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
tries=0
until [ -b /dev/sr0 ]; do
    tries=$((tries + 1))
    [ $tries -le 300 ] || { echo "ZV-GUEST-ERROR no /dev/sr0"; finish 91; }
    sleep 0.1
done
echo "ZV-GUEST-DRIVE $(cat /sys/block/sr0/device/vendor 2>/dev/null) $(cat /sys/block/sr0/device/model 2>/dev/null)"

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
