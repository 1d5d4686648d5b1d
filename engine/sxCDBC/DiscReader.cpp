#include "sxCDBC/DiscReader.h"

#include "sxConst/EngineTexts.h"
#include "sxDrvLib/ScsiDevice.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zelvane {

namespace {

constexpr std::uint32_t kSectorBytes = 2048;
constexpr std::uint32_t kMaxReadSectors = 0xFFFF;
// READ CAPACITY answers above this are no sector count (unformatted media).
constexpr std::uint32_t kImplausibleLastLba = 0x7F000000;

} // namespace

int DeviceDiscReader::RecordedSessions()
{
    return device_.RecordedSessions();
}

std::optional<SessionTrack> DeviceDiscReader::Track(std::uint32_t number)
{
    if (!device_.ReadTrackInformation(number))
        return std::nullopt;
    const TrackInfo info = device_.LastTrackInfo();
    return SessionTrack{info.trackStart, info.trackSize};
}

bool DeviceDiscReader::ReadSectors(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> buffer)
{
    if (count > kMaxReadSectors || std::uint64_t(count) * kSectorBytes > buffer.size())
        return false;
    return device_.Read10(lba, static_cast<std::uint16_t>(count), buffer);
}

std::uint32_t DeviceDiscReader::SectorLimit()
{
    std::uint32_t lastLba = 0, blockLength = 0;
    if (!device_.ReadCapacity(lastLba, blockLength) || lastLba >= kImplausibleLastLba)
        return kUnknownSectorLimit;
    return lastLba + 1;
}

std::string DeviceDiscReader::LastError() const
{
    return device_.LastErrorText();
}

ImageDiscReader::ImageDiscReader(std::vector<std::uint8_t> image, std::vector<std::uint32_t> sessionStarts)
    : image_(std::move(image)), sessionStarts_(std::move(sessionStarts))
{
    // The image ends on a whole sector; a torn last sector reads as zeros.
    image_.resize((image_.size() + kSectorBytes - 1) / kSectorBytes * kSectorBytes, 0);
    std::sort(sessionStarts_.begin(), sessionStarts_.end());
    const std::uint32_t limit = SectorLimit();
    std::erase_if(sessionStarts_, [limit](std::uint32_t start) { return start >= limit; });
}

std::optional<ImageDiscReader> ImageDiscReader::FromFile(const std::string &path,
                                                         std::vector<std::uint32_t> sessionStarts)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return std::nullopt;
    return ImageDiscReader(std::move(bytes), std::move(sessionStarts));
}

int ImageDiscReader::RecordedSessions()
{
    return static_cast<int>(sessionStarts_.size());
}

std::optional<SessionTrack> ImageDiscReader::Track(std::uint32_t number)
{
    if (number < 1 || number > sessionStarts_.size())
        return std::nullopt;
    const std::uint32_t start = sessionStarts_[number - 1];
    const std::uint32_t end = number < sessionStarts_.size() ? sessionStarts_[number] : SectorLimit();
    return SessionTrack{start, end - start};
}

bool ImageDiscReader::ReadSectors(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> buffer)
{
    const std::uint64_t end = std::uint64_t(lba) + count;
    if (std::uint64_t(count) * kSectorBytes > buffer.size() || end > SectorLimit()) {
        lastError_ = std::string(texts::kIllegalRequest);
        return false;
    }
    const bool damaged = std::any_of(badSectors_.begin(), badSectors_.end(),
                                     [&](std::uint32_t bad) { return bad >= lba && bad < end; });
    if (damaged) {
        lastError_ = std::string(texts::kMediumError);
        return false;
    }
    std::memcpy(buffer.data(), image_.data() + std::uint64_t(lba) * kSectorBytes, std::size_t(count) * kSectorBytes);
    lastError_.clear();
    return true;
}

std::uint32_t ImageDiscReader::SectorLimit()
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(image_.size() / kSectorBytes, kUnknownSectorLimit - 1));
}

} // namespace zelvane
