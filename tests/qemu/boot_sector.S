/* Boot sector of the test floppy image: prints one line on COM1 and halts.
 * The BIOS loads it at 0000:7C00; link it there (ld -Ttext 0x7c00).
 * When QEMU has an isa-debug-exit device at port F4h, writing to it ends
 * QEMU at once; otherwise the machine just halts. */
    .code16
    .globl _start
_start:
    cli
    xorw %ax, %ax
    movw %ax, %ds
    movw %ax, %ss
    movw $0x7c00, %sp
    cld

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

    movw $message, %si
next_char:
    lodsb
    testb %al, %al
    jz done
    movb %al, %ah
    movw $0x3fd, %dx
wait_ready:
    inb %dx, %al
    testb $0x20, %al        /* transmitter holding register empty */
    jz wait_ready
    movb %ah, %al
    movw $0x3f8, %dx
    outb %al, %dx
    jmp next_char

done:
    movw $0xf4, %dx
    xorb %al, %al
    outb %al, %dx
halt:
    hlt
    jmp halt

message:
    .asciz "ZELVANE EL TORITO BOOT OK\r\n"

    .org 510
    .byte 0x55, 0xaa
