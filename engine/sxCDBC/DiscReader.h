// Where the session import and the extraction read a disc from: the drive
// through the device layer (READ DISC INFORMATION, READ TRACK INFORMATION,
// READ (10)), or an image held in memory, so that the same import code runs
// in unit tests and under a fuzzer.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelvane {

class TSCSIDevice;

// One track of a session.
struct SessionTrack {
    std::uint32_t start = 0; // first sector
    std::uint32_t size = 0;  // sectors
    bool data = true;        // a data track (an audio track holds no file system)
};

// One session: from the start of its first track to the end of its last.
struct SessionLayout {
    std::uint32_t start = 0;
    std::uint32_t size = 0;
    std::vector<SessionTrack> tracks;
};

inline constexpr std::uint32_t kUnknownSectorLimit = std::numeric_limits<std::uint32_t>::max();

class DiscReader {
public:
    virtual ~DiscReader() = default;

    // Sessions that hold data; 0 for an empty disc or one that cannot be read.
    virtual int RecordedSessions() = 0;
    // The tracks of a session (numbered from 1); nullopt when it cannot be read.
    virtual std::optional<SessionLayout> Session(std::uint32_t number) = 0;
    // Reads `count` 2048-byte sectors; the buffer must hold them.
    virtual bool ReadSectors(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> buffer) = 0;
    // First sector beyond the disc's recorded area; kUnknownSectorLimit when
    // the disc does not tell.
    virtual std::uint32_t SectorLimit() = 0;
    // Why the last read failed.
    virtual std::string LastError() const = 0;
};

// The disc in the selected drive.
class DeviceDiscReader : public DiscReader {
public:
    explicit DeviceDiscReader(TSCSIDevice &device) : device_(device) {}

    int RecordedSessions() override;
    // The session's first track by its session number, and the tracks after
    // it while they belong to it; a drive that cannot be asked by session
    // number has its tracks walked from the first.
    std::optional<SessionLayout> Session(std::uint32_t number) override;
    bool ReadSectors(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> buffer) override;
    std::uint32_t SectorLimit() override;
    std::string LastError() const override;

private:
    TSCSIDevice &device_;
};

// A track of a disc image: its first sector and session; it runs up to the
// next track or to the end of the image.
struct ImageTrack {
    std::uint32_t start = 0;
    std::uint32_t session = 1;
    bool data = true;
};

// A disc image in memory: sessions start at the given sectors (one session
// at sector 0 when none are given), each one data track that runs up to the
// next one or to the end of the image; or tracks as given.
class ImageDiscReader : public DiscReader {
public:
    explicit ImageDiscReader(std::vector<std::uint8_t> image, std::vector<std::uint32_t> sessionStarts = {0});
    ImageDiscReader(std::vector<std::uint8_t> image, std::vector<ImageTrack> tracks);
    // Reads an image file; nullopt when it cannot be read.
    static std::optional<ImageDiscReader> FromFile(const std::string &path,
                                                   std::vector<std::uint32_t> sessionStarts = {0});

    // Makes every read that touches this sector fail, as a damaged disc would.
    void FailReadsAt(std::uint32_t lba) { badSectors_.push_back(lba); }

    int RecordedSessions() override;
    std::optional<SessionLayout> Session(std::uint32_t number) override;
    bool ReadSectors(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> buffer) override;
    std::uint32_t SectorLimit() override;
    std::string LastError() const override { return lastError_; }

private:
    std::vector<std::uint8_t> image_;
    std::vector<ImageTrack> tracks_;
    std::vector<std::uint32_t> badSectors_;
    std::string lastError_;
};

} // namespace zelvane
