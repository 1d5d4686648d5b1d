#include "drive_checks.h"

#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/ScsiDevice.h"
#include "sxTasks/TaskTexts.h"

namespace zelvane::cli {

void PrepareWriter(TSCSIDevice &device)
{
    device.UnderrunProtection = (device.Capabilities() & kUnderrunProtection) != 0;
    device.Eject(false);
}

DiscFacts ReadDiscFacts(TSCSIDevice &device)
{
    DiscFacts disc;
    disc.mediaName = device.GetMediaName();
    disc.mediaCode = device.LastMediaCode();
    disc.discStatus = device.DiscStatus();
    disc.capacity = device.Capacity();
    disc.used = device.UsedBlocks();
    disc.erasable = device.IsErasable();
    return disc;
}

std::optional<std::string> CheckDriveAndMedium(TSCSIDevice &device, BurnTask task, DiscFacts &disc)
{
    if (!device.TestUnitReady(5000)) {
        // A drive that has just been given a disc may still be spinning up.
        device.WaitUntilReady(10000, 500);
        if (!device.TestUnitReady(5000))
            return tasks::texts::kNotReady;
    }
    disc = ReadDiscFacts(device);
    if (const auto refusal = tasks::RefuseMedium(task, disc)) {
        if (refusal->eject)
            device.Eject(true);
        return refusal->text;
    }
    return std::nullopt;
}

} // namespace zelvane::cli
