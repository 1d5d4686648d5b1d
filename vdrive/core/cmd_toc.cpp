// READ TOC/PMA/ATIP: formatted TOC (0), session information (1) and ATIP (4).
#include "core/commands.h"

namespace zelvane::vdrive {

namespace {

// Tracks that carry data and so appear in the table of contents.
std::vector<const Track *> tocTracks(const Disc &disc)
{
    std::vector<const Track *> tracks;
    for (const auto &track : disc.tracks) {
        const bool listed = disc.recording() == Recording::Overwritable ? disc.readable(track.start)
                            : disc.cd()                                  ? track.closed
                                                                         : !track.invisible();
        if (listed)
            tracks.push_back(&track);
    }
    return tracks;
}

uint32_t trackEnd(const Disc &disc, const Track &track)
{
    if (disc.recording() == Recording::Overwritable)
        return track.start + disc.reportedSize(track);
    return track.closed ? track.end() : track.nextWritable();
}

void putAddress(std::vector<uint8_t> &out, size_t index, uint32_t lba, bool msf)
{
    if (msf)
        putMsf(out, index, lba);
    else
        putBe32(out, index, lba);
}

void appendDescriptor(std::vector<uint8_t> &out, uint8_t number, uint8_t control, uint32_t lba, bool msf)
{
    const size_t at = out.size();
    out.resize(at + 8, 0);
    out[at + 1] = static_cast<uint8_t>(0x10 | control);
    out[at + 2] = number;
    putAddress(out, at + 4, lba, msf);
}

uint8_t controlOf(const Disc &disc, const Track &track)
{
    // Data track; incrementally recorded when it is still open.
    return static_cast<uint8_t>(disc.recording() == Recording::Sequential && !track.closed ? 0x05 : 0x04);
}

void formattedToc(CommandContext &ctx, bool msf)
{
    const Disc &disc = ctx.state.disc;
    const auto tracks = tocTracks(disc);
    if (tracks.empty())
        sense::invalidFieldInCdb(); // a blank disc has no table of contents
    const uint8_t startTrack = ctx.at(6);
    const uint8_t lastNumber = static_cast<uint8_t>(tracks.back()->number);
    if (startTrack != 0xAA && startTrack > lastNumber)
        sense::invalidFieldInCdb();
    std::vector<uint8_t> answer(4, 0);
    answer[2] = static_cast<uint8_t>(tracks.front()->number);
    answer[3] = lastNumber;
    for (const Track *track : tracks)
        if (startTrack != 0xAA && track->number >= startTrack)
            appendDescriptor(answer, static_cast<uint8_t>(track->number), controlOf(disc, *track), track->start, msf);
    appendDescriptor(answer, 0xAA, 0x04, trackEnd(disc, *tracks.back()), msf);
    putBe16(answer, 0, static_cast<uint32_t>(answer.size() - 2));
    ctx.respond(answer, ctx.be16(7));
}

void sessionInformation(CommandContext &ctx, bool msf)
{
    const Disc &disc = ctx.state.disc;
    const auto tracks = tocTracks(disc);
    if (tracks.empty())
        sense::invalidFieldInCdb();
    // The last session that holds a track of the table of contents.
    const uint32_t lastSession = tracks.back()->session;
    const Track *first = disc.trackByNumber(disc.firstTrackOfSession(lastSession));
    std::vector<uint8_t> answer(4, 0);
    answer[2] = 1;
    answer[3] = static_cast<uint8_t>(lastSession);
    appendDescriptor(answer, static_cast<uint8_t>(first->number), controlOf(disc, *first), first->start, msf);
    putBe16(answer, 0, static_cast<uint32_t>(answer.size() - 2));
    ctx.respond(answer, ctx.be16(7));
}

void atip(CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    const bool recordableCd = disc.kind == MediaKind::CdR || disc.kind == MediaKind::CdRw;
    if (!recordableCd || ctx.state.model.noAtip)
        sense::invalidFieldInCdb();
    std::vector<uint8_t> answer(28, 0);
    putBe16(answer, 0, 26);
    answer[4] = 0x50; // indicative writing power, reference speed
    answer[5] = 0x40; // unrestricted use
    answer[6] = disc.kind == MediaKind::CdRw ? 0xC8 : 0x80; // bit 7 always set; CD-RW high speed sub-type
    answer[8] = kAtipLeadIn[0];
    answer[9] = kAtipLeadIn[1];
    answer[10] = kAtipLeadIn[2];
    putMsf(answer, 11, disc.capacity); // last possible lead-out start at bytes 12..14
    answer[11] = 0;
    ctx.respond(answer, ctx.be16(7));
}

void readToc(CommandContext &ctx)
{
    const bool msf = ctx.at(1) & 0x02;
    uint8_t format = ctx.at(2) & 0x0F;
    if (format == 0 && (ctx.at(9) >> 6) != 0)
        format = ctx.at(9) >> 6; // the older format field in the control byte
    switch (format) {
    case 0:
        formattedToc(ctx, msf);
        break;
    case 1:
        sessionInformation(ctx, msf);
        break;
    case 4:
        atip(ctx);
        break;
    default:
        sense::invalidFieldInCdb();
    }
}

} // namespace

void addTocCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x43, readToc, true, false});
}

} // namespace zelvane::vdrive
