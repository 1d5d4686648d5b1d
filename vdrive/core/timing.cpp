#include "core/timing.h"

#include <algorithm>
#include <cmath>

namespace zelvane::vdrive {

namespace {

constexpr int64_t kFastOperationMs = 1000;   // blank/format in fast mode: visible, but short
constexpr int64_t kFastShortOperationMs = 100;

bool fast(const DriveState &state) { return state.speedMode == SpeedMode::Fast; }

int64_t scaled(const DriveState &state, double realMs)
{
    return static_cast<int64_t>(std::llround(realMs * state.timeFactor));
}

// Time to pass the whole disc under the head at the current speed.
double fullDiscMs(const DriveState &state)
{
    const double bytesPerMs = std::max<double>(state.currentWriteSpeed(), 1) * 1024.0 / 1000.0;
    return double(state.disc.capacity) * 2048.0 / bytesPerMs;
}

} // namespace

double drainBytesPerMs(const DriveState &state)
{
    const double kbps = std::max<double>(state.currentWriteSpeed(), 1);
    return kbps * 1024.0 / 1000.0 / state.timeFactor;
}

void drainBuffer(DriveState &state, int64_t now)
{
    if (fast(state)) {
        state.bufferFill = 0; // drained at once; the time of it does not matter
        return;
    }
    if (now <= state.bufferStampMs)
        return;
    const double drained = double(now - state.bufferStampMs) * drainBytesPerMs(state);
    state.bufferFill = drained >= double(state.bufferFill) ? 0 : state.bufferFill - static_cast<uint64_t>(drained);
    state.bufferStampMs = now;
}

int64_t fillBuffer(DriveState &state, uint64_t bytes, int64_t now)
{
    drainBuffer(state, now);
    if (fast(state))
        return 0;
    const uint64_t total = state.bufferFill + bytes;
    if (total <= kBufferBytes) {
        state.bufferFill = total;
        return 0;
    }
    // The drive takes the data once enough has drained; the buffer is then full.
    const int64_t wait = static_cast<int64_t>(std::ceil(double(total - kBufferBytes) / drainBytesPerMs(state)));
    state.bufferFill = kBufferBytes;
    state.bufferStampMs = now + wait;
    return wait;
}

int64_t flushDurationMs(const DriveState &state)
{
    if (fast(state))
        return kFastShortOperationMs;
    return static_cast<int64_t>(std::ceil(double(state.bufferFill) / drainBytesPerMs(state))) + scaled(state, 500.0);
}

int64_t readDurationMs(const DriveState &state, uint64_t bytes)
{
    if (fast(state))
        return 0;
    const double bytesPerMs = std::max<double>(state.currentReadSpeed(), 1) * 1024.0 / 1000.0;
    return scaled(state, double(bytes) / bytesPerMs);
}

int64_t blankDurationMs(const DriveState &state, bool minimal)
{
    if (fast(state))
        return kFastOperationMs;
    if (minimal)
        return scaled(state, state.disc.cd() ? 45000.0 : 90000.0);
    return scaled(state, fullDiscMs(state));
}

int64_t formatDurationMs(const DriveState &state, uint8_t formatType)
{
    if (fast(state))
        return kFastOperationMs;
    switch (formatType) {
    case 0x26: // DVD+RW basic format: de-icing, the rest runs in the background
        return scaled(state, 60000.0);
    case 0x13:
    case 0x15: // DVD-RW quick formats
        return scaled(state, 90000.0);
    default: // full formats (DVD-RAM certifies: two passes)
        return scaled(state, fullDiscMs(state) * (state.disc.kind == MediaKind::DvdRam ? 2.0 : 1.0));
    }
}

int64_t closeDurationMs(const DriveState &state, bool session)
{
    if (fast(state))
        return kFastShortOperationMs;
    if (!session)
        return scaled(state, 2000.0);
    return scaled(state, state.disc.cd() ? 20000.0 : 30000.0);
}

int64_t loadDurationMs(const DriveState &state)
{
    return fast(state) ? 0 : scaled(state, 2000.0);
}

void startOperation(DriveState &state, Activity activity, int64_t now, int64_t durationMs)
{
    state.operation = Operation{activity, now, now + std::max<int64_t>(durationMs, 0)};
}

uint16_t operationProgress(const DriveState &state, int64_t now)
{
    const auto &op = state.operation;
    if (op.endMs <= op.startMs)
        return 0xFFFF;
    const double done = double(std::clamp(now, op.startMs, op.endMs) - op.startMs) / double(op.endMs - op.startMs);
    return static_cast<uint16_t>(std::min(done * 65536.0, 65535.0));
}

} // namespace zelvane::vdrive
