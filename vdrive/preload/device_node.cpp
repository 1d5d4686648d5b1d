#include "preload/device_node.h"

#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zelvane::vdrive::preload {

namespace {

constexpr size_t kMaxDescriptors = 1 << 16;
constexpr unsigned kScsiCdromMajor = 11;

// Per descriptor: 0 when it is not the node's, else 1 + the reserved size
// and the time-out the program set on it.
std::array<std::atomic<int32_t>, kMaxDescriptors> gReserved{};
std::array<std::atomic<int32_t>, kMaxDescriptors> gTimeout{};

bool inRange(int fd) { return fd >= 0 && static_cast<size_t>(fd) < kMaxDescriptors; }

} // namespace

const char *devicePath()
{
    static const char *const path = [] {
        const char *configured = std::getenv("ZELVANE_VDRIVE_DEVICE");
        return configured && *configured == '/' ? configured : "/dev/sr0";
    }();
    return path;
}

bool isDevicePath(const char *path)
{
    if (!path)
        return false;
    if (std::strcmp(path, devicePath()) == 0)
        return true;
    // Only paths that spell the node differently need the longer look.
    if (path[0] != '/' || (!std::strstr(path, "//") && !std::strstr(path, "/.")))
        return false;
    return std::filesystem::path(path).lexically_normal() == std::filesystem::path(devicePath()).lexically_normal();
}

unsigned deviceMinor()
{
    static const unsigned minor = [] {
        const char *name = std::strrchr(devicePath(), '/');
        name = name ? name + 1 : devicePath();
        if (std::strncmp(name, "sr", 2) != 0)
            return 0u;
        char *end = nullptr;
        const unsigned long value = std::strtoul(name + 2, &end, 10);
        return end != name + 2 && *end == '\0' && value < 256 ? static_cast<unsigned>(value) : 0u;
    }();
    return minor;
}

dev_t deviceNumber() { return makedev(kScsiCdromMajor, deviceMinor()); }

bool isNodeDescriptor(int fd) { return inRange(fd) && gReserved[fd].load() != 0; }

void addNodeDescriptor(int fd)
{
    if (!inRange(fd))
        return;
    const NodeSettings defaults;
    gTimeout[fd] = defaults.timeoutJiffies;
    gReserved[fd] = defaults.reservedSize + 1;
}

void removeNodeDescriptor(int fd)
{
    if (inRange(fd))
        gReserved[fd] = 0;
}

NodeSettings nodeSettings(int fd)
{
    NodeSettings settings;
    if (isNodeDescriptor(fd)) {
        settings.reservedSize = gReserved[fd] - 1;
        settings.timeoutJiffies = gTimeout[fd];
    }
    return settings;
}

void setNodeSettings(int fd, const NodeSettings &settings)
{
    if (!isNodeDescriptor(fd))
        return;
    gReserved[fd] = settings.reservedSize + 1;
    gTimeout[fd] = settings.timeoutJiffies;
}

bool tracing()
{
    static const bool enabled = [] {
        const char *value = std::getenv("ZELVANE_VDRIVE_TRACE");
        return value && *value && std::strcmp(value, "0") != 0;
    }();
    return enabled;
}

void trace(const char *format, ...)
{
    if (!tracing())
        return;
    char line[1024];
    int length = std::snprintf(line, sizeof line, "zelvane-vdrive[%d]: ", static_cast<int>(::getpid()));
    va_list args;
    va_start(args, format);
    length += std::vsnprintf(line + length, sizeof line - static_cast<size_t>(length) - 1, format, args);
    va_end(args);
    length = std::min<int>(length, static_cast<int>(sizeof line) - 2);
    line[length++] = '\n';
    // Straight to the descriptor: no stdio state of the program is touched.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, static_cast<size_t>(length));
}

} // namespace zelvane::vdrive::preload
