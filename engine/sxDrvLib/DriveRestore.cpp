// The drive's everyday state, restored at the end of a write or an erase.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/MediaCode.h"

namespace zelvane {

namespace {

constexpr uint16_t kRestoredWriteSpeed = 2; // KB/s: the drive rounds up to its slowest
constexpr uint32_t kReadyTimeoutMs = 5000;

} // namespace

void TSCSIDevice::RestoreDrive()
{
    SetWriteParameters(false, false, kMediaCdRom);
    SetCdSpeed(DeviceMaxReadSpeed(), kRestoredWriteSpeed);
    RezeroUnit();
    AllowRemoval(true);
    Eject(false);
    RezeroUnit();
    TestUnitReady(kReadyTimeoutMs);
}

} // namespace zelvane
