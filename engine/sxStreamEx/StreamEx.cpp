#include "sxStreamEx/StreamEx.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zelvane {

std::int64_t TStreamEx::GetSize()
{
    const std::int64_t position = Seek(0, soFromCurrent);
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

std::int32_t THandleStreamEx::Read(void *Buffer, std::int32_t Count)
{
    if (Count <= 0)
        return 0;
    ssize_t done;
    do {
        done = ::read(Handle, Buffer, static_cast<size_t>(Count));
    } while (done < 0 && errno == EINTR);
    return done < 0 ? 0 : static_cast<std::int32_t>(done);
}

std::int32_t THandleStreamEx::Write(const void *Buffer, std::int32_t Count)
{
    if (Count <= 0)
        return 0;
    ssize_t done;
    do {
        done = ::write(Handle, Buffer, static_cast<size_t>(Count));
    } while (done < 0 && errno == EINTR);
    return done < 0 ? 0 : static_cast<std::int32_t>(done);
}

std::int64_t THandleStreamEx::Seek(std::int64_t Offset, std::uint16_t Origin)
{
    const int whence = Origin == soFromCurrent ? SEEK_CUR : Origin == soFromEnd ? SEEK_END : SEEK_SET;
    return ::lseek(Handle, static_cast<off_t>(Offset), whence);
}

void THandleStreamEx::SetSize(std::int64_t NewSize)
{
    Seek(NewSize, soFromBeginning);
    if (::ftruncate(Handle, static_cast<off_t>(NewSize)) != 0)
        throw StreamError(std::strerror(errno));
}

namespace {

int openFile(const std::string &name, std::uint16_t mode)
{
    if (mode == fmCreate)
        return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
}

} // namespace

TFileStreamEx::TFileStreamEx(const std::string &FileName, std::uint16_t Mode)
    : THandleStreamEx(openFile(FileName, Mode))
{
    if (Handle < 0)
        throw StreamError(FileName + ": " + std::strerror(errno));
}

TFileStreamEx::~TFileStreamEx()
{
    if (Handle >= 0)
        ::close(Handle);
}

std::int64_t THandleStreamEx::ReadFully(void *Buffer, std::int64_t Count)
{
    auto *bytes = static_cast<char *>(Buffer);
    std::int64_t total = 0;
    while (total < Count) {
        const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(Count - total, 1 << 30));
        const std::int32_t got = Read(bytes + total, piece);
        if (got <= 0)
            break;
        total += got;
    }
    return total;
}

bool THandleStreamEx::WriteFully(const void *Buffer, std::int64_t Count)
{
    const auto *bytes = static_cast<const char *>(Buffer);
    std::int64_t total = 0;
    while (total < Count) {
        const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(Count - total, 1 << 30));
        const std::int32_t put = Write(bytes + total, piece);
        if (put <= 0)
            return false;
        total += put;
    }
    return true;
}

} // namespace zelvane
