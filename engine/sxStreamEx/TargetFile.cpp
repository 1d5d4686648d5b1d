#include "sxStreamEx/TargetFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvane {

namespace {

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

bool isOtherThanRegularFile(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// A link is followed, so that the file it names gets the new contents.
std::string resolvedTarget(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

} // namespace

TTargetFileStream::TTargetFileStream(const std::string &Target)
    : THandleStreamEx(-1), target_(resolvedTarget(Target))
{
    if (isOtherThanRegularFile(target_)) {
        Handle = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    } else {
        std::string pattern = folderOf(target_) + "/.zelvane-XXXXXX";
        Handle = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (Handle >= 0) {
            temporary_ = pattern;
            ::fchmod(Handle, newFileMode());
        }
    }
    if (Handle < 0)
        throw StreamError(Target + ": " + std::strerror(errno));
}

TTargetFileStream::~TTargetFileStream()
{
    if (Handle >= 0)
        ::close(Handle);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

bool TTargetFileStream::Commit()
{
    const int handle = Handle;
    Handle = -1;
    if (::close(handle) != 0)
        return false;
    if (temporary_.empty())
        return true;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        return false;
    temporary_.clear();
    return true;
}

} // namespace zelvane
