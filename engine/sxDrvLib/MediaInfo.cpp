// Which medium is inserted and in what state: media code and name, erasable,
// disc status and recorded sessions.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/AnswerBytes.h"
#include "sxDrvLib/MediaCode.h"

#include <array>

namespace zelvane {

namespace {

constexpr uint8_t kTocAtip = 4;

} // namespace

uint8_t TSCSIDevice::GetMediaCode()
{
    uint8_t code = kMediaUnknown;
    if (GetConfiguration(2, 0))
        code = MediaCodeFromProfile(AnswerBytes(mmc_.configuration).be16(6));
    if (code == kMediaUnknown) {
        alignas(8) std::array<uint8_t, kAtipLength> atip{};
        if (ReadToc(kTocAtip, true, 0, atip))
            code = MediaCodeFromAtip(atip);
    }
    if (code == kMediaUnknown && ReadDiscInformation())
        code = MediaCodeFromErasable(LastDiscInfo().erasable);
    if (code == kMediaUnknown && TestUnitReady())
        code = kMediaCdRom;
    mmc_.lastMediaCode = code;
    return code;
}

std::string TSCSIDevice::GetMediaName()
{
    return MediaName(GetMediaCode());
}

bool TSCSIDevice::IsErasable()
{
    if (ReadDiscInformation())
        return LastDiscInfo().erasable;
    const uint8_t code = GetMediaCode();
    return code == kMediaDvdRam || code == kMediaDvdRwRestricted ||
           code == kMediaDvdRwSequential || code == kMediaDvdPlusRw;
}

int TSCSIDevice::DiscStatus()
{
    if (!ReadDiscInformation())
        return -1;
    return LastDiscInfo().discStatus;
}

int TSCSIDevice::RecordedSessions()
{
    if (!ReadDiscInformation())
        return 0;
    return RecordedSessionCount(LastDiscInfo());
}

} // namespace zelvane
