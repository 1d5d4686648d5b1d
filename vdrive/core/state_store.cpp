#include "core/state_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zelvane::vdrive {

namespace {

[[noreturn]] void ioFailure(const std::string &what, const std::filesystem::path &path)
{
    throw std::runtime_error(what + " " + path.string() + ": " + std::strerror(errno));
}

// A file descriptor closed on scope exit.
class FileHandle {
public:
    FileHandle(const std::filesystem::path &path, int flags, const char *what) : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644))
    {
        if (fd_ < 0)
            ioFailure(what, path);
    }
    ~FileHandle() { ::close(fd_); }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

void writeAll(int fd, const uint8_t *bytes, size_t count, off_t offset, const std::filesystem::path &path)
{
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, bytes, count, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ioFailure("cannot write", path);
        bytes += n;
        count -= static_cast<size_t>(n);
        offset += n;
    }
}

bool allZero(std::span<const uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

// Makes a range of the file read as zeros without storing them; false when
// the file system cannot.
bool punchHole(int fd, off_t offset, size_t count)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    if (offset >= info.st_size)
        return true; // past the end everything reads as zeros already
    return ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, offset, static_cast<off_t>(count)) == 0;
}

// Reads what the file holds at offset; the rest of the buffer is zero-filled.
void readAvailable(int fd, uint8_t *bytes, size_t count, off_t offset, const std::filesystem::path &path)
{
    std::memset(bytes, 0, count);
    while (count > 0) {
        const ssize_t n = ::pread(fd, bytes, count, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ioFailure("cannot read", path);
        if (n == 0)
            return;
        bytes += n;
        count -= static_cast<size_t>(n);
        offset += n;
    }
}

} // namespace

StateStore::StateStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path StateStore::defaultFolder()
{
    if (const char *dir = std::getenv("ZELVANE_VDRIVE_DIR"); dir && *dir)
        return dir;
    if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::filesystem::path(data) / "zelvane" / "vdrive";
    const char *home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share" / "zelvane" / "vdrive";
}

StateStore::Lock::Lock(const std::filesystem::path &lockFile)
{
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        ioFailure("cannot open", lockFile);
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd_);
            ioFailure("cannot lock", lockFile);
        }
    }
}

StateStore::Lock::~Lock()
{
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

StateStore::Lock StateStore::lock() const
{
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec)
        throw std::runtime_error("cannot create " + folder_.string() + ": " + ec.message());
    return Lock(folder_ / "lock");
}

DriveState StateStore::load() const
{
    const auto path = folder_ / "state";
    if (!std::filesystem::exists(path))
        return DriveState{};
    FileHandle file(path, O_RDONLY, "cannot open");
    std::string text;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(file.fd(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ioFailure("cannot read", path);
        if (n == 0)
            break;
        text.append(buf, static_cast<size_t>(n));
    }
    return DriveState::parse(text);
}

void StateStore::save(const DriveState &state) const
{
    const auto path = folder_ / "state";
    const auto temp = folder_ / ("state.tmp." + std::to_string(::getpid()));
    const std::string text = state.serialize();
    {
        FileHandle file(temp, O_WRONLY | O_CREAT | O_TRUNC, "cannot create");
        writeAll(file.fd(), reinterpret_cast<const uint8_t *>(text.data()), text.size(), 0, temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        ioFailure("cannot replace", path);
    }
}

void StateStore::readBlocks(uint32_t lba, std::span<uint8_t> out) const
{
    if (!std::filesystem::exists(imagePath())) {
        std::memset(out.data(), 0, out.size()); // nothing written yet
        return;
    }
    FileHandle file(imagePath(), O_RDONLY, "cannot open");
    readAvailable(file.fd(), out.data(), out.size(), off_t{lba} * kSectorSize, imagePath());
}

void StateStore::writeBlocks(uint32_t lba, std::span<const uint8_t> in) const
{
    FileHandle file(imagePath(), O_WRONLY | O_CREAT, "cannot open");
    const off_t offset = off_t{lba} * kSectorSize;
    // Zeros (an erase overwriting a whole disc) are kept as a hole of the
    // sparse image; they read back the same.
    if (allZero(in) && punchHole(file.fd(), offset, in.size()))
        return;
    writeAll(file.fd(), in.data(), in.size(), offset, imagePath());
}

void StateStore::clearImage() const
{
    FileHandle file(imagePath(), O_WRONLY | O_CREAT, "cannot open");
    if (::ftruncate(file.fd(), 0) != 0)
        ioFailure("cannot truncate", imagePath());
}

uint32_t StateStore::importImage(const std::filesystem::path &source) const
{
    FileHandle in(source, O_RDONLY, "cannot open");
    clearImage();
    FileHandle out(imagePath(), O_WRONLY, "cannot open");
    std::vector<uint8_t> buffer(1 << 20);
    uint64_t total = 0;
    for (;;) {
        const ssize_t n = ::read(in.fd(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ioFailure("cannot read", source);
        if (n == 0)
            break;
        writeAll(out.fd(), buffer.data(), static_cast<size_t>(n), static_cast<off_t>(total), imagePath());
        total += static_cast<uint64_t>(n);
    }
    const uint64_t blocks = (total + kSectorSize - 1) / kSectorSize;
    if (blocks == 0 || blocks > 0x7FFFFFFF)
        throw std::runtime_error("image " + source.string() + " is empty or too large");
    return static_cast<uint32_t>(blocks);
}

void StateStore::exportBlocks(const std::filesystem::path &target, uint32_t first, uint32_t count) const
{
    FileHandle out(target, O_WRONLY | O_CREAT | O_TRUNC, "cannot create");
    std::vector<uint8_t> buffer(256 * kSectorSize);
    uint32_t done = 0;
    while (done < count) {
        const uint32_t chunk = std::min<uint32_t>(count - done, 256);
        std::span<uint8_t> part(buffer.data(), size_t{chunk} * kSectorSize);
        readBlocks(first + done, part);
        writeAll(out.fd(), part.data(), part.size(), off_t{done} * kSectorSize, target);
        done += chunk;
    }
}

} // namespace zelvane::vdrive
