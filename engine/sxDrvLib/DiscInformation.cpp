// The disc information record TDisc.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/AnswerBytes.h"
#include "sxDrvLib/MediaCode.h"

#include <array>

namespace zelvane {

namespace {

constexpr int kReadyWaitMs = 3000;
constexpr int kReadyStepMs = 5000;
constexpr uint32_t kDataBlock = 2048;
constexpr uint8_t kInvisibleTrack = 255;

} // namespace

TDisc TSCSIDevice::DiscInformation()
{
    TDisc disc;
    if (!TestUnitReady()) {
        WaitUntilReady(kReadyWaitMs, kReadyStepMs);
        if (!TestUnitReady())
            return disc;
    }
    disc.valid = true;

    alignas(8) std::array<uint8_t, 114> toc{};
    if (ReadToc(0, false, 0, toc)) {
        const uint8_t lastTrack = toc[3];
        ReadToc(0, false, lastTrack, toc);
        alignas(8) std::array<uint8_t, 4> sessions{};
        if (ReadToc(1, false, 0, sessions)) {
            disc.firstSession = sessions[2];
            disc.lastSession = sessions[3];
        }
        alignas(8) std::array<uint8_t, kAtipLength> atip{};
        disc.capacity = ReadToc(4, true, 0, atip) ? static_cast<int32_t>(AtipLeadOutBlocks(atip)) : 0;
        disc.mediaText = "CD-ROM";
    }

    uint8_t code = mmc_.lastMediaCode;
    if (GetConfiguration(2, 0)) {
        disc.profile = AnswerBytes(mmc_.configuration).be16(6);
        disc.mediaText = ProfileText(disc.profile);
        disc.erasable = ProfileErasable(disc.profile);
        code = MediaCodeFromProfile(disc.profile);
    }
    if (ReadTrackInformation(IsCdMedia(code) ? kInvisibleTrack : 1)) {
        const TrackInfo track = LastTrackInfo();
        disc.used = static_cast<int32_t>(track.nextWritable);
        disc.capacity = static_cast<int32_t>(track.nextWritable + track.freeBlocks);
        disc.blockSize = kDataBlock;
    } else if (ReadFormatCapacities()) {
        disc.used = static_cast<int32_t>(CapacityFromFormatCapacities(mmc_.formatCapacities));
        disc.blockSize = kDataBlock;
    }

    if (ReadDiscInformation()) {
        const DiscInfo info = LastDiscInfo();
        disc.discStatus = info.discStatus;
        disc.lastSessionState = info.lastSessionState;
        disc.erasable = info.erasable;
    } else {
        uint32_t lastLba = 0;
        uint32_t blockLength = 0;
        if (ReadCapacity(lastLba, blockLength)) {
            disc.used = static_cast<int32_t>(lastLba);
            disc.blockSize = static_cast<int32_t>(blockLength);
        }
        if (ReadTrackInformation(0))
            disc.mediaText = "CD-ROM";
    }
    if (disc.used > disc.capacity)
        disc.capacity = disc.used;
    return disc;
}

} // namespace zelvane
