// Decoding of the answers that describe the disc: READ TRACK INFORMATION,
// READ DISC INFORMATION, READ CAPACITY and the ATIP of READ TOC format 4.
#pragma once

#include <cstdint>
#include <span>

namespace zelvane {

constexpr uint32_t kTrackInfoLength = 40;
constexpr uint32_t kDiscInfoLength = 56;
constexpr uint32_t kAtipLength = 26;
constexpr uint32_t kUnknownBlocks = 0xFFFFFFFF;

struct TrackInfo {
    uint16_t dataLength = 0;
    uint16_t number = 0;            // bytes 2 and 32
    uint16_t session = 0;           // bytes 3 and 33
    bool dataTrack = false;         // track mode (byte 5) bit 2: a data track
    uint32_t trackStart = 0;
    uint32_t nextWritable = 0;
    uint32_t freeBlocks = 0;
    uint32_t fixedPacketSize = 0;
    uint32_t trackSize = 0;
    uint32_t lastRecorded = 0;
    bool nextWritableValid = false; // byte 7 bit 0
};

// Where the track's data ends: its next writable address when that is
// valid, else the end of the track (a complete track has no writable address).
uint32_t TrackEnd(const TrackInfo &track);
TrackInfo DecodeTrackInfo(std::span<const uint8_t> answer);

struct DiscInfo {
    uint16_t dataLength = 0;
    uint8_t discStatus = 0;       // 0 empty, 1 incomplete, 2 complete, 3 other
    uint8_t lastSessionState = 0; // 0 empty, 1 incomplete, 2 reserved/damaged, 3 complete
    bool erasable = false;
    uint8_t sessions = 0;         // number of sessions, the empty last one included
    uint8_t firstTrackLastSession = 0;
};
DiscInfo DecodeDiscInfo(std::span<const uint8_t> answer);

// Sessions holding data: the count less the empty session an appendable disc
// reports last; 0 for an empty disc.
int RecordedSessionCount(const DiscInfo &info);

struct CapacityAnswer {
    uint32_t lastLba = 0;
    uint32_t blockLength = 0;
};
CapacityAnswer DecodeCapacity(std::span<const uint8_t> answer);

// Blocks before the last possible start of the lead-out (ATIP bytes 12..14,
// minute, second, frame); the 2-second pre-gap before LBA 0 is not user
// space. 0 when the time lies before LBA 0 or the answer is no ATIP.
uint32_t AtipLeadOutBlocks(std::span<const uint8_t> atip);

} // namespace zelvane
