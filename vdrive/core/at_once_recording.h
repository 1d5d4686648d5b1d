// Recording at once. Session-at-once on CD: the plan of the session that SEND
// CUE SHEET gives, the writes that follow it from the first track's pre-gap
// (LBA -150 on a blank disc) up to the lead-out, and the session the drive
// lays down when the host flushes; the cue sheet's data forms govern the
// blocks, the write parameters page's data block type plays no part.
// Disc-at-once on DVD-R/-RW: the reserved track is written and the flush
// closes the disc.
#pragma once

#include "core/drive_state.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zelvane::vdrive {

struct CuePoint {
    int32_t lba = 0;       // where the point begins (LBA, -150 is the first pre-gap)
    uint8_t track = 0;     // 1..99
    uint8_t index = 0;     // 0 is a pre-gap
    bool hostData = false; // the host sends 2048-byte blocks for it (else the drive makes them)
};

struct SessionPlan {
    std::vector<CuePoint> points; // ascending, without lead-in and lead-out
    int32_t leadOut = 0;

    int32_t programStart() const; // index 1 of the first track
    // The first block at or after `lba` that the host sends; leadOut when none.
    int32_t nextHostBlock(int32_t lba) const;
};

// Checks a cue sheet against the disc's open track; throws CommandFailure
// with INVALID FIELD IN PARAMETER LIST for a sheet the drive cannot record.
SessionPlan planSession(std::span<const uint8_t> sheet, const Disc &disc);

// A WRITE in session-at-once, checked against the plan: how many of its
// blocks, counted from the first, lie before the program area (and are
// dropped), and the host's position after it.
struct SessionAtOnceWrite {
    uint32_t dropped = 0;
    int32_t next = 0;
};
SessionAtOnceWrite checkSessionAtOnceWrite(const DriveState &state, int32_t lba, uint32_t count);

// Lays the planned session on the disc once the host has sent blocks, and
// closes it (the disc too, unless the page allows a next session).
void finishSessionAtOnce(DriveState &state);

// Disc-at-once: a write must go to the reserved track; the flush after it
// closes the track and the disc.
void checkDiscAtOnceWrite(const Disc &disc, uint32_t lba);
void finishDiscAtOnce(DriveState &state);

} // namespace zelvane::vdrive
