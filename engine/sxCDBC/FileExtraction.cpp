#include "sxCDBC/FileExtraction.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxConst/ImageTexts.h"
#include "sxConst/ImportTexts.h"
#include "sxConst/TextFormat.h"
#include "sxStreamEx/TargetFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zelvane {

namespace {

constexpr std::size_t kExtractBufferBytes = 65536;

timespec dateTimespec(TDateTime date)
{
    return timespec{unixFromLocalDateTime(date), 0};
}

} // namespace

bool setLocalDate(const std::string &path, TDateTime date)
{
    if (!std::isfinite(date))
        return false;
    const timespec times[2] = {dateTimespec(date), dateTimespec(date)};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

std::string extractDiscFile(DiscReader &reader, std::uint32_t location, std::uint64_t length, TDateTime date,
                            const std::string &target)
{
    std::unique_ptr<TTargetFileStream> partial;
    try {
        partial = std::make_unique<TTargetFileStream>(target);
    } catch (const StreamError &) {
        return texts::fillText(texts::kCantCreateFile, target);
    }

    std::vector<std::uint8_t> buffer(kExtractBufferBytes);
    std::uint64_t sector = location;
    for (std::uint64_t remaining = length; remaining > 0;) {
        const auto chunk = static_cast<std::uint32_t>(std::min<std::uint64_t>(remaining, kExtractChunkBytes));
        const std::uint32_t sectors = (chunk + 2047) / 2048;
        if (sector + sectors > kUnknownSectorLimit ||
            !reader.ReadSectors(static_cast<std::uint32_t>(sector), sectors, buffer)) {
            std::string error = texts::fillText(texts::kCantReadDiscFile, target);
            const std::string why = reader.LastError();
            return why.empty() ? error : error + " [" + why + "]";
        }
        if (!partial->WriteFully(buffer.data(), chunk))
            return texts::fillText(texts::kCantWriteFile, target);
        sector += sectors;
        remaining -= chunk;
    }
    if (std::isfinite(date)) {
        const timespec times[2] = {dateTimespec(date), dateTimespec(date)};
        ::futimens(partial->Handle, times);
    }
    if (!partial->Commit())
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
            : extractDiscFile(Reader(), Entry.IsoLocation, static_cast<std::uint64_t>(std::max<std::int64_t>(Entry.IsoDataLength, 0)),
                              Entry.DateTime, TargetFile);
    if (!error.empty())
        EmitDebug(error, 4);
    return error.empty();
}

} // namespace zelvane
