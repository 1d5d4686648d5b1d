// Where a new session starts on a disc that already holds data: the next
// writable address of the disc, or on media overwritten in place (DVD-RAM,
// DVD+RW) the end of the volume their descriptors describe.
#include "sxCDBC/SarnixBurner.h"

#include "sxConst/WriteTexts.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/VolumeDescriptor.h"

#include <array>

namespace zelvane {

namespace {

constexpr std::uint32_t kHighestStart = 0xFF000000;

} // namespace

std::uint32_t TSarnixBurner::volumeEndOfGrowingSession()
{
    alignas(8) std::array<std::uint8_t, 2048> sector{};
    for (std::uint32_t lba = kLastDescriptorLba; lba >= kFirstDescriptorLba; --lba) {
        if (!Read10(lba, 1, sector))
            continue;
        if (const auto size = zelvane::VolumeSpaceSize(sector))
            return *size;
    }
    return 0;
}

bool TSarnixBurner::QueryNextWritableAddress()
{
    SessionStart = 0;
    WaitUntilReady(10000, 500);
    const int mediaCode = GetMediaCode();
    const bool finalize = FinalizeDisc;
    FinalizeDisc = true;
    SetWriteParameters(TestWrite, UnderrunProtection, mediaCode);
    FinalizeDisc = finalize;
    WaitUntilReady(10000, 500);

    bool found = true;
    if (mediaCode == kMediaDvdRam || mediaCode == kMediaDvdPlusRw) {
        SessionStart = volumeEndOfGrowingSession();
    } else {
        DiscInformation();
        if (mediaCode == kMediaDvdRwRestricted || mediaCode == kMediaDvdRwSequential) {
            found = ReadTrackInformation(1);
            if (found && LastTrackInfo().nextWritable != 0)
                SessionStart = LastTrackInfo().nextWritable;
            else
                // A fully formatted disc reports no writable address: the
                // volume on it ends where its descriptors say, and the new
                // session must not overwrite it. It is written in whole
                // 32-sector units, so the new session starts on the next one.
                SessionStart = (volumeEndOfGrowingSession() + 31) / 32 * 32;
        } else {
            // The track after the last recorded one is the one to write.
            alignas(8) std::array<std::uint8_t, 4> toc{};
            const std::uint32_t lastTrack = ReadToc(0, false, 0, toc) ? toc[3] : 0;
            found = ReadTrackInformation(lastTrack + 1);
            SessionStart = found ? LastTrackInfo().nextWritable : 0;
        }
    }
    if (!found)
        EmitDebug(">>> " + std::string(texts::kErrorGettingNwa), 0);
    if (SessionStart > kHighestStart)
        SessionStart = 0;
    return found;
}

} // namespace zelvane
