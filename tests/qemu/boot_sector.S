/* Boot sector of the test boot images. Prints a line on COM1, reads the
 * image's last 512-byte sector through the BIOS and prints the text found
 * there, so the whole image must sit where the boot catalog says. Then halts.
 * Assemble with --defsym LAST_CX=... --defsym LAST_DH=...: the cylinder,
 * sector and head of the last sector in INT 13h form (1.44 MB floppy:
 * CX 4F12h, DH 1).
 * The BIOS loads it at 0000:7C00; link it there (ld -Ttext 0x7c00).
 * When QEMU has an isa-debug-exit device at port F4h, writing to it ends
 * QEMU at once; otherwise the machine just halts. */
    .code16
    .globl _start
_start:
    cli
    xorw %ax, %ax
    movw %ax, %ds
    movw %ax, %es
    movw %ax, %ss
    movw $0x7c00, %sp
    sti
    cld
    movb %dl, boot_drive

    /* COM1: 115200 baud, 8 data bits, no parity, one stop bit. */
    movw $0x3f9, %dx
    xorb %al, %al
    outb %al, %dx           /* no interrupts */
    movw $0x3fb, %dx
    movb $0x80, %al
    outb %al, %dx           /* divisor latch on */
    movw $0x3f8, %dx
    movb $1, %al
    outb %al, %dx           /* divisor 1 */
    movw $0x3f9, %dx
    xorb %al, %al
    outb %al, %dx
    movw $0x3fb, %dx
    movb $0x03, %al
    outb %al, %dx           /* 8N1, divisor latch off */

    movw $booted, %si
    call print

    /* Last sector of the image into 0800:0000. */
    movw $0x0800, %ax
    movw %ax, %es
    xorw %bx, %bx
    movw $0x0201, %ax       /* read one sector */
    movw $LAST_CX, %cx      /* cylinder and sector */
    movb $LAST_DH, %dh      /* head */
    movb boot_drive, %dl
    int $0x13
    jc read_failed
    movb $0, %es:511        /* the text ends inside the sector */
    pushw %ds
    movw %es, %ax
    movw %ax, %ds
    xorw %si, %si
    call print
    popw %ds
    jmp done
read_failed:
    movw $failed, %si
    call print

done:
    movw $0xf4, %dx
    xorb %al, %al
    outb %al, %dx
halt:
    cli
    hlt
    jmp halt

/* Sends the zero-terminated text at DS:SI to COM1. */
print:
    lodsb
    testb %al, %al
    jz print_end
    movb %al, %ah
    movw $0x3fd, %dx
wait_ready:
    inb %dx, %al
    testb $0x20, %al        /* transmitter holding register empty */
    jz wait_ready
    movb %ah, %al
    movw $0x3f8, %dx
    outb %al, %dx
    jmp print
print_end:
    ret

boot_drive:
    .byte 0
booted:
    .asciz "ZELVANE EL TORITO BOOT OK\r\n"
failed:
    .asciz "ZELVANE BOOT IMAGE READ FAILED\r\n"

    .org 510
    .byte 0x55, 0xaa
