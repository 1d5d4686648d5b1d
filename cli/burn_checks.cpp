#include "burn_checks.h"

#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/ScsiDevice.h"

namespace zelvane::cli {

namespace {

bool isRewritable(int code)
{
    return code == kMediaCdRw || code == kMediaDvdRam || code == kMediaDvdRw || code == kMediaDvdRwRestricted ||
           code == kMediaDvdRwSequential || code == kMediaDvdPlusRw || code == kMediaDdcdRw;
}

} // namespace

void PrepareWriter(TSCSIDevice &device)
{
    device.UnderrunProtection = (device.Capabilities() & kUnderrunProtection) != 0;
    device.Eject(false);
}

std::optional<std::string> CheckDriveAndMedium(TSCSIDevice &device, BurnTask task, DiscState &disc)
{
    if (!device.TestUnitReady(5000)) {
        // A drive that has just been given a disc may still be spinning up.
        device.WaitUntilReady(10000, 500);
        if (!device.TestUnitReady(5000))
            return "Устройство не готово";
    }
    disc.mediaName = device.GetMediaName();
    disc.mediaCode = device.LastMediaCode();
    disc.discStatus = device.DiscStatus();
    disc.capacity = device.Capacity();
    disc.used = device.UsedBlocks();
    if (disc.mediaCode == kMediaUnknown) {
        device.Eject(true);
        return "Носитель отсутствует или имеет неизвестный тип";
    }
    if (disc.mediaCode == kMediaCdRom || disc.mediaCode == kMediaDvdRom || disc.mediaCode == kMediaDdcdRom) {
        device.Eject(true);
        return "Запись на носитель " + disc.mediaName + " не возможна";
    }
    if (task == BurnTask::ContinueDisc && disc.discStatus == 2 && !disc.isDvd()) {
        device.Eject(true);
        return "Диск финализирован, его продолжение невозможно.";
    }
    return std::nullopt;
}

SpaceVerdict CheckSpace(std::int64_t sectors, const DiscState &disc, BurnTask task)
{
    const std::int64_t free = disc.capacity - disc.used;
    if (task != BurnTask::ContinueDisc && sectors > free && sectors <= disc.capacity && isRewritable(disc.mediaCode))
        return SpaceVerdict::NeedsErase;
    if (sectors <= disc.capacity && disc.discStatus == 2 && !disc.isDvd())
        return SpaceVerdict::NeedsErase;
    return sectors > free ? SpaceVerdict::TooLarge : SpaceVerdict::Fits;
}

bool FinalizeByFreeSpace(std::int64_t sectors, const DiscState &disc)
{
    const double freeAfter = static_cast<double>(disc.capacity - disc.used - sectors) * 2048.0 / 1048576.0;
    return freeAfter < 2.0;
}

} // namespace zelvane::cli
