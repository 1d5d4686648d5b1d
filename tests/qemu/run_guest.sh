#!/usr/bin/env bash
# Boots a small Linux guest under QEMU with an emulated CD/DVD drive holding an
# image, runs one program inside it and prints what the guest reports on its
# second serial port (the kernel's console, on the first, is kept in
# WORK/console.log and shown when the guest fails).
#
#   run_guest.sh --work DIR --program FILE --image FILE --drive ide|scsi
#                [--second-drive FILE|none] [--file SRC[:NAME]]... [--mount OPTIONS]
#                [--timeout SECONDS] [-- PROGRAM ARGS...]
#
# --image none leaves the drive without a disc. --second-drive adds a second
# drive of the same kind, with that image or without a disc, as target 1 of
# the same adapter (/dev/sr1).
# The program (a busybox shell script, a static binary, or a dynamically
# linked one whose libraries are copied along) runs as root in /guest, where
# every --file is copied too. --mount mounts the disc as iso9660
# with those options on /mnt/cd before the program starts.
# Exit status: the program's own exit status; 124 when the guest did not
# finish in time; 125 when the guest could not be built or did not report.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

work= program= image= drive= mount_options= timeout_s=120 second_image=
files=() args=()
while [ $# -gt 0 ]; do
    case $1 in
        --work) work=$2; shift 2 ;;
        --program) program=$2; shift 2 ;;
        --image) image=$2; shift 2 ;;
        --drive) drive=$2; shift 2 ;;
        --file) files+=("$2"); shift 2 ;;
        --mount) mount_options=$2; shift 2 ;;
        --second-drive) second_image=$2; shift 2 ;;
        --timeout) timeout_s=$2; shift 2 ;;
        --) shift; args=("$@"); break ;;
        *) echo "run_guest.sh: unknown option $1" >&2; exit 125 ;;
    esac
done
fail() { echo "run_guest.sh: $*" >&2; exit 125; }
[ -n "$work" ] && [ -n "$program" ] && [ -n "$image" ] && [ -n "$drive" ] || fail "--work, --program, --image and --drive are required"
[ -f "$program" ] || fail "no guest program $program"
[ "$image" = none ] || [ -f "$image" ] || fail "no image $image"
[ -z "$second_image" ] || [ "$second_image" = none ] || [ -f "$second_image" ] || fail "no image $second_image"

# The QEMU drive back end for an image, or for an empty drive: drive_backend ID IMAGE
drive_backend() {
    if [ "$2" = none ]; then
        echo "media=cdrom,if=none,id=$1,readonly=on"
    else
        echo "file=${2//,/,,},media=cdrom,if=none,id=$1,readonly=on"
    fi
}

case $drive in
    ide) drive_devices=(-device ide-cd,drive=cd,bus=ide.0,unit=0)
         second_drive=(-device ide-cd,drive=cd2,bus=ide.0,unit=1) ;;
    scsi) drive_devices=(-device virtio-scsi-pci,id=scsi0 -device scsi-cd,drive=cd,bus=scsi0.0,scsi-id=0,lun=0)
          second_drive=(-device scsi-cd,drive=cd2,bus=scsi0.0,scsi-id=1,lun=0) ;;
    *) fail "drive kind must be ide or scsi" ;;
esac
drive_devices=(-drive "$(drive_backend cd "$image")" "${drive_devices[@]}")
drive_count=1
if [ -n "$second_image" ]; then
    drive_devices+=(-drive "$(drive_backend cd2 "$second_image")" "${second_drive[@]}")
    drive_count=2
fi

qemu=$(command -v qemu-system-x86_64) || fail "qemu-system-x86_64 is missing (apt-get install qemu-system-x86)"
command -v busybox >/dev/null || [ -x /bin/busybox ] || fail "busybox is missing (apt-get install busybox-static)"
command -v cpio >/dev/null || fail "cpio is missing (apt-get install cpio)"

# The newest installed kernel and its modules (package linux-image-amd64), or
# the ones named by ZELVANE_QEMU_KERNEL and ZELVANE_QEMU_MODULES.
kernel=${ZELVANE_QEMU_KERNEL:-$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1)}
[ -n "$kernel" ] && [ -r "$kernel" ] || fail "no readable kernel in /boot (apt-get install linux-image-amd64)"
modules_dir=${ZELVANE_QEMU_MODULES:-/lib/modules/${kernel##*/vmlinuz-}}
[ -f "$modules_dir/modules.dep" ] || fail "no modules.dep in $modules_dir"

# Modules in an order where each one's dependencies come first.
modules=(scsi_common scsi_mod libata ata_piix ata_generic cdrom sr_mod sg
    virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci
    virtio_scsi isofs nls_utf8)

build_start=$(date +%s%N)
root=$work/root
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,mnt,tmp,lib/modules,guest}
busybox_bin=$(command -v busybox || echo /bin/busybox)
cp "$busybox_bin" "$root/bin/busybox"
cp "$here/guest_init.sh" "$root/init"
# Programs go in without debug information: a smaller initramfs boots faster.
copy_program() { strip --strip-debug -o "$2" "$1" 2>/dev/null || cp "$1" "$2"; }
copy_program "$program" "$root/guest/program"
chmod +x "$root/init" "$root/guest/program"
# A dynamically linked program brings its shared libraries and loader, at the
# paths where the loader looks for them.
if ldd "$program" > "$work/program.libs" 2>/dev/null; then
    for lib in $(awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}' "$work/program.libs"); do
        mkdir -p "$root$(dirname "$lib")"
        cp -L "$lib" "$root$lib"
    done
fi
for module in "${modules[@]}"; do
    path=$(grep -E "/$module\.ko(\.[a-z]+)?:" "$modules_dir/modules.dep" | head -n 1 | cut -d: -f1) ||
        fail "module $module is not in $modules_dir/modules.dep"
    [ -n "$path" ] || fail "module $module is not in $modules_dir/modules.dep"
    case $path in
        *.ko) cp "$modules_dir/$path" "$root/lib/modules/$module.ko" ;;
        *.ko.xz) xz -dc "$modules_dir/$path" > "$root/lib/modules/$module.ko" ;;
        *.ko.zst) zstd -qdc "$modules_dir/$path" > "$root/lib/modules/$module.ko" ;;
        *.ko.gz) gzip -dc "$modules_dir/$path" > "$root/lib/modules/$module.ko" ;;
        *) fail "unknown module file $path" ;;
    esac
    echo "$module" >> "$root/guest/modules"
done
for entry in "${files[@]+"${files[@]}"}"; do
    src=${entry%%:*} name=${entry#*:}
    [ "$name" != "$entry" ] || name=$(basename "$src")
    if [ -d "$src" ]; then cp -r "$src" "$root/guest/$name"; else copy_program "$src" "$root/guest/$name"; fi
done
echo "$drive_count" > "$root/guest/drive_count"
[ -z "$mount_options" ] || printf '%s\n' "$mount_options" > "$root/guest/mount_options"
: > "$root/guest/args"
for arg in "${args[@]+"${args[@]}"}"; do printf '%s\n' "$arg" >> "$root/guest/args"; done

# A normal user cannot create device nodes, so /dev/console comes from a
# hand-written newc archive in front of the gzipped file archive; the kernel
# unpacks both.
cpio_entry() { # name mode devmajor devminor
    local name=$1
    printf '070701%08X%08X%08X%08X%08X%08X%08X%08X%08X%08X%08X%08X%08X' \
        "$cpio_ino" "$2" 0 0 1 0 0 0 0 "$3" "$4" $((${#name} + 1)) 0
    printf '%s\0' "$name"
    local pad=$(( (4 - (110 + ${#name} + 1) % 4) % 4 ))
    head -c $pad /dev/zero
    cpio_ino=$((cpio_ino + 1))
}
initrd=$work/initrd.img
cpio_ino=1
{
    cpio_entry dev $((0040755)) 0 0
    cpio_entry dev/console $((0020600)) 5 1
    cpio_entry dev/null $((0020666)) 1 3
    cpio_entry TRAILER!!! 0 0 0
} > "$initrd"
(cd "$root" && find . -mindepth 1 | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet | gzip -1) >> "$initrd"

build_ms=$(( ($(date +%s%N) - build_start) / 1000000 ))
printf 'ZV-HOST initramfs of %d kB built in %d.%03d s\n' $(( $(stat -c %s "$initrd") / 1024 )) \
    $((build_ms / 1000)) $((build_ms % 1000)) >&2

bios=()
[ ! -f /usr/share/qemu/qboot.rom ] || bios=(-bios /usr/share/qemu/qboot.rom)

log=$work/serial.log
console_log=$work/console.log
start=$(date +%s%N)
status=0
timeout --kill-after=5 "$timeout_s" "$qemu" -nodefaults -display none -no-reboot \
    -m 512 -smp 1 -accel tcg "${bios[@]+"${bios[@]}"}" \
    -kernel "$kernel" -initrd "$initrd" \
    -append "console=ttyS0 panic=-1 quiet rcupdate.rcu_cpu_stall_suppress=1" \
    -serial "file:$console_log" -serial stdio -monitor none \
    "${drive_devices[@]}" \
    < /dev/null > "$log" || status=$?
end=$(date +%s%N)
tr -d '\r' < "$log"
elapsed_ms=$(( (end - start) / 1000000 ))
printf 'ZV-HOST boot, run and power-off took %d.%03d s (%s drive)\n' $((elapsed_ms / 1000)) $((elapsed_ms % 1000)) "$drive" >&2

exit_line=$(tr -d '\r' < "$log" | grep -a '^ZV-GUEST-EXIT ' | tail -n 1) || true
if [ $status -ne 0 ] || [ "$exit_line" != "ZV-GUEST-EXIT 0" ]; then
    echo "--- the guest kernel's console:" >&2
    tr -d '\r' < "$console_log" >&2 || true
fi
[ $status -ne 124 ] && [ $status -ne 137 ] || { echo "run_guest.sh: the guest did not finish within $timeout_s s" >&2; exit 124; }
[ $status -eq 0 ] || fail "qemu failed with status $status"
[ -n "$exit_line" ] || fail "the guest did not report an exit status"
exit "${exit_line#ZV-GUEST-EXIT }"
