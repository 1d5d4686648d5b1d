// BLANK and FORMAT UNIT: they change the disc at once and then keep the
// drive "not ready, in progress" for the time the work takes.
#include "core/commands.h"
#include "core/format_offers.h"
#include "core/timing.h"

namespace zelvane::vdrive {

namespace {

// The image's blocks are gone with the old layout, unless the format keeps them.
void runErase(CommandContext &ctx, Activity activity, int64_t duration, bool immediate, bool keepData = false)
{
    if (!keepData)
        ctx.store.clearImage();
    ctx.state.bufferFill = 0;
    if (immediate)
        startOperation(ctx.state, activity, ctx.now, duration);
    else if (ctx.state.speedMode == SpeedMode::Realtime)
        ctx.delayMs = duration;
    ctx.dirty = true;
}

void blank(CommandContext &ctx)
{
    const uint8_t type = ctx.at(1) & 0x07;
    const bool immediate = ctx.at(1) & 0x10;
    if (type > 1)
        sense::invalidFieldInCdb(); // only full and minimal blanking
    Disc &disc = ctx.state.disc;
    const MediaKind kind = disc.kind;
    if (kind != MediaKind::CdRw && kind != MediaKind::DvdRwSequential && kind != MediaKind::DvdRwRestricted)
        sense::incompatibleMedium();
    const int64_t duration = blankDurationMs(ctx.state, type == 1);
    disc.blank(type == 1);
    runErase(ctx, Activity::Blanking, duration, immediate);
}

void formatUnit(CommandContext &ctx)
{
    const uint8_t flags = ctx.at(1);
    if (!(flags & 0x10))
        sense::invalidFieldInCdb(); // a format descriptor is required
    if ((flags & 0x07) != 1 || (flags & 0x08))
        sense::invalidFieldInCdb();
    // The list is 4 header bytes and one 8-byte format descriptor.
    const auto list = ctx.parameters(ctx.data.size());
    if (list.size() < 12)
        sense::parameterListLengthError();
    const size_t descriptorLength = size_t{list[2]} << 8 | list[3];
    if (descriptorLength != 8)
        sense::invalidFieldInParameterList();
    const bool immediate = list[1] & 0x02;
    const uint8_t formatType = list[8] >> 2;
    const uint32_t blocks = uint32_t{list[4]} << 24 | uint32_t{list[5]} << 16 | uint32_t{list[6]} << 8 | list[7];
    const uint32_t parameter = uint32_t{list[9]} << 16 | uint32_t{list[10]} << 8 | list[11];
    // Only a format READ FORMAT CAPACITIES offers, with at most its blocks
    // (DVD+RW also takes "as many as fit") and its type dependent parameter.
    const auto offer = offeredFormat(ctx.state.disc, formatType);
    if (!offer)
        sense::invalidFieldInParameterList();
    const bool fitsAll = formatType == 0x26 && blocks == 0xFFFFFFFF;
    if (blocks == 0 || (blocks > offer->blocks && !fitsAll) || parameter != offer->parameter)
        sense::invalidFieldInParameterList();
    ctx.state.disc.format(formatType);
    runErase(ctx, Activity::Formatting, formatDurationMs(ctx.state, formatType), immediate, formatType == 0x13);
}

} // namespace

void addEraseCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0xA1, blank, true, false});
    table.push_back({0x04, formatUnit, true, false});
}

} // namespace zelvane::vdrive
