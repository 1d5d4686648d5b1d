// READ CAPACITY, READ FORMAT CAPACITIES and READ BUFFER CAPACITY.
#include "core/commands.h"
#include "core/format_offers.h"
#include "core/timing.h"

namespace zelvane::vdrive {

namespace {

enum DescriptorType : uint8_t { Unformatted = 1, Formatted = 2, NoMedium = 3 };

void readCapacity(CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    uint32_t blocks = disc.recordedEnd();
    if (disc.recording() == Recording::Overwritable && disc.formatted)
        blocks = disc.reportedSize(disc.tracks.front());
    std::vector<uint8_t> answer(8, 0);
    putBe32(answer, 0, blocks ? blocks - 1 : 0);
    putBe32(answer, 4, kSectorSize);
    ctx.respond(answer, answer.size());
}

void appendCapacity(std::vector<uint8_t> &out, uint32_t blocks, uint8_t typeByte, uint32_t parameter)
{
    const size_t at = out.size();
    out.resize(at + 8, 0);
    putBe32(out, at, blocks);
    out[at + 4] = typeByte;
    out[at + 5] = static_cast<uint8_t>(parameter >> 16);
    out[at + 6] = static_cast<uint8_t>(parameter >> 8);
    out[at + 7] = static_cast<uint8_t>(parameter);
}

void readFormatCapacities(CommandContext &ctx)
{
    const DriveState &state = ctx.state;
    const Disc &disc = state.disc;
    std::vector<uint8_t> answer(4, 0);
    if (!state.mediumAccessible()) {
        appendCapacity(answer, traitsOf(MediaKind::DvdPlusR).defaultCapacity, NoMedium, kSectorSize);
    } else {
        const uint32_t capacity = disc.capacity;
        // The current/maximum descriptor, then every format the disc takes.
        const bool formatted = disc.kind == MediaKind::DvdPlusRw   ? disc.formatted
                               : disc.kind == MediaKind::DvdRwSequential ? disc.status() != DiscStatus::Blank
                                                                           : true;
        appendCapacity(answer, capacity, formatted ? Formatted : Unformatted, kSectorSize);
        for (const auto &offer : formatOffers(disc))
            appendCapacity(answer, offer.blocks, static_cast<uint8_t>(offer.type << 2), offer.parameter);
    }
    answer[3] = static_cast<uint8_t>(answer.size() - 4);
    ctx.respond(answer, ctx.be16(7));
}

void readBufferCapacity(CommandContext &ctx)
{
    drainBuffer(ctx.state, ctx.now);
    ctx.dirty = true;
    const bool inBlocks = ctx.at(1) & 0x01;
    const uint64_t freeBytes = kBufferBytes - std::min<uint64_t>(ctx.state.bufferFill, kBufferBytes);
    std::vector<uint8_t> answer(12, 0);
    putBe16(answer, 0, 10);
    if (inBlocks) {
        answer[7] = 0; // block data returned
        putBe32(answer, 8, static_cast<uint32_t>(freeBytes / kSectorSize));
    } else {
        putBe32(answer, 4, kBufferBytes);
        putBe32(answer, 8, static_cast<uint32_t>(freeBytes));
    }
    ctx.respond(answer, ctx.be16(7));
}

} // namespace

void addCapacityCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x25, readCapacity, true, false});
    table.push_back({0x23, readFormatCapacities, false, false});
    table.push_back({0x5C, readBufferCapacity, false, true});
}

} // namespace zelvane::vdrive
