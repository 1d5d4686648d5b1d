// What the node answers: SCSI commands passed with SG_IO or
// CDROM_SEND_PACKET go to the virtual drive; the sg, cdrom and block ioctls
// the burning programs use are answered from the drive's state; plain writes
// become WRITE (10) commands.
#pragma once

#include <cstddef>
#include <sys/types.h>

namespace zelvane::vdrive::preload {

// How opening the node with these flags ends: 0, or the errno the Linux
// CD-ROM driver gives (no medium, or a medium that cannot be written as a
// block device).
int openError(int flags);

// ioctl on a descriptor of the node: the result, or -1 with errno set.
int nodeIoctl(int fd, unsigned long request, void *argument);

// Writes whole 2048-byte blocks at a byte offset; -1 with errno on failure.
ssize_t nodeWrite(const void *buffer, size_t count, off_t offset);

} // namespace zelvane::vdrive::preload
