#!/usr/bin/env bash
# Proves that images made by `zelvane-cli make-iso --boot` really boot: QEMU's
# BIOS boots the disc from its CD drive, the boot image's boot sector prints a
# line on COM1, reads the image's last sector through the BIOS and prints the
# text stored there. Two boot images: a 1.44 MB floppy, and a 4 KB hard disk
# image, small enough that the image is padded up to sector 150 behind it.
#
#   eltorito_boot_test.sh ZELVANE_CLI WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$1 work=$2
booted_line="ZELVANE EL TORITO BOOT OK"
last_sector_line="ZELVANE BOOT IMAGE LAST SECTOR READ"

rm -rf "$work"
mkdir -p "$work/tree"
echo "a file beside the boot image" > "$work/tree/readme.txt"

# boot_case NAME IMAGE_BYTES LAST_CX LAST_DH: builds the boot image, the disc
# and boots it.
boot_case() {
    local name=$1 bytes=$2 last_cx=$3 last_dh=$4
    local dir=$work/$name
    mkdir -p "$dir"
    as --32 --defsym LAST_CX="$last_cx" --defsym LAST_DH="$last_dh" -o "$dir/boot_sector.o" "$here/boot_sector.S"
    ld -m elf_i386 -Ttext 0x7c00 --oformat binary -o "$dir/boot_sector.bin" "$dir/boot_sector.o"
    truncate -s "$bytes" "$dir/boot.img"
    dd if="$dir/boot_sector.bin" of="$dir/boot.img" conv=notrunc status=none
    if [ "$name" = harddisk ]; then
        # One partition entry whose end gives the BIOS the geometry:
        # 1 cylinder, 1 head, 8 sectors of 512 bytes.
        printf '\x80\x00\x01\x00\x01\x00\x08\x00\x00\x00\x00\x00\x08\x00\x00\x00' |
            dd of="$dir/boot.img" bs=1 seek=446 conv=notrunc status=none
    fi
    printf '%s\r\n\0' "$last_sector_line" |
        dd of="$dir/boot.img" bs=512 seek=$((bytes / 512 - 1)) conv=notrunc status=none

    "$cli" make-iso -o "$dir/disc.iso" --boot "$dir/boot.img" "$work/tree" ||
        { echo "FAILED: make-iso refused the $name boot image"; return 1; }

    # The boot sector ends QEMU through the isa-debug-exit port (exit status
    # 1); the time-out only matters when nothing boots.
    local start end status=0
    start=$(date +%s%N)
    timeout --kill-after=5 30 qemu-system-x86_64 -nodefaults -display none -no-reboot -m 64 -accel tcg \
        -cdrom "$dir/disc.iso" -boot d -serial stdio -monitor none \
        -device isa-debug-exit,iobase=0xf4,iosize=0x04 < /dev/null > "$dir/serial.log" || status=$?
    end=$(date +%s%N)
    tr -d '\r' < "$dir/serial.log"
    local elapsed_ms=$(( (end - start) / 1000000 ))
    printf 'ZV-HOST %s El Torito boot took %d.%03d s (qemu status %d)\n' "$name" \
        $((elapsed_ms / 1000)) $((elapsed_ms % 1000)) $status

    local line
    for line in "$booted_line" "$last_sector_line"; do
        if ! tr -d '\r' < "$dir/serial.log" | grep -a -q -x "$line"; then
            echo "FAILED: \"$line\" did not appear on the serial port ($name boot image)"
            return 1
        fi
    done
    echo "PASSED: the disc booted its $name boot image and read the image's last sector"
}

failed=0
boot_case floppy 1474560 0x4f12 1 || failed=1
boot_case harddisk 4096 0x0008 0 || failed=1
exit $failed
