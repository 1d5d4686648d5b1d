#include "sxCDBC/FileExtraction.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxConst/ImageTexts.h"
#include "sxConst/ImportTexts.h"
#include "sxConst/TextFormat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zelvane {

namespace {

constexpr std::size_t kExtractBufferBytes = 65536;

// Permissions of a new file under the process's file mode mask.
mode_t newFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

timespec dateTimespec(TDateTime date)
{
    return timespec{unixFromLocalDateTime(date), 0};
}

// A temporary file beside the target; removed unless released.
class PartialFile {
public:
    explicit PartialFile(const std::string &target)
    {
        std::string pattern = folderOf(target) + "/.zelvane-extract-XXXXXX";
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ >= 0) {
            path_ = pattern;
            ::fchmod(fd_, newFileMode());
        }
    }
    ~PartialFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    PartialFile(const PartialFile &) = delete;
    PartialFile &operator=(const PartialFile &) = delete;

    int fd() const { return fd_; }
    // Closes the file and gives it the target's name.
    bool commit(const std::string &target)
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 || ::rename(path_.c_str(), target.c_str()) != 0)
            return false;
        path_.clear();
        return true;
    }

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace

bool setLocalDate(const std::string &path, TDateTime date)
{
    if (!std::isfinite(date))
        return false;
    const timespec times[2] = {dateTimespec(date), dateTimespec(date)};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

std::string extractDiscFile(DiscReader &reader, std::uint32_t location, std::uint32_t length, TDateTime date,
                            const std::string &target)
{
    PartialFile partial(target);
    if (partial.fd() < 0)
        return texts::fillText(texts::kCantCreateFile, target);

    std::vector<std::uint8_t> buffer(kExtractBufferBytes);
    std::uint64_t sector = location;
    for (std::uint32_t remaining = length; remaining > 0;) {
        const std::uint32_t chunk = std::min(remaining, kExtractChunkBytes);
        const std::uint32_t sectors = (chunk + 2047) / 2048;
        if (sector + sectors > kUnknownSectorLimit ||
            !reader.ReadSectors(static_cast<std::uint32_t>(sector), sectors, buffer)) {
            std::string error = texts::fillText(texts::kCantReadDiscFile, target);
            const std::string why = reader.LastError();
            return why.empty() ? error : error + " [" + why + "]";
        }
        if (!writeAll(partial.fd(), buffer.data(), chunk))
            return texts::fillText(texts::kCantWriteFile, target);
        sector += sectors;
        remaining -= chunk;
    }
    if (std::isfinite(date)) {
        const timespec times[2] = {dateTimespec(date), dateTimespec(date)};
        ::futimens(partial.fd(), times);
    }
    if (!partial.commit(target))
        return texts::fillText(texts::kCantCreateFile, target);
    return {};
}

std::string extractDiscFolder(const std::string &target, TDateTime date)
{
    struct stat info {};
    if (::mkdir(target.c_str(), 0777) != 0 &&
        !(errno == EEXIST && ::lstat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
        return texts::fillText(texts::kCantCreateFile, target);
    setLocalDate(target, date);
    return {};
}

bool TSarnixBurner::ExtractFile(const TFEntry &Entry, const std::string &TargetFile)
{
    std::string message(texts::kExtractingFile);
    const auto first = message.find("%s");
    message.replace(first, 2, Entry.LongName);
    message.replace(message.find("%s", first + Entry.LongName.size()), 2, TargetFile);
    EmitDebug(">>> " + message, 1);

    const std::string error =
        (Entry.Attr & faDirectory) != 0 || Entry.Directory
            ? extractDiscFolder(TargetFile, Entry.DateTime)
            : extractDiscFile(Reader(), Entry.IsoLocation, static_cast<std::uint32_t>(Entry.IsoDataLength),
                              Entry.DateTime, TargetFile);
    if (!error.empty())
        EmitDebug(error, 4);
    return error.empty();
}

} // namespace zelvane
