// CLOSE TRACK/SESSION, RESERVE TRACK, SEND OPC INFORMATION,
// SEND DVD STRUCTURE, SET STREAMING, SET CD SPEED and SEND CUE SHEET.
#include "core/at_once_recording.h"
#include "core/commands.h"
#include "core/timing.h"
#include "core/write_parameters.h"

#include <algorithm>

namespace zelvane::vdrive {

namespace {

void requireRecordable(const Disc &disc)
{
    if (disc.recording() == Recording::ReadOnly)
        sense::incompatibleMedium();
}

// Runs the time a close takes: in the background when immediate, else before answering.
void spendCloseTime(CommandContext &ctx, bool session)
{
    const int64_t duration = closeDurationMs(ctx.state, session);
    if (ctx.at(1) & 0x01)
        startOperation(ctx.state, Activity::Closing, ctx.now, duration);
    else if (ctx.state.speedMode == SpeedMode::Realtime)
        ctx.delayMs = duration;
}

void closeTrackSession(CommandContext &ctx)
{
    DriveState &state = ctx.state;
    Disc &disc = state.disc;
    requireRecordable(disc);
    if (state.faults.closeError)
        sense::sessionFixationError();
    const uint8_t function = ctx.at(2) & 0x07;
    const uint32_t track = ctx.be16(4);
    if (disc.recording() == Recording::Overwritable) {
        // The formatted area simply grows; closing only ends background work.
        if (function > 3)
            sense::invalidFieldInCdb();
        spendCloseTime(ctx, function != 1);
        ctx.dirty = true;
        return;
    }
    const bool plusR = disc.kind == MediaKind::DvdPlusR;
    const bool simulated = simulating(state);
    switch (function) {
    case 1:
        if (!simulated)
            disc.closeTrack(track);
        break;
    case 2:
        if (!simulated)
            disc.closeSession(plusR ? false : !nextSessionAllowed(state));
        break;
    case 5:
    case 6:
        if (!plusR)
            sense::invalidFieldInCdb();
        disc.closeSession(true);
        break;
    default:
        sense::invalidFieldInCdb();
    }
    spendCloseTime(ctx, function != 1);
    ctx.dirty = true;
}

void reserveTrack(CommandContext &ctx)
{
    if (ctx.at(1) & 0x01)
        sense::invalidFieldInCdb(); // reservation by address is not offered
    requireRecordable(ctx.state.disc);
    ctx.state.disc.reserveTrack(ctx.be32(5));
    ctx.dirty = true;
}

void sendOpcInformation(CommandContext &ctx)
{
    requireRecordable(ctx.state.disc);
    if ((ctx.at(1) & 0x01) && ctx.state.speedMode == SpeedMode::Realtime)
        ctx.delayMs = static_cast<int64_t>(1000 * ctx.state.timeFactor);
}

void sendDvdStructure(CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    if (disc.cd())
        sense::incompatibleMedium();
    requireRecordable(disc);
    const uint8_t format = ctx.at(7);
    const auto list = ctx.parameters(ctx.be16(8));
    const bool dvdMinus = disc.kind == MediaKind::DvdR || disc.kind == MediaKind::DvdRwSequential ||
                          disc.kind == MediaKind::DvdRwRestricted;
    switch (format) {
    case 0x0F: // time stamp, DVD-R/-RW only
        if (!dvdMinus)
            sense::invalidFieldInCdb();
        break;
    case 0x04: // user specific data
    case 0x05: // copyright management
    case 0x30: // disc control block
        break;
    default:
        sense::invalidFieldInCdb();
    }
    if (list.size() < 4 || list.size() < size_t{uint16_t(list[0] << 8 | list[1])} + 2u)
        sense::parameterListLengthError();
}

void setStreaming(CommandContext &ctx)
{
    const uint8_t type = ctx.at(8);
    const auto list = ctx.parameters(ctx.be16(9));
    if (type == 0x05)
        return; // DBI cache zone: nothing to keep
    if (type != 0x00)
        sense::invalidFieldInCdb();
    if (list.size() < 28)
        sense::parameterListLengthError();
    auto field = [&list](size_t at) {
        return uint32_t{list[at]} << 24 | uint32_t{list[at + 1]} << 16 | uint32_t{list[at + 2]} << 8 | list[at + 3];
    };
    const uint32_t writeSizeKB = field(20);
    const uint32_t writeTimeMs = field(24);
    if (writeTimeMs == 0)
        sense::invalidFieldInParameterList();
    const uint64_t kbps = uint64_t{writeSizeKB} * 1000 / writeTimeMs;
    ctx.state.requestedWriteSpeed = static_cast<uint32_t>(std::min<uint64_t>(kbps, 0xFFFF));
    ctx.dirty = true;
}

void sendCueSheet(CommandContext &ctx)
{
    DriveState &state = ctx.state;
    const Disc &disc = state.disc;
    if (!disc.cd() || disc.recording() != Recording::Sequential)
        sense::incompatibleMedium();
    if (writeType(state) != WriteType::SessionAtOnce)
        sense::commandSequenceError(); // a cue sheet belongs to session-at-once recording
    const uint32_t length = uint32_t{ctx.at(6)} << 16 | ctx.be16(7);
    const auto sheet = ctx.parameters(length);
    if (length == 0 || length % 8 != 0 || sheet.size() != length)
        sense::parameterListLengthError();
    if (!disc.invisibleTrack() || disc.invisibleTrack()->recorded != 0)
        sense::commandSequenceError();
    const SessionPlan plan = planSession(sheet, disc);
    state.cueSheet.assign(sheet.begin(), sheet.end());
    state.cueNext = plan.nextHostBlock(plan.points.front().lba);
    ctx.dirty = true;
}

void setCdSpeed(CommandContext &ctx)
{
    ctx.state.requestedReadSpeed = ctx.be16(2);
    ctx.state.requestedWriteSpeed = ctx.be16(4);
    ctx.dirty = true;
}

} // namespace

void addRecordingCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x5B, closeTrackSession, true, false});
    table.push_back({0x53, reserveTrack, true, false});
    table.push_back({0x54, sendOpcInformation, true, false});
    table.push_back({0xBF, sendDvdStructure, true, false});
    table.push_back({0xB6, setStreaming, false, false});
    table.push_back({0xBB, setCdSpeed, false, false});
    table.push_back({0x5D, sendCueSheet, true, false});
}

} // namespace zelvane::vdrive
