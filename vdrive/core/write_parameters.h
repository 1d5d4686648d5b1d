// The write parameters page (05h): its fields and the per-medium check of a
// page the host selects.
#pragma once

#include "core/drive_state.h"

#include <span>

namespace zelvane::vdrive {

enum class WriteType : uint8_t { Incremental = 0, TrackAtOnce = 1, SessionAtOnce = 2, Raw = 3 };

inline WriteType writeType(const DriveState &state) { return static_cast<WriteType>(state.writeParameters[2] & 0x0F); }
inline bool testWrite(const DriveState &state) { return state.writeParameters[2] & 0x10; }
// Test writing applies to CD-R/RW and DVD-R/-RW: the laser stays off, nothing is recorded.
bool simulating(const DriveState &state);
// Multi-session field 11b: another session may follow once this one is closed.
inline bool nextSessionAllowed(const DriveState &state) { return (state.writeParameters[3] >> 6) == 3; }
inline uint8_t dataBlockType(const DriveState &state) { return state.writeParameters[4] & 0x0F; }

// Session-at-once on a recordable CD; disc-at-once on DVD-R or sequential DVD-RW.
bool sessionAtOnce(const DriveState &state);
bool discAtOnce(const DriveState &state);

// Checks a page 05h (page code byte first) against the medium in the drive;
// throws CommandFailure with INVALID FIELD IN PARAMETER LIST when the drive
// cannot write that way.
void validateWriteParameters(std::span<const uint8_t> page, const DriveState &state);

// Refuses a write whose selected parameters do not suit the medium.
void checkWriteMode(const DriveState &state);

} // namespace zelvane::vdrive
