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
// Track numbers that READ TRACK INFORMATION takes here.
constexpr std::uint32_t kMaxTrackNumber = 0xFF;

} // namespace

int DeviceDiscReader::RecordedSessions()
{
    return device_.RecordedSessions();
}

std::optional<SessionLayout> DeviceDiscReader::Session(std::uint32_t number)
{
    std::uint32_t track = 0;
    if (device_.ReadSessionTrackInformation(number))
        track = device_.LastTrackInfo().number;
    // A drive that cannot be asked by session number: its tracks are walked
    // until the session's first one.
    for (std::uint32_t candidate = 1; track == 0 && candidate <= kMaxTrackNumber; ++candidate) {
        if (!device_.ReadTrackInformation(candidate))
            return std::nullopt;
        if (device_.LastTrackInfo().session == number)
            track = candidate;
    }
    SessionLayout layout;
    for (; track <= kMaxTrackNumber; ++track) {
        if (!device_.ReadTrackInformation(track))
            break;
        const TrackInfo info = device_.LastTrackInfo();
        if (!layout.tracks.empty() && info.session != number)
            break;
        layout.tracks.push_back(SessionTrack{info.trackStart, info.trackSize, info.dataTrack});
    }
    if (layout.tracks.empty())
        return std::nullopt;
    layout.start = layout.tracks.front().start;
    const SessionTrack &last = layout.tracks.back();
    layout.size = last.start >= layout.start ? last.start - layout.start + last.size : 0;
    return layout;
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

namespace {

std::vector<ImageTrack> oneTrackPerSession(std::vector<std::uint32_t> starts)
{
    std::sort(starts.begin(), starts.end());
    std::vector<ImageTrack> tracks;
    for (std::size_t i = 0; i < starts.size(); ++i)
        tracks.push_back(ImageTrack{starts[i], static_cast<std::uint32_t>(i + 1), true});
    return tracks;
}

} // namespace

ImageDiscReader::ImageDiscReader(std::vector<std::uint8_t> image, std::vector<std::uint32_t> sessionStarts)
    : ImageDiscReader(std::move(image), oneTrackPerSession(std::move(sessionStarts)))
{
}

ImageDiscReader::ImageDiscReader(std::vector<std::uint8_t> image, std::vector<ImageTrack> tracks)
    : image_(std::move(image)), tracks_(std::move(tracks))
{
    // The image ends on a whole sector; a torn last sector reads as zeros.
    image_.resize((image_.size() + kSectorBytes - 1) / kSectorBytes * kSectorBytes, 0);
    std::stable_sort(tracks_.begin(), tracks_.end(),
                     [](const ImageTrack &a, const ImageTrack &b) { return a.start < b.start; });
    const std::uint32_t limit = SectorLimit();
    std::erase_if(tracks_, [limit](const ImageTrack &track) { return track.start >= limit; });
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
    return tracks_.empty() ? 0 : static_cast<int>(tracks_.back().session);
}

std::optional<SessionLayout> ImageDiscReader::Session(std::uint32_t number)
{
    SessionLayout layout;
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
        if (tracks_[i].session != number)
            continue;
        const std::uint32_t end = i + 1 < tracks_.size() ? tracks_[i + 1].start : SectorLimit();
        layout.tracks.push_back(SessionTrack{tracks_[i].start, end - tracks_[i].start, tracks_[i].data});
    }
    if (layout.tracks.empty())
        return std::nullopt;
    layout.start = layout.tracks.front().start;
    layout.size = layout.tracks.back().start + layout.tracks.back().size - layout.start;
    return layout;
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
