// How long the drive's work takes: the buffer that drains at the selected
// write speed and the durations of blanking, formatting, closing and
// flushing. In fast mode everything is near-instant.
#pragma once

#include "core/drive_state.h"

#include <cstdint>

namespace zelvane::vdrive {

// Bytes the drive records per millisecond at the current speed (already scaled).
double drainBytesPerMs(const DriveState &state);
// Brings the buffer fill up to `now`.
void drainBuffer(DriveState &state, int64_t now);
// Adds a write to the buffer; returns how long the host must wait for room.
int64_t fillBuffer(DriveState &state, uint64_t bytes, int64_t now);
// Time SYNCHRONIZE CACHE takes: the buffer drains, then the drive settles.
int64_t flushDurationMs(const DriveState &state);

// Time reading `bytes` takes at the current read speed (0 in fast mode).
int64_t readDurationMs(const DriveState &state, uint64_t bytes);

int64_t blankDurationMs(const DriveState &state, bool minimal);
int64_t formatDurationMs(const DriveState &state, uint8_t formatType);
int64_t closeDurationMs(const DriveState &state, bool session);
int64_t loadDurationMs(const DriveState &state);

// Starts a long operation; the drive reports not ready until it ends.
void startOperation(DriveState &state, Activity activity, int64_t now, int64_t durationMs);
// Progress of the running operation as the sense-key specific field carries it.
uint16_t operationProgress(const DriveState &state, int64_t now);

} // namespace zelvane::vdrive
