// The disc in the drive: sessions and tracks with their next writable
// addresses, and the rules by which recording, closing, reserving, blanking
// and formatting change them. Pure state; no file or time access.
#pragma once

#include "core/media.h"

#include <cstdint>
#include <vector>

namespace zelvane::vdrive {

struct Track {
    uint32_t number = 1;
    uint32_t session = 1;
    uint32_t start = 0;
    uint32_t recorded = 0; // blocks written from the start
    uint32_t reserved = 0; // reserved size in blocks, 0 when not reserved
    uint32_t size = 0;     // size once closed (run-out or padding included)
    bool closed = false;

    uint32_t nextWritable() const { return start + recorded; }
    bool invisible() const { return !closed && recorded == 0 && reserved == 0; }
    uint32_t end() const { return start + size; }
};

enum class DiscStatus : uint8_t { Blank = 0, Appendable = 1, Complete = 2, Other = 3 };
enum class SessionState : uint8_t { Empty = 0, Incomplete = 1, Damaged = 2, Complete = 3 };

// Distance from a closed session's end to the next session's first writable block.
inline constexpr uint32_t kCdFirstSessionGap = 11400; // lead-out 6750 + lead-in 4500 + pre-gap 150
inline constexpr uint32_t kCdLaterSessionGap = 6900;  // lead-out 2250 + lead-in 4500 + pre-gap 150
inline constexpr uint32_t kCdTrackPregap = 150;
inline constexpr uint32_t kCdRunOutBlocks = 2;        // run-out blocks ending a TAO track
inline constexpr uint32_t kDvdMinusBorderGap = 0x93B0; // border-out + next border-in
inline constexpr uint32_t kDvdPlusSessionGap = 0x3000; // session closure + next intro
inline constexpr uint32_t kEccBlock = 16;
// ATIP lead-in start of the emulated CD-R/RW dye (minute, second, frame).
inline constexpr uint8_t kAtipLeadIn[3] = {97, 26, 66};

struct Disc {
    MediaKind kind = MediaKind::None;
    uint32_t capacity = 0;
    std::vector<Track> tracks;
    bool finalized = false;
    bool formatted = false;      // DVD+RW, DVD-RAM: formatted; DVD-RW RO: always
    bool fullyFormatted = false; // DVD-RW RO: full format (else intermediate, growing)
    uint32_t writtenEnd = 0;     // overwritable media: highest written block + 1
    bool quickBlanked = false;   // DVD-RW after a minimal blank: disc-at-once only

    static Disc empty() { return Disc{}; }
    static Disc blank(MediaKind kind, uint32_t capacity);
    static Disc pressed(MediaKind kind, uint32_t blocks);

    const MediaTraits &traits() const { return traitsOf(kind); }
    bool present() const { return kind != MediaKind::None; }
    bool cd() const { return traits().cd; }
    Recording recording() const { return traits().recording; }

    uint32_t sessionCount() const;
    SessionState lastSessionState() const;
    DiscStatus status() const;
    uint32_t firstTrackOfSession(uint32_t session) const;
    uint32_t lastTrackOfSession(uint32_t session) const;

    const Track *trackByNumber(uint32_t number) const;
    const Track *trackContaining(uint32_t lba) const;
    const Track *invisibleTrack() const; // the open track ending the disc, if any
    const Track *writableTrackAt(uint32_t lba) const;

    // Figures as READ TRACK INFORMATION reports them.
    uint32_t reportedSize(const Track &track) const;
    uint32_t reportedFree(const Track &track) const;
    bool nextWritableValid(const Track &track) const;
    uint32_t reportedNextWritable(const Track &track) const;

    // End of the recorded area (the lead-out start of a sequential disc).
    uint32_t recordedEnd() const;
    bool readable(uint32_t lba) const;

    // Recording rules; each throws CommandFailure with the drive's sense.
    void checkWritable(uint32_t lba, uint32_t count) const;
    void record(uint32_t lba, uint32_t count);
    // The open track holds data up to `end` (session-at-once writes).
    void extendOpenTrack(uint32_t end);
    void closeTrack(uint32_t number);
    void closeSession(bool finalize);
    void reserveTrack(uint32_t blocks);
    void blank(bool minimal);
    void format(uint8_t formatType);

private:
    void appendInvisibleTrack(uint32_t session, uint32_t start);
    uint32_t lastSession() const;
};

} // namespace zelvane::vdrive
