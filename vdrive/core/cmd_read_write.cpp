// READ (10), WRITE (10) and SYNCHRONIZE CACHE.
#include "core/at_once_recording.h"
#include "core/commands.h"
#include "core/timing.h"
#include "core/write_parameters.h"

namespace zelvane::vdrive {

namespace {

bool hits(uint32_t lba, uint32_t count, uint32_t address) { return address >= lba && address - lba < count; }

// A test write into a track reserved for the data (DVD-R) stays inside it.
bool inReservedTrack(const Disc &disc, uint32_t lba, uint32_t count)
{
    for (const Track &track : disc.tracks)
        if (!track.closed && track.reserved && lba >= track.nextWritable() &&
            uint64_t{lba} + count <= uint64_t{track.start} + track.reserved)
            return true;
    return false;
}

// The data buffer must hold the whole transfer.
std::span<uint8_t> transferBuffer(CommandContext &ctx, uint32_t count)
{
    const size_t bytes = size_t{count} * kSectorSize;
    if (ctx.data.size() < bytes)
        sense::invalidFieldInCdb();
    return ctx.data.first(bytes);
}

void read10(CommandContext &ctx)
{
    const uint32_t lba = ctx.be32(2);
    const uint32_t count = ctx.be16(7);
    if (count == 0)
        return;
    const Disc &disc = ctx.state.disc;
    if (uint64_t{lba} + count > disc.capacity)
        sense::lbaOutOfRange();
    for (uint32_t i = 0; i < count; ++i)
        if (!disc.readable(lba + i))
            sense::lbaOutOfRange();
    for (uint32_t bad : ctx.state.faults.readErrors)
        if (hits(lba, count, bad))
            sense::unrecoveredReadError();
    auto buffer = transferBuffer(ctx, count);
    ctx.store.readBlocks(lba, buffer);
    ctx.transferred = buffer.size();
    ctx.delayMs = readDurationMs(ctx.state, buffer.size());
}

// Session-at-once on CD: the blocks before the program area (the first
// track's pre-gap) are taken and dropped.
void writeSessionAtOnce(CommandContext &ctx, uint32_t lba, uint32_t count)
{
    DriveState &state = ctx.state;
    const auto write = checkSessionAtOnceWrite(state, static_cast<int32_t>(lba), count);
    for (const auto &fault : state.faults.writeErrors)
        if (hits(lba, count, fault.lba))
            fail(fault.key, fault.asc, fault.ascq);
    auto buffer = transferBuffer(ctx, count);
    if (write.dropped < count && !simulating(state)) {
        const uint32_t first = lba + write.dropped;
        ctx.store.writeBlocks(first, buffer.subspan(size_t{write.dropped} * kSectorSize));
        state.disc.extendOpenTrack(first + (count - write.dropped));
    }
    state.cueNext = write.next;
    ctx.dirty = true;
    ctx.delayMs = fillBuffer(state, buffer.size(), ctx.now);
    ctx.transferred = buffer.size();
}

void write10(CommandContext &ctx)
{
    const uint32_t lba = ctx.be32(2);
    const uint32_t count = ctx.be16(7);
    DriveState &state = ctx.state;
    checkWriteMode(state);
    if (count == 0)
        return;
    if (sessionAtOnce(state))
        return writeSessionAtOnce(ctx, lba, count);
    const bool simulate = simulating(state);
    if (simulate) {
        // A test write follows the host along the disc without recording anything.
        const Track *open = state.disc.invisibleTrack();
        if (!inReservedTrack(state.disc, lba, count) && (!open || lba < open->nextWritable()))
            sense::invalidAddressForWrite();
        if (uint64_t{lba} + count > state.disc.capacity)
            sense::lbaOutOfRange();
    } else {
        state.disc.checkWritable(lba, count);
        if (discAtOnce(state))
            checkDiscAtOnceWrite(state.disc, lba);
    }
    for (const auto &fault : state.faults.writeErrors)
        if (hits(lba, count, fault.lba))
            fail(fault.key, fault.asc, fault.ascq);
    auto buffer = transferBuffer(ctx, count);
    if (!simulate) {
        ctx.store.writeBlocks(lba, buffer);
        state.disc.record(lba, count);
    }
    ctx.delayMs = fillBuffer(state, buffer.size(), ctx.now);
    ctx.transferred = buffer.size();
    ctx.dirty = true;
}

// The flush also ends recording at once: the cue sheet's session is laid
// down on a CD, the reserved track and the disc are closed on a DVD-R/-RW.
void synchronizeCache(CommandContext &ctx)
{
    DriveState &state = ctx.state;
    if (state.faults.flushError)
        sense::writeError();
    drainBuffer(state, ctx.now);
    const int64_t duration = flushDurationMs(state);
    if (sessionAtOnce(state))
        finishSessionAtOnce(state);
    else if (discAtOnce(state))
        finishDiscAtOnce(state);
    if (ctx.at(1) & 0x02)
        startOperation(state, Activity::Flushing, ctx.now, duration);
    else if (state.speedMode == SpeedMode::Realtime)
        ctx.delayMs = duration;
    state.bufferFill = 0;
    state.bufferStampMs = ctx.now + duration;
    ctx.dirty = true;
}

} // namespace

void addReadWriteCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x28, read10, true, false});
    table.push_back({0x2A, write10, true, false});
    table.push_back({0x35, synchronizeCache, true, false});
}

} // namespace zelvane::vdrive
