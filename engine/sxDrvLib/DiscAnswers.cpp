#include "sxDrvLib/DiscAnswers.h"

#include "sxDrvLib/AnswerBytes.h"

namespace zelvane {

TrackInfo DecodeTrackInfo(std::span<const uint8_t> answer)
{
    const AnswerBytes bytes(answer);
    TrackInfo info;
    info.dataLength = bytes.be16(0);
    info.number = static_cast<uint16_t>(bytes.u8(32) << 8 | bytes.u8(2));
    info.session = static_cast<uint16_t>(bytes.u8(33) << 8 | bytes.u8(3));
    info.dataTrack = (bytes.u8(5) & 0x04) != 0;
    info.trackStart = bytes.be32(8);
    info.nextWritable = bytes.be32(12);
    info.freeBlocks = bytes.be32(16);
    info.fixedPacketSize = bytes.be32(20);
    info.trackSize = bytes.be32(24);
    info.lastRecorded = bytes.be32(28);
    info.nextWritableValid = (bytes.u8(7) & 0x01) != 0;
    return info;
}

uint32_t TrackEnd(const TrackInfo &track)
{
    if (track.nextWritableValid || track.trackSize == kUnknownBlocks)
        return track.nextWritable;
    return track.trackStart + track.trackSize;
}

DiscInfo DecodeDiscInfo(std::span<const uint8_t> answer)
{
    const AnswerBytes bytes(answer);
    DiscInfo info;
    info.dataLength = bytes.be16(0);
    const uint8_t state = bytes.u8(2);
    info.discStatus = state & 0x03;
    info.lastSessionState = (state >> 2) & 0x03;
    info.erasable = (state & 0x10) != 0;
    info.sessions = bytes.u8(4);
    info.firstTrackLastSession = bytes.u8(6);
    return info;
}

int RecordedSessionCount(const DiscInfo &info)
{
    if (info.discStatus == 0 || info.sessions == 0)
        return 0;
    return info.lastSessionState == 0 ? info.sessions - 1 : info.sessions;
}

CapacityAnswer DecodeCapacity(std::span<const uint8_t> answer)
{
    const AnswerBytes bytes(answer);
    return CapacityAnswer{bytes.be32(0), bytes.be32(4)};
}

uint32_t AtipLeadOutBlocks(std::span<const uint8_t> atip)
{
    const AnswerBytes bytes(atip);
    // An answer too short to hold the time, or whose seconds and frames are
    // out of range, is no ATIP (some drives answer format 4 with a TOC).
    constexpr uint16_t kLeadOutEnd = 13; // data length that reaches byte 14
    if (bytes.be16(0) < kLeadOutEnd || bytes.u8(13) >= 60 || bytes.u8(14) >= 75)
        return 0;
    const uint32_t frames = bytes.u8(12) * 4500u + bytes.u8(13) * 75u + bytes.u8(14);
    constexpr uint32_t kPreGap = 150;
    return frames > kPreGap ? frames - kPreGap : 0;
}

} // namespace zelvane
