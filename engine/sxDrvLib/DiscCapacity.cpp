// How many blocks the disc holds and how many are used, per medium, and the
// size of the ISO 9660 volume on overwritable media.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/VolumeDescriptor.h"

#include <algorithm>
#include <vector>

namespace zelvane {

namespace {

constexpr uint8_t kTocAtip = 4;
constexpr uint32_t kUnknownCapacity = 0xFFFD0001; // a format capacity some CD drives report
constexpr uint32_t kShortAtip = 20000;
constexpr uint32_t kImplausibleLastLba = 0x7F000000;
constexpr uint32_t kSectorBytes = 2048;

} // namespace

// Sets the write parameters as a finalising write would (some drives report
// addresses after the parameters) and reads the disc information. Answers
// the media code.
uint8_t TSCSIDevice::PrepareDiscQuery()
{
    const uint8_t code = GetMediaCode();
    const bool finalize = FinalizeDisc;
    FinalizeDisc = true;
    SetWriteParameters(false, UnderrunProtection, code);
    FinalizeDisc = finalize;
    ReadDiscInformation();
    return code;
}

uint32_t TSCSIDevice::UsedBlocks()
{
    const uint8_t code = PrepareDiscQuery();
    const DiscInfo disc = LastDiscInfo();
    if (IsCdMedia(code)) {
        const uint32_t n = std::min(RecordedSessionCount(disc) + 1, 255);
        uint32_t used = 0;
        if (ReadTrackInformation(n)) {
            const TrackInfo track = LastTrackInfo();
            used = track.nextWritable == kUnknownBlocks ? track.trackSize : track.nextWritable;
            if (n == 1 || used != 0)
                return used;
        }
        const uint32_t freeBlocks = LastTrackInfo().freeBlocks;
        uint32_t lastLba = 0;
        uint32_t blockLength = 0;
        if (!ReadCapacity(lastLba, blockLength))
            return freeBlocks;
        if (lastLba > kImplausibleLastLba)
            return ReadFormatCapacities() ? CapacityFromFormatCapacities(mmc_.formatCapacities) : 0;
        return lastLba;
    }

    if (!ReadTrackInformation(disc.firstTrackLastSession))
        return 0;
    const TrackInfo track = LastTrackInfo();
    if (track.trackSize == kUnknownBlocks)
        return 0;
    switch (code) {
    case kMediaDvdRwSequential:
        // An appendable disc: its open track starts where the data ends.
        if (track.nextWritableValid && track.nextWritable != 0)
            return track.nextWritable;
        // A blank disc's only track is all free; a closed disc is used up
        // to the end of its last track, whatever the sessions before it.
        if (ReadFormatCapacities() && track.trackSize == track.freeBlocks)
            return 0;
        return track.trackStart + track.trackSize;
    case kMediaDvdRwRestricted:
        // One growing volume on formatted media, as on DVD+RW.
    case kMediaDvdRam:
    case kMediaDvdPlusRw:
        return IsoVolumeSize();
    default:
        return TrackEnd(track);
    }
}

uint32_t TSCSIDevice::Capacity()
{
    const uint8_t code = PrepareDiscQuery();
    const DiscInfo disc = LastDiscInfo();
    if (IsCdMedia(code)) {
        const uint32_t n = std::min(RecordedSessionCount(disc), 255);
        uint32_t capacity = 0;
        alignas(8) std::array<uint8_t, kAtipLength> atip{};
        uint32_t lastLba = 0;
        uint32_t blockLength = 0;
        if (ReadToc(kTocAtip, true, 0, atip)) {
            capacity = AtipLeadOutBlocks(atip);
            if (capacity < kShortAtip && ReadCapacity(lastLba, blockLength) && lastLba > capacity)
                capacity = lastLba;
        } else if (ReadFormatCapacities()) {
            capacity = CapacityFromFormatCapacities(mmc_.formatCapacities);
            if (capacity == kUnknownCapacity) {
                capacity = 0;
                if (ReadTrackInformation(n + 1) || ReadTrackInformation(n)) {
                    const TrackInfo track = LastTrackInfo();
                    capacity = track.freeBlocks + track.trackStart;
                }
            }
        } else {
            if (ReadTrackInformation(n)) {
                const TrackInfo track = LastTrackInfo();
                return track.freeBlocks + track.trackStart;
            }
            if (ReadFormatCapacities())
                return CapacityFromFormatCapacities(mmc_.formatCapacities);
        }
        return capacity == kUnknownBlocks ? UsedBlocks() : capacity;
    }

    if (!ReadTrackInformation(disc.firstTrackLastSession))
        return 0;
    const TrackInfo track = LastTrackInfo();
    if ((code == kMediaDvdRam || code == kMediaDvdRwRestricted || code == kMediaDvdPlusRw) &&
        ReadFormatCapacities())
        return CapacityFromFormatCapacities(mmc_.formatCapacities);
    return track.freeBlocks + TrackEnd(track);
}

uint32_t TSCSIDevice::IsoVolumeSize()
{
    std::vector<uint8_t> sector(kSectorBytes);
    for (uint32_t lba = kFirstDescriptorLba; lba <= kLastDescriptorLba; ++lba) {
        if (!Read10(lba, 1, sector))
            continue;
        if (const auto size = VolumeSpaceSize(sector))
            return *size;
    }
    return 0;
}

} // namespace zelvane
