#include "core/disc.h"

#include "core/sense.h"

#include <algorithm>

namespace zelvane::vdrive {

namespace {

uint32_t alignUp(uint32_t value, uint32_t unit) { return (value + unit - 1) / unit * unit; }

} // namespace

Disc Disc::blank(MediaKind kind, uint32_t capacity)
{
    Disc disc;
    disc.kind = kind;
    disc.capacity = capacity;
    switch (disc.recording()) {
    case Recording::Sequential:
        disc.appendInvisibleTrack(1, 0);
        break;
    case Recording::Overwritable: {
        Track whole;
        whole.closed = true;
        disc.tracks.push_back(whole);
        // A new DVD+RW comes unformatted; DVD-RAM and DVD-RW RO come formatted.
        disc.formatted = kind != MediaKind::DvdPlusRw;
        disc.fullyFormatted = disc.formatted;
        break;
    }
    case Recording::ReadOnly:
        break;
    }
    return disc;
}

Disc Disc::pressed(MediaKind kind, uint32_t blocks)
{
    Disc disc;
    disc.kind = kind;
    disc.capacity = blocks;
    Track track;
    track.recorded = blocks;
    track.size = blocks;
    track.closed = true;
    disc.tracks.push_back(track);
    disc.finalized = true;
    return disc;
}

void Disc::appendInvisibleTrack(uint32_t session, uint32_t start)
{
    Track track;
    track.number = tracks.empty() ? 1 : tracks.back().number + 1;
    track.session = session;
    track.start = start;
    tracks.push_back(track);
}

uint32_t Disc::lastSession() const { return tracks.empty() ? 1 : tracks.back().session; }

uint32_t Disc::sessionCount() const { return present() ? lastSession() : 0; }

SessionState Disc::lastSessionState() const
{
    if (recording() != Recording::Sequential) {
        if (kind == MediaKind::DvdPlusRw && !formatted)
            return SessionState::Empty;
        return SessionState::Complete;
    }
    if (finalized)
        return SessionState::Complete;
    const uint32_t session = lastSession();
    for (const auto &track : tracks)
        if (track.session == session && !track.invisible())
            return SessionState::Incomplete;
    return SessionState::Empty;
}

DiscStatus Disc::status() const
{
    switch (recording()) {
    case Recording::ReadOnly:
        return DiscStatus::Complete;
    case Recording::Overwritable:
        if (kind == MediaKind::DvdRam)
            return DiscStatus::Other;
        return formatted ? DiscStatus::Complete : DiscStatus::Blank;
    case Recording::Sequential:
        break;
    }
    if (finalized)
        return DiscStatus::Complete;
    if (tracks.size() == 1 && tracks.front().invisible())
        return DiscStatus::Blank;
    return DiscStatus::Appendable;
}

uint32_t Disc::firstTrackOfSession(uint32_t session) const
{
    for (const auto &track : tracks)
        if (track.session == session)
            return track.number;
    return tracks.empty() ? 1 : tracks.back().number;
}

uint32_t Disc::lastTrackOfSession(uint32_t session) const
{
    uint32_t last = firstTrackOfSession(session);
    for (const auto &track : tracks)
        if (track.session == session)
            last = track.number;
    return last;
}

const Track *Disc::trackByNumber(uint32_t number) const
{
    for (const auto &track : tracks)
        if (track.number == number)
            return &track;
    return nullptr;
}

const Track *Disc::trackContaining(uint32_t lba) const
{
    for (const auto &track : tracks) {
        const uint32_t size = reportedSize(track);
        if (lba >= track.start && lba - track.start < size)
            return &track;
    }
    return nullptr;
}

const Track *Disc::invisibleTrack() const
{
    if (recording() != Recording::Sequential || finalized || tracks.empty() || tracks.back().closed)
        return nullptr;
    return &tracks.back();
}

const Track *Disc::writableTrackAt(uint32_t lba) const
{
    for (const auto &track : tracks) {
        const bool full = track.reserved && track.recorded >= track.reserved;
        if (!track.closed && !full && track.nextWritable() == lba)
            return &track;
    }
    return nullptr;
}

uint32_t Disc::reportedSize(const Track &track) const
{
    switch (recording()) {
    case Recording::ReadOnly:
        return track.size;
    case Recording::Overwritable:
        if (kind == MediaKind::DvdRwRestricted && !fullyFormatted)
            return writtenEnd;
        return capacity;
    case Recording::Sequential:
        break;
    }
    if (track.closed)
        return track.size;
    if (track.reserved)
        return track.reserved;
    return capacity > track.start ? capacity - track.start : 0;
}

uint32_t Disc::reportedFree(const Track &track) const
{
    switch (recording()) {
    case Recording::ReadOnly:
        return 0;
    case Recording::Overwritable:
        if (kind == MediaKind::DvdRwRestricted && !fullyFormatted)
            return capacity - writtenEnd;
        return capacity;
    case Recording::Sequential:
        break;
    }
    if (track.closed)
        return 0;
    const uint32_t limit = track.reserved ? track.start + track.reserved : capacity;
    return limit > track.nextWritable() ? limit - track.nextWritable() : 0;
}

bool Disc::nextWritableValid(const Track &track) const
{
    switch (recording()) {
    case Recording::ReadOnly:
        return false;
    case Recording::Overwritable:
        return formatted;
    case Recording::Sequential:
        return !track.closed && !finalized;
    }
    return false;
}

uint32_t Disc::reportedNextWritable(const Track &track) const
{
    if (!nextWritableValid(track))
        return 0;
    if (recording() == Recording::Overwritable)
        return kind == MediaKind::DvdRwRestricted && !fullyFormatted ? writtenEnd : 0;
    return track.nextWritable();
}

uint32_t Disc::recordedEnd() const
{
    switch (recording()) {
    case Recording::ReadOnly:
        return capacity;
    case Recording::Overwritable:
        return writtenEnd;
    case Recording::Sequential:
        break;
    }
    uint32_t end = 0;
    for (const auto &track : tracks)
        if (!track.invisible())
            end = std::max(end, track.closed ? track.end() : track.nextWritable());
    return end;
}

bool Disc::readable(uint32_t lba) const
{
    switch (recording()) {
    case Recording::ReadOnly:
        return lba < capacity;
    case Recording::Overwritable:
        if (!formatted)
            return false;
        return lba < (kind == MediaKind::DvdRwRestricted && !fullyFormatted ? writtenEnd : capacity);
    case Recording::Sequential:
        break;
    }
    for (const auto &track : tracks) {
        if (lba < track.start)
            continue;
        const uint32_t offset = lba - track.start;
        if (offset < track.recorded)
            return true;
        // Padding up to the ECC block of a closed DVD track reads as zeros.
        if (track.closed && !cd() && offset < track.size)
            return true;
    }
    return false;
}

void Disc::checkWritable(uint32_t lba, uint32_t count) const
{
    switch (recording()) {
    case Recording::ReadOnly:
        sense::writeProtected();
    case Recording::Overwritable:
        if (!formatted)
            sense::cannotWriteIncompatibleFormat();
        if (uint64_t{lba} + count > capacity)
            sense::lbaOutOfRange();
        if (kind == MediaKind::DvdRwRestricted) {
            // Restricted overwrite takes whole 16-block packets, and an
            // intermediate-state disc grows only at its end.
            if (lba % kEccBlock != 0 || count % kEccBlock != 0)
                sense::invalidAddressForWrite();
            if (!fullyFormatted && lba > writtenEnd)
                sense::invalidAddressForWrite();
        }
        return;
    case Recording::Sequential:
        break;
    }
    if (finalized)
        sense::invalidAddressForWrite();
    const Track *track = writableTrackAt(lba);
    if (!track)
        sense::invalidAddressForWrite();
    const uint32_t limit = track->reserved ? track->start + track->reserved : capacity;
    if (uint64_t{lba} + count > limit)
        sense::lbaOutOfRange();
}

void Disc::record(uint32_t lba, uint32_t count)
{
    checkWritable(lba, count);
    if (recording() == Recording::Overwritable) {
        writtenEnd = std::max(writtenEnd, lba + count);
        return;
    }
    const Track *target = writableTrackAt(lba);
    tracks[static_cast<size_t>(target - tracks.data())].recorded += count;
}

void Disc::extendOpenTrack(uint32_t end)
{
    if (recording() != Recording::Sequential || tracks.empty() || tracks.back().closed)
        return;
    Track &open = tracks.back();
    if (end > open.start)
        open.recorded = std::max(open.recorded, std::min(end, capacity) - open.start);
}

void Disc::closeTrack(uint32_t number)
{
    if (recording() != Recording::Sequential)
        return; // overwritable media: the volume simply grows
    if (finalized)
        sense::commandSequenceError();
    Track *target = nullptr;
    for (auto &track : tracks) {
        const bool wanted = number == 0xFF ? !track.closed && !track.invisible() : track.number == number;
        if (wanted)
            target = &track;
    }
    if (!target) {
        if (number == 0xFF)
            return; // only the empty invisible track is open: nothing to close
        sense::invalidFieldInCdb();
    }
    if (target->closed || target->invisible())
        return;
    const bool wasLast = target == &tracks.back();
    if (target->reserved)
        target->size = target->reserved;
    else
        target->size = cd() ? target->recorded + kCdRunOutBlocks : alignUp(target->recorded, kEccBlock);
    target->closed = true;
    if (wasLast) {
        const uint32_t next = target->end() + (cd() ? kCdTrackPregap : 0);
        if (next < capacity)
            appendInvisibleTrack(target->session, next);
    }
}

void Disc::closeSession(bool finalize)
{
    if (recording() != Recording::Sequential)
        return;
    if (finalized)
        sense::commandSequenceError();
    const uint32_t session = lastSession();
    bool hasData = false;
    for (const auto &track : tracks)
        hasData = hasData || (track.session == session && !track.invisible());
    if (!hasData) {
        // An appendable disc whose last session is still empty can only be finalised.
        if (!finalize || session == 1)
            sense::commandSequenceError();
        tracks.pop_back();
        finalized = true;
        return;
    }
    for (auto &track : tracks)
        if (track.session == session && !track.closed && !track.invisible())
            closeTrack(track.number);
    while (!tracks.empty() && tracks.back().invisible())
        tracks.pop_back();
    const uint32_t leadOut = tracks.back().end();
    if (finalize) {
        finalized = true;
        return;
    }
    uint32_t next = 0;
    if (cd())
        next = leadOut + (session == 1 ? kCdFirstSessionGap : kCdLaterSessionGap);
    else
        next = alignUp(leadOut, kEccBlock) + (kind == MediaKind::DvdPlusR ? kDvdPlusSessionGap : kDvdMinusBorderGap);
    if (next >= capacity) {
        finalized = true; // no room for another session
        return;
    }
    appendInvisibleTrack(session + 1, next);
}

void Disc::reserveTrack(uint32_t blocks)
{
    if (recording() != Recording::Sequential || finalized)
        sense::commandSequenceError();
    Track &last = tracks.back();
    if (!last.invisible())
        sense::commandSequenceError();
    if (blocks == 0)
        sense::invalidFieldInCdb();
    if (!cd())
        blocks = alignUp(blocks, kEccBlock);
    if (uint64_t{last.start} + blocks > capacity)
        sense::invalidFieldInCdb();
    last.reserved = blocks;
    const uint32_t next = last.start + blocks + (cd() ? kCdTrackPregap : 0);
    if (next < capacity)
        appendInvisibleTrack(last.session, next);
}

void Disc::blank(bool minimal)
{
    const MediaKind blankKind = kind == MediaKind::DvdRwRestricted ? MediaKind::DvdRwSequential : kind;
    const bool dvdRw = blankKind == MediaKind::DvdRwSequential;
    *this = Disc::blank(blankKind, capacity);
    quickBlanked = minimal && dvdRw;
}

void Disc::format(uint8_t formatType)
{
    switch (kind) {
    case MediaKind::DvdPlusRw:
        if (formatType != 0x26)
            sense::invalidFieldInParameterList();
        *this = Disc::blank(kind, capacity);
        formatted = fullyFormatted = true;
        return;
    case MediaKind::DvdRam:
        if (formatType != 0x00 && formatType != 0x01)
            sense::invalidFieldInParameterList();
        *this = Disc::blank(kind, capacity);
        return;
    case MediaKind::DvdRwSequential:
    case MediaKind::DvdRwRestricted: {
        if (formatType == 0x13) {
            // Quick grow: the formatted area of a restricted overwrite disc
            // grows to the whole disc; what it holds stays.
            if (kind != MediaKind::DvdRwRestricted)
                sense::invalidFieldInParameterList();
            fullyFormatted = true;
            return;
        }
        if (formatType != 0x00 && formatType != 0x10 && formatType != 0x15)
            sense::invalidFieldInParameterList();
        *this = Disc::blank(MediaKind::DvdRwRestricted, capacity);
        fullyFormatted = formatType != 0x15;
        return;
    }
    default:
        sense::cannotFormatIncompatibleMedium();
    }
}

} // namespace zelvane::vdrive
