// The device node the preload library pretends to be: its path, which file
// descriptors a program opened on it, and the settings the sg ioctls keep per
// descriptor. Every table here is a plain array, so it stays valid while the
// program exits and other libraries still close their files.
#pragma once

#include <cstdint>
#include <sys/types.h>

namespace zelvane::vdrive::preload {

// ZELVANE_VDRIVE_DEVICE, else /dev/sr0.
const char *devicePath();
// Whether a path names the node (an exact match; "/dev/sr0" and "/dev/./sr0"
// are the same node).
bool isDevicePath(const char *path);
// The minor number of the node: N of /dev/srN.
unsigned deviceMinor();
dev_t deviceNumber();

struct NodeSettings {
    int reservedSize = 32768; // SG_SET_RESERVED_SIZE
    int timeoutJiffies = 6000; // SG_SET_TIMEOUT, in clock ticks (USER_HZ)
};

bool isNodeDescriptor(int fd);
void addNodeDescriptor(int fd);
void removeNodeDescriptor(int fd);
NodeSettings nodeSettings(int fd);
void setNodeSettings(int fd, const NodeSettings &settings);

// Trace lines on standard error when ZELVANE_VDRIVE_TRACE is set.
bool tracing();
void trace(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace zelvane::vdrive::preload
