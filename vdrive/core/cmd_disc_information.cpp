// READ DISC INFORMATION and READ TRACK INFORMATION.
#include "core/commands.h"

namespace zelvane::vdrive {

namespace {

void readDiscInformation(CommandContext &ctx)
{
    if (ctx.state.model.noDiscInformation)
        sense::invalidOpcode();
    if ((ctx.at(1) & 0x07) != 0)
        sense::invalidFieldInCdb(); // only standard disc information
    const Disc &disc = ctx.state.disc;
    const uint32_t sessions = disc.sessionCount();
    const uint32_t lastSession = sessions ? sessions : 1;
    const uint32_t firstTrack = disc.firstTrackOfSession(lastSession);
    const uint32_t lastTrack = disc.lastTrackOfSession(lastSession);
    std::vector<uint8_t> answer(34, 0);
    putBe16(answer, 0, 32);
    answer[2] = static_cast<uint8_t>((disc.traits().erasable ? 0x10 : 0) |
                                     static_cast<uint8_t>(disc.lastSessionState()) << 2 |
                                     static_cast<uint8_t>(disc.status()));
    answer[3] = 1;
    answer[4] = static_cast<uint8_t>(sessions);
    answer[5] = static_cast<uint8_t>(firstTrack);
    answer[6] = static_cast<uint8_t>(lastTrack);
    answer[7] = 0x20; // unrestricted use
    if (disc.kind == MediaKind::DvdPlusRw && disc.formatted)
        answer[7] |= 0x03; // background format complete
    answer[9] = static_cast<uint8_t>(sessions >> 8);
    answer[10] = static_cast<uint8_t>(firstTrack >> 8);
    answer[11] = static_cast<uint8_t>(lastTrack >> 8);
    const Track *open = disc.invisibleTrack();
    if (disc.cd() && disc.recording() == Recording::Sequential) {
        if (open) {
            // Lead-in of the next session: 4500 blocks plus the pre-gap before its first block.
            if (disc.status() == DiscStatus::Blank || open->start < 4500 + kCdTrackPregap)
                putBe32(answer, 16, uint32_t{kAtipLeadIn[0]} << 16 | uint32_t{kAtipLeadIn[1]} << 8 | kAtipLeadIn[2]);
            else
                putMsf(answer, 16, open->start - 4500 - kCdTrackPregap);
            putMsf(answer, 20, disc.capacity);
        } else {
            putBe32(answer, 16, 0xFFFFFFFF);
            putBe32(answer, 20, 0xFFFFFFFF);
        }
    } else if (disc.recording() == Recording::Sequential) {
        putBe32(answer, 16, open ? open->start : 0);
        putBe32(answer, 20, open ? disc.capacity : 0);
    }
    ctx.respond(answer, ctx.be16(7));
}

const Track *selectTrack(const CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    const uint32_t address = ctx.be32(2);
    switch (ctx.at(1) & 0x03) {
    case 0: // logical block address
        return disc.trackContaining(address);
    case 1: // track number; FFh is the invisible/incomplete track
        if (address == 0xFF)
            return disc.invisibleTrack();
        return disc.trackByNumber(address);
    case 2: { // session number: its first track
        if (address == 0 || address > disc.sessionCount())
            return nullptr;
        return disc.trackByNumber(disc.firstTrackOfSession(address));
    }
    default:
        return nullptr;
    }
}

void readTrackInformation(CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    const Track *track = selectTrack(ctx);
    if (!track)
        sense::invalidFieldInCdb();
    const bool sequential = disc.recording() == Recording::Sequential;
    std::vector<uint8_t> answer(48, 0);
    putBe16(answer, 0, 46);
    answer[2] = static_cast<uint8_t>(track->number);
    answer[3] = static_cast<uint8_t>(track->session);
    // Track mode: data, recorded uninterrupted (CD) or incrementally (DVD sequential).
    answer[5] = static_cast<uint8_t>(sequential && !disc.cd() ? 0x05 : 0x04);
    uint8_t flags = 0x01; // data mode 1
    if (sequential && !track->closed) {
        flags |= 0x20; // packet/incremental: still being written
        if (track->invisible())
            flags = disc.cd() ? 0x6F : 0x61; // blank, incremental, data mode unknown on CD
        if (track->reserved)
            flags |= 0x80; // reserved track
    }
    // Restricted overwrite is written in fixed packets of one ECC block;
    // sequential DVD tracks are not (FP clear), though their packets are one
    // ECC block too.
    const bool fixedPackets = disc.kind == MediaKind::DvdRwRestricted;
    if (fixedPackets)
        flags |= 0x30;
    answer[6] = flags;
    const bool nwaValid = disc.nextWritableValid(*track);
    const uint32_t size = disc.reportedSize(*track);
    const uint32_t recordedEnd = disc.recording() == Recording::Overwritable ? disc.writtenEnd
                                 : track->closed                             ? track->start + track->recorded
                                                                             : track->nextWritable();
    const bool lastRecordedValid = recordedEnd > track->start;
    answer[7] = static_cast<uint8_t>((lastRecordedValid ? 0x02 : 0) | (nwaValid ? 0x01 : 0));
    putBe32(answer, 8, track->start);
    putBe32(answer, 12, disc.reportedNextWritable(*track));
    putBe32(answer, 16, disc.reportedFree(*track));
    putBe32(answer, 20, fixedPackets || (sequential && !disc.cd()) ? 16 : 0);
    putBe32(answer, 24, size);
    putBe32(answer, 28, lastRecordedValid ? recordedEnd - 1 : 0);
    answer[32] = static_cast<uint8_t>(track->number >> 8);
    answer[33] = static_cast<uint8_t>(track->session >> 8);
    ctx.respond(answer, ctx.be16(7));
}

} // namespace

void addDiscInformationCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x51, readDiscInformation, true, false});
    table.push_back({0x52, readTrackInformation, true, false});
}

} // namespace zelvane::vdrive
