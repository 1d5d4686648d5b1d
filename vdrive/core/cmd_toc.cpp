// READ TOC/PMA/ATIP: formatted TOC (0), session information (1), full TOC
// (2), PMA (3), ATIP (4) and CD-TEXT (5).
#include "core/commands.h"

#include <algorithm>
#include <array>

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

// One 11-byte entry of the full TOC or the PMA: session, ADR/control, POINT,
// the running time fields and the P time fields.
void appendEntry(std::vector<uint8_t> &out, uint8_t session, uint8_t adrControl, uint8_t point,
                 std::array<uint8_t, 3> time, uint8_t zero, std::array<uint8_t, 3> ptime)
{
    out.insert(out.end(), {session, adrControl, 0, point, time[0], time[1], time[2], zero, ptime[0], ptime[1], ptime[2]});
}

std::array<uint8_t, 3> msfOf(uint32_t lba)
{
    std::vector<uint8_t> bytes(4, 0);
    putMsf(bytes, 0, lba);
    return {bytes[1], bytes[2], bytes[3]};
}

constexpr std::array<uint8_t, 3> kNoTime{0, 0, 0};
constexpr uint8_t kDataTrack = 0x14;  // ADR 1, data track recorded uninterrupted
constexpr uint8_t kMode5Pointer = 0x54; // ADR 5, data

void fullToc(CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    if (!disc.cd())
        sense::invalidFieldInCdb();
    const auto tracks = tocTracks(disc);
    if (tracks.empty())
        sense::invalidFieldInCdb();
    const uint32_t firstSession = std::max<uint32_t>(ctx.at(6), 1);
    const uint32_t lastSession = tracks.back()->session;
    if (firstSession > lastSession)
        sense::invalidFieldInCdb();
    const bool recordable = disc.recording() == Recording::Sequential;
    std::vector<uint8_t> answer(4, 0);
    answer[2] = static_cast<uint8_t>(tracks.front()->session);
    answer[3] = static_cast<uint8_t>(lastSession);
    for (uint32_t session = firstSession; session <= lastSession; ++session) {
        std::vector<const Track *> own;
        for (const Track *track : tracks)
            if (track->session == session)
                own.push_back(track);
        if (own.empty())
            continue;
        const auto s = static_cast<uint8_t>(session);
        appendEntry(answer, s, kDataTrack, 0xA0, kNoTime, 0, {static_cast<uint8_t>(own.front()->number), 0x00, 0});
        appendEntry(answer, s, kDataTrack, 0xA1, kNoTime, 0, {static_cast<uint8_t>(own.back()->number), 0, 0});
        appendEntry(answer, s, kDataTrack, 0xA2, kNoTime, 0, msfOf(trackEnd(disc, *own.back())));
        for (const Track *track : own)
            appendEntry(answer, s, static_cast<uint8_t>(0x10 | controlOf(disc, *track)),
                        static_cast<uint8_t>(track->number), kNoTime, 0, msfOf(track->start));
        if (!recordable)
            continue;
        // Where the next session's program area starts, and the outermost lead-out.
        const Track *next = nullptr;
        for (const auto &track : disc.tracks)
            if (track.session == session + 1 && !next)
                next = &track;
        if (next)
            appendEntry(answer, s, kMode5Pointer, 0xB0, msfOf(next->start), session == 1 ? 2 : 1, msfOf(disc.capacity));
        if (session == 1)
            appendEntry(answer, s, kMode5Pointer, 0xC0, kNoTime, 0, {kAtipLeadIn[0], kAtipLeadIn[1], kAtipLeadIn[2]});
    }
    putBe16(answer, 0, static_cast<uint32_t>(answer.size() - 2));
    ctx.respond(answer, ctx.be16(7));
}

// The program memory area of a recordable CD: start and stop of every track written.
void pma(CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    if (disc.kind != MediaKind::CdR && disc.kind != MediaKind::CdRw)
        sense::invalidFieldInCdb();
    std::vector<uint8_t> answer(4, 0);
    for (const auto &track : disc.tracks) {
        const uint32_t end = track.closed ? track.end() : track.reserved ? track.start + track.reserved : 0;
        if (end > track.start)
            appendEntry(answer, 0, kDataTrack, static_cast<uint8_t>(track.number), msfOf(end - 1), 0,
                        msfOf(track.start));
    }
    putBe16(answer, 0, static_cast<uint32_t>(answer.size() - 2));
    ctx.respond(answer, ctx.be16(7));
}

// The discs of this drive carry no CD-TEXT: an empty list on CD media.
void cdText(CommandContext &ctx)
{
    if (!ctx.state.disc.cd())
        sense::invalidFieldInCdb();
    std::vector<uint8_t> answer(4, 0);
    putBe16(answer, 0, 2);
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
    case 2:
        fullToc(ctx);
        break;
    case 3:
        pma(ctx);
        break;
    case 4:
        atip(ctx);
        break;
    case 5:
        cdText(ctx);
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
