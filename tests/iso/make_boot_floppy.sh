#!/bin/bash
# Writes a 1.44 MB floppy image whose boot sector prints one line to the
# first serial port (0x3F8) and halts:  make_boot_floppy.sh OUT.img [TEXT]
# The line defaults to "ZELVANE BOOT OK".
set -euo pipefail
out=$1
text=${2:-ZELVANE BOOT OK}
[ ${#text} -le 400 ] || { echo "text too long" >&2; exit 2; }

# cli; cld; xor ax,ax; mov ds,ax; mov si,0x7C17; mov dx,0x3F8
# next: lodsb; test al,al; jz done; out dx,al; jmp next
# done: hlt; jmp done
# message (CR LF, zero-terminated) at offset 0x17
code='\xFA\xFC\x31\xC0\x8E\xD8\xBE\x17\x7C\xBA\xF8\x03\xAC\x84\xC0\x74\x03\xEE\xEB\xF8\xF4\xEB\xFD'
truncate -s 0 "$out"
truncate -s 1474560 "$out"
{ printf "$code"; printf '%s\r\n\0' "$text"; } | dd of="$out" conv=notrunc status=none
printf '\x55\xAA' | dd of="$out" bs=1 seek=510 conv=notrunc status=none
