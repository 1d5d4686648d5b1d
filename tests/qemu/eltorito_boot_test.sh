#!/usr/bin/env bash
# Proves that an image made by `zelvane-cli make-iso --boot` really boots:
# a 1.44 MB floppy image whose boot sector prints a line on COM1 becomes the
# El Torito boot image, and QEMU's BIOS boots the disc from its CD drive.
#
#   eltorito_boot_test.sh ZELVANE_CLI WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$1 work=$2
booted_line="ZELVANE EL TORITO BOOT OK"
last_sector_line="ZELVANE FLOPPY LAST SECTOR READ"

rm -rf "$work"
mkdir -p "$work/tree"
as --32 -o "$work/boot_sector.o" "$here/boot_sector.S"
ld -m elf_i386 -Ttext 0x7c00 --oformat binary -o "$work/boot_sector.bin" "$work/boot_sector.o"
truncate -s 1474560 "$work/floppy.img"
dd if="$work/boot_sector.bin" of="$work/floppy.img" conv=notrunc status=none
printf '%s\r\n\0' "$last_sector_line" | dd of="$work/floppy.img" bs=512 seek=2879 conv=notrunc status=none
echo "a file beside the boot image" > "$work/tree/readme.txt"

"$cli" make-iso -o "$work/disc.iso" --boot "$work/floppy.img" "$work/tree" ||
    { echo "FAILED: make-iso refused the boot image"; exit 1; }

# The boot sector ends QEMU through the isa-debug-exit port (exit status 1);
# the time-out only matters when nothing boots.
start=$(date +%s%N)
status=0
timeout --kill-after=5 30 qemu-system-x86_64 -nodefaults -display none -no-reboot -m 64 -accel tcg \
    -cdrom "$work/disc.iso" -boot d -serial stdio -monitor none \
    -device isa-debug-exit,iobase=0xf4,iosize=0x04 < /dev/null > "$work/serial.log" || status=$?
end=$(date +%s%N)
tr -d '\r' < "$work/serial.log"
elapsed_ms=$(( (end - start) / 1000000 ))
printf 'ZV-HOST El Torito boot took %d.%03d s (qemu status %d)\n' $((elapsed_ms / 1000)) $((elapsed_ms % 1000)) $status

for line in "$booted_line" "$last_sector_line"; do
    if ! tr -d '\r' < "$work/serial.log" | grep -a -q -x "$line"; then
        echo "FAILED: \"$line\" did not appear on the serial port"
        exit 1
    fi
done
echo "PASSED: the disc booted its El Torito floppy image and read the image's last sector"
