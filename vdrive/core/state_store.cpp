#include "core/state_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
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

// Makes a range of the file read as zeros without storing them, growing
// the file to its end as a write would; false when the file system cannot.
bool storeZeros(int fd, off_t offset, size_t count)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    const off_t end = offset + static_cast<off_t>(count);
    if (offset < info.st_size &&
        ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, offset, std::min(end, info.st_size) - offset) != 0)
        return false;
    return end <= info.st_size || ::ftruncate(fd, end) == 0;
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

// Which file a path names and how it looks; a replaced state file differs.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;

    explicit FileIdentity(const struct stat &info = {})
        : device(info.st_dev), inode(info.st_ino), size(info.st_size),
          modifiedNs(static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec)
    {
    }
    bool operator==(const FileIdentity &) const = default;
};

// What one process keeps of a drive folder between commands.
struct FolderFiles {
    std::mutex turn;  // held by the thread running a command
    int lockFd = -1;
    FileIdentity lockFile;
    int imageFd = -1;
    bool stateKnown = false;
    FileIdentity stateFile;
    DriveState state;

    void forget()
    {
        if (lockFd >= 0)
            ::close(lockFd);
        if (imageFd >= 0)
            ::close(imageFd);
        lockFd = imageFd = -1;
        stateKnown = false;
    }
    ~FolderFiles() { forget(); }
};

FolderFiles &filesOf(const std::filesystem::path &folder)
{
    static std::mutex registryMutex;
    static std::map<std::string, std::unique_ptr<FolderFiles>> registry;
    std::lock_guard guard(registryMutex);
    auto &files = registry[folder.lexically_normal().string()];
    if (!files)
        files = std::make_unique<FolderFiles>();
    return *files;
}

int imageHandle(const std::filesystem::path &folder)
{
    FolderFiles &files = filesOf(folder);
    if (files.imageFd < 0) {
        const auto path = folder / "disc.img";
        files.imageFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (files.imageFd < 0)
            ioFailure("cannot open", path);
    }
    return files.imageFd;
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

struct StateStore::Lock::Held {
    FolderFiles &files;
    std::unique_lock<std::mutex> turn;
};

StateStore::Lock::Lock(const std::filesystem::path &folder)
{
    FolderFiles &files = filesOf(folder);
    held_ = std::make_unique<Held>(Held{files, std::unique_lock(files.turn)});
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw std::runtime_error("cannot create " + folder.string() + ": " + ec.message());
    const auto lockFile = folder / "lock";
    // A folder removed and made again is a new drive: nothing kept applies.
    struct stat info {};
    if (files.lockFd < 0 || ::stat(lockFile.c_str(), &info) != 0 || FileIdentity(info).inode != files.lockFile.inode ||
        info.st_dev != files.lockFile.device) {
        files.forget();
        files.lockFd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (files.lockFd < 0 || ::fstat(files.lockFd, &info) != 0)
            ioFailure("cannot open", lockFile);
        files.lockFile = FileIdentity(info);
    }
    while (::flock(files.lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            files.forget();
            ioFailure("cannot lock", lockFile);
        }
    }
}

StateStore::Lock::~Lock()
{
    ::flock(held_->files.lockFd, LOCK_UN);
}

StateStore::Lock StateStore::lock() const
{
    return Lock(folder_);
}

DriveState StateStore::loadSaved() const
{
    const auto path = folder_ / "state";
    FolderFiles &files = filesOf(folder_);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return DriveState{};
        ioFailure("cannot open", path);
    }
    const FileIdentity identity(info);
    if (files.stateKnown && files.stateFile == identity)
        return files.state;
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
    DriveState state = DriveState::parse(text);
    files.state = state;
    files.stateFile = identity;
    files.stateKnown = true;
    return state;
}

DriveState StateStore::load() const
{
    DriveState state = loadSaved();
    includeImage(state, imageBlocks());
    return state;
}

void StateStore::save(const DriveState &state) const
{
    const auto path = folder_ / "state";
    const auto temp = folder_ / ("state.tmp." + std::to_string(::getpid()));
    const std::string text = state.serialize();
    FolderFiles &files = filesOf(folder_);
    files.stateKnown = false;
    struct stat info {};
    {
        FileHandle file(temp, O_WRONLY | O_CREAT | O_TRUNC, "cannot create");
        writeAll(file.fd(), reinterpret_cast<const uint8_t *>(text.data()), text.size(), 0, temp);
        if (::fstat(file.fd(), &info) != 0)
            ioFailure("cannot read", temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        ioFailure("cannot replace", path);
    }
    files.state = state;
    files.stateFile = FileIdentity(info);
    files.stateKnown = true;
}

void StateStore::includeImage(DriveState &state, uint32_t imageBlocks)
{
    Disc &disc = state.disc;
    if (!disc.present() || imageBlocks == 0)
        return;
    if (disc.recording() == Recording::Overwritable) {
        disc.writtenEnd = std::max(disc.writtenEnd, imageBlocks);
        return;
    }
    if (disc.recording() != Recording::Sequential)
        return;
    // The track that holds the image's last block is the one being written.
    const uint32_t last = imageBlocks - 1;
    Track *owner = nullptr;
    for (auto &track : disc.tracks)
        if (track.start <= last && (!owner || track.start >= owner->start))
            owner = &track;
    if (!owner || owner->closed || (owner->reserved && last - owner->start >= owner->reserved))
        return;
    if (owner->nextWritable() < imageBlocks)
        owner->recorded = imageBlocks - owner->start;
}

uint32_t StateStore::imageBlocks() const
{
    struct stat info {};
    if (::fstat(imageHandle(folder_), &info) != 0)
        ioFailure("cannot read", imagePath());
    return static_cast<uint32_t>(std::min<uint64_t>((uint64_t(info.st_size) + kSectorSize - 1) / kSectorSize, 0xFFFFFFFF));
}

void StateStore::readBlocks(uint32_t lba, std::span<uint8_t> out) const
{
    readAvailable(imageHandle(folder_), out.data(), out.size(), off_t{lba} * kSectorSize, imagePath());
}

void StateStore::writeBlocks(uint32_t lba, std::span<const uint8_t> in) const
{
    const int fd = imageHandle(folder_);
    const off_t offset = off_t{lba} * kSectorSize;
    // Zeros (an erase overwriting a whole disc) are kept as a hole of the
    // sparse image; they read back the same.
    if (allZero(in) && storeZeros(fd, offset, in.size()))
        return;
    writeAll(fd, in.data(), in.size(), offset, imagePath());
}

void StateStore::clearImage() const
{
    if (::ftruncate(imageHandle(folder_), 0) != 0)
        ioFailure("cannot truncate", imagePath());
}

uint32_t StateStore::importImage(const std::filesystem::path &source) const
{
    FileHandle in(source, O_RDONLY, "cannot open");
    clearImage();
    const int out = imageHandle(folder_);
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
        writeAll(out, buffer.data(), static_cast<size_t>(n), static_cast<off_t>(total), imagePath());
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
