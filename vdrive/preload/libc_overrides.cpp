// The C library functions a burning program reaches its drive with, replaced
// for the virtual drive's node: opening it gives a descriptor on the disc
// image (so plain reads, and programs that reopen /dev/fd/N, read the disc),
// stat tells a SCSI CD-ROM block device, ioctl and write go to the drive.
// Every other path and descriptor passes through to the C library unchanged.
#undef _FORTIFY_SOURCE
#include "preload/device_node.h"
#include "preload/node_requests.h"

#include "core/state_store.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zelvane::vdrive::preload {

namespace {

// The next definition of a C library function (the real one).
template <typename Function> Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

#define ZV_NEXT(name) static const auto real = next<decltype(&::name)>(#name)

// Opens the disc image behind a descriptor of the node.
int openNode(const char *path, int flags)
{
    if (const int error = openError(flags)) {
        trace("open %s: refused (%s)", path, std::strerror(error));
        errno = error;
        return -1;
    }
    ZV_NEXT(open);
    int fd = -1;
    try {
        // Taking the drive's lock makes its folder; asking its size makes the image.
        const StateStore store(StateStore::defaultFolder());
        {
            const auto lock = store.lock();
            store.imageBlocks();
        }
        fd = real(store.imagePath().c_str(), O_RDWR | (flags & O_CLOEXEC));
    } catch (const std::exception &) {
        fd = -1;
    }
    if (fd < 0) {
        trace("open %s: the drive's folder cannot be used", path);
        errno = EIO;
        return -1;
    }
    addNodeDescriptor(fd);
    trace("open %s -> %d", path, fd);
    return fd;
}

mode_t modeArgument(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

template <typename Stat> void describeNode(Stat &info)
{
    std::memset(&info, 0, sizeof info);
    info.st_dev = 5;
    info.st_ino = 0x5A00 + deviceMinor();
    info.st_mode = S_IFBLK | 0660;
    info.st_nlink = 1;
    info.st_uid = ::getuid();
    info.st_gid = ::getgid();
    info.st_rdev = deviceNumber();
    info.st_blksize = 4096;
}

template <typename Stat> void markNode(Stat &info)
{
    const auto inode = info.st_ino;
    describeNode(info);
    info.st_ino = inode;
}

void describeNode(struct statx &info)
{
    std::memset(&info, 0, sizeof info);
    info.stx_mask = STATX_BASIC_STATS;
    info.stx_blksize = 4096;
    info.stx_nlink = 1;
    info.stx_uid = ::getuid();
    info.stx_gid = ::getgid();
    info.stx_mode = S_IFBLK | 0660;
    info.stx_ino = 0x5A00 + deviceMinor();
    info.stx_rdev_major = major(deviceNumber());
    info.stx_rdev_minor = minor(deviceNumber());
    info.stx_dev_major = 0;
    info.stx_dev_minor = 5;
}

// A program started by one that had the node open inherits its descriptors
// but not this library's table: every descriptor on the drive's disc image
// is the node's.
__attribute__((constructor)) void adoptInheritedDescriptors()
{
    struct stat image {};
    try {
        const StateStore store(StateStore::defaultFolder());
        ZV_NEXT(stat);
        if (real(store.imagePath().c_str(), &image) != 0)
            return;
    } catch (const std::exception &) {
        return;
    }
    DIR *descriptors = ::opendir("/proc/self/fd");
    if (!descriptors)
        return;
    const int own = ::dirfd(descriptors);
    ZV_NEXT(fstat);
    while (const dirent *entry = ::readdir(descriptors)) {
        const int fd = std::atoi(entry->d_name);
        struct stat info {};
        if (fd != own && entry->d_name[0] != '.' && real(fd, &info) == 0 && info.st_dev == image.st_dev &&
            info.st_ino == image.st_ino) {
            addNodeDescriptor(fd);
            trace("descriptor %d: inherited", fd);
        }
    }
    ::closedir(descriptors);
}

// A path of the node gets the node's description.
template <typename Stat> bool describesNode(const char *path, Stat &info)
{
    if (!isDevicePath(path))
        return false;
    describeNode(info);
    return true;
}

} // namespace

} // namespace zelvane::vdrive::preload

using namespace zelvane::vdrive::preload;

extern "C" {

// Stat variants of the C library that older binaries still call.
int __xstat(int, const char *, struct stat *);
int __xstat64(int, const char *, struct stat64 *);
int __lxstat(int, const char *, struct stat *);
int __lxstat64(int, const char *, struct stat64 *);
int __fxstat(int, int, struct stat *);
int __fxstat64(int, int, struct stat64 *);
int __fxstatat(int, int, const char *, struct stat *, int);
int __fxstatat64(int, int, const char *, struct stat64 *, int);
int __open_2(const char *, int);
int __open64_2(const char *, int);
int __openat_2(int, const char *, int);
int __openat64_2(int, const char *, int);
int fcntl64(int, int, ...);

// open and openat with their 64-bit names: the node's path opens the node.
// `before` is the parameter openat has before the path, `passed` its name.
#define ZV_OPEN(name, before, passed)                                                                                  \
    __attribute__((visibility("default"))) int name(before const char *path, int flags, ...)                           \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, flags);                                                                                         \
        const mode_t mode = modeArgument(flags, args);                                                                 \
        va_end(args);                                                                                                  \
        if (isDevicePath(path))                                                                                        \
            return openNode(path, flags);                                                                              \
        ZV_NEXT(name);                                                                                                 \
        return real(passed path, flags, mode);                                                                         \
    }
#define ZV_DIRECTORY int dirfd,
#define ZV_PASS_DIRECTORY dirfd,

ZV_OPEN(open, , )
ZV_OPEN(open64, , )
ZV_OPEN(openat, ZV_DIRECTORY, ZV_PASS_DIRECTORY)
ZV_OPEN(openat64, ZV_DIRECTORY, ZV_PASS_DIRECTORY)

__attribute__((visibility("default"))) int __open_2(const char *path, int flags)
{
    return open(path, flags);
}

__attribute__((visibility("default"))) int __open64_2(const char *path, int flags)
{
    return open64(path, flags);
}

__attribute__((visibility("default"))) int __openat_2(int dirfd, const char *path, int flags)
{
    return openat(dirfd, path, flags);
}

__attribute__((visibility("default"))) int __openat64_2(int dirfd, const char *path, int flags)
{
    return openat64(dirfd, path, flags);
}

__attribute__((visibility("default"))) int close(int fd)
{
    removeNodeDescriptor(fd);
    ZV_NEXT(close);
    return real(fd);
}

__attribute__((visibility("default"))) int dup(int fd)
{
    ZV_NEXT(dup);
    const int copy = real(fd);
    if (copy >= 0 && isNodeDescriptor(fd)) {
        addNodeDescriptor(copy);
        setNodeSettings(copy, nodeSettings(fd));
    }
    return copy;
}

__attribute__((visibility("default"))) int dup2(int fd, int target)
{
    ZV_NEXT(dup2);
    const bool node = isNodeDescriptor(fd);
    const int copy = real(fd, target);
    if (copy >= 0 && copy != fd) {
        removeNodeDescriptor(copy);
        if (node)
            addNodeDescriptor(copy);
    }
    return copy;
}

__attribute__((visibility("default"))) int dup3(int fd, int target, int flags)
{
    ZV_NEXT(dup3);
    const bool node = isNodeDescriptor(fd);
    const int copy = real(fd, target, flags);
    if (copy >= 0) {
        removeNodeDescriptor(copy);
        if (node)
            addNodeDescriptor(copy);
    }
    return copy;
}

static int forwardFcntl(int (*real)(int, int, ...), int fd, int command, void *argument)
{
    const int result = real(fd, command, argument);
    if (result >= 0 && (command == F_DUPFD || command == F_DUPFD_CLOEXEC) && isNodeDescriptor(fd))
        addNodeDescriptor(result);
    return result;
}

__attribute__((visibility("default"))) int fcntl(int fd, int command, ...)
{
    va_list args;
    va_start(args, command);
    void *argument = va_arg(args, void *);
    va_end(args);
    ZV_NEXT(fcntl);
    return forwardFcntl(real, fd, command, argument);
}

__attribute__((visibility("default"))) int fcntl64(int fd, int command, ...)
{
    va_list args;
    va_start(args, command);
    void *argument = va_arg(args, void *);
    va_end(args);
    static const auto real = next<int (*)(int, int, ...)>("fcntl64");
    return forwardFcntl(real ? real : next<int (*)(int, int, ...)>("fcntl"), fd, command, argument);
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void *argument = va_arg(args, void *);
    va_end(args);
    if (isNodeDescriptor(fd))
        return nodeIoctl(fd, request, argument);
    ZV_NEXT(ioctl);
    return real(fd, request, argument);
}

__attribute__((visibility("default"))) ssize_t write(int fd, const void *buffer, size_t count)
{
    ZV_NEXT(write);
    if (!isNodeDescriptor(fd))
        return real(fd, buffer, count);
    const off_t position = ::lseek(fd, 0, SEEK_CUR);
    const ssize_t written = nodeWrite(buffer, count, position);
    if (written > 0)
        ::lseek(fd, position + written, SEEK_SET);
    return written;
}

__attribute__((visibility("default"))) ssize_t pwrite(int fd, const void *buffer, size_t count, off_t offset)
{
    ZV_NEXT(pwrite);
    return isNodeDescriptor(fd) ? nodeWrite(buffer, count, offset) : real(fd, buffer, count, offset);
}

__attribute__((visibility("default"))) ssize_t pwrite64(int fd, const void *buffer, size_t count, off64_t offset)
{
    ZV_NEXT(pwrite64);
    return isNodeDescriptor(fd) ? nodeWrite(buffer, count, offset) : real(fd, buffer, count, offset);
}

__attribute__((visibility("default"))) int access(const char *path, int mode)
{
    if (isDevicePath(path))
        return 0;
    ZV_NEXT(access);
    return real(path, mode);
}

__attribute__((visibility("default"))) int faccessat(int dirfd, const char *path, int mode, int flags)
{
    if (isDevicePath(path))
        return 0;
    ZV_NEXT(faccessat);
    return real(dirfd, path, mode, flags);
}

// stat and its relatives: the node's path and descriptors tell a block device.
// The __xstat family has a version parameter in front (`before`, `passed`).
#define ZV_STAT_BY_PATH(name, type, before, passed)                                                                    \
    __attribute__((visibility("default"))) int name(before const char *path, type *info)                               \
    {                                                                                                                  \
        if (describesNode(path, *info))                                                                                \
            return 0;                                                                                                  \
        ZV_NEXT(name);                                                                                                 \
        return real(passed path, info);                                                                                \
    }

#define ZV_STAT_BY_FD(name, type, before, passed)                                                                      \
    __attribute__((visibility("default"))) int name(before int fd, type *info)                                         \
    {                                                                                                                  \
        ZV_NEXT(name);                                                                                                 \
        const int result = real(passed fd, info);                                                                      \
        if (result == 0 && isNodeDescriptor(fd))                                                                       \
            markNode(*info);                                                                                           \
        return result;                                                                                                 \
    }

#define ZV_STAT_AT(name, type, before, passed)                                                                         \
    __attribute__((visibility("default"))) int name(before int dirfd, const char *path, type *info, int flags)         \
    {                                                                                                                  \
        if (describesNode(path, *info))                                                                                \
            return 0;                                                                                                  \
        ZV_NEXT(name);                                                                                                 \
        const int result = real(passed dirfd, path, info, flags);                                                      \
        if (result == 0 && (flags & AT_EMPTY_PATH) && !*path && isNodeDescriptor(dirfd))                               \
            markNode(*info);                                                                                           \
        return result;                                                                                                 \
    }
#define ZV_VERSION int version,
#define ZV_PASS_VERSION version,

ZV_STAT_BY_PATH(stat, struct stat, , )
ZV_STAT_BY_PATH(stat64, struct stat64, , )
ZV_STAT_BY_PATH(lstat, struct stat, , )
ZV_STAT_BY_PATH(lstat64, struct stat64, , )
ZV_STAT_BY_FD(fstat, struct stat, , )
ZV_STAT_BY_FD(fstat64, struct stat64, , )
ZV_STAT_AT(fstatat, struct stat, , )
ZV_STAT_AT(fstatat64, struct stat64, , )
ZV_STAT_BY_PATH(__xstat, struct stat, ZV_VERSION, ZV_PASS_VERSION)
ZV_STAT_BY_PATH(__xstat64, struct stat64, ZV_VERSION, ZV_PASS_VERSION)
ZV_STAT_BY_PATH(__lxstat, struct stat, ZV_VERSION, ZV_PASS_VERSION)
ZV_STAT_BY_PATH(__lxstat64, struct stat64, ZV_VERSION, ZV_PASS_VERSION)
ZV_STAT_BY_FD(__fxstat, struct stat, ZV_VERSION, ZV_PASS_VERSION)
ZV_STAT_BY_FD(__fxstat64, struct stat64, ZV_VERSION, ZV_PASS_VERSION)
ZV_STAT_AT(__fxstatat, struct stat, ZV_VERSION, ZV_PASS_VERSION)
ZV_STAT_AT(__fxstatat64, struct stat64, ZV_VERSION, ZV_PASS_VERSION)

__attribute__((visibility("default"))) int statx(int dirfd, const char *path, int flags, unsigned int mask,
                                                 struct statx *info)
{
    ZV_NEXT(statx);
    const bool byDescriptor = !*path && (flags & AT_EMPTY_PATH) && isNodeDescriptor(dirfd);
    if (isDevicePath(path) || byDescriptor) {
        describeNode(*info);
        return 0;
    }
    return real(dirfd, path, flags, mask, info);
}

} // extern "C"
