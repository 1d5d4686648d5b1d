#include "drive_select.h"

#include "sxConst/EngineTexts.h"
#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/ScsiDevice.h"

#include <cstdio>
#include <optional>
#include <string>

namespace zelvane::cli {

std::size_t DefaultDrive(TSCSIDevice &device)
{
    const auto &drives = device.DriveList();
    std::optional<std::size_t> lastWriter;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        device.SelectDevice(drives[i]);
        if (IsWriter(device.Capabilities()))
            lastWriter = i;
    }
    return lastWriter.value_or(drives.size() - 1);
}

bool OpenDefaultDrive(TSCSIDevice &device, const char *command)
{
    if (!device.InitializeTransport(true, std::string())) {
        std::fprintf(stderr, "%s\n", std::string(texts::kAspiInitializationError).c_str());
        return false;
    }
    if (device.DriveList().empty()) {
        std::fprintf(stderr, "zelvane-cli %s: no CD/DVD drive found\n", command);
        return false;
    }
    device.SelectDevice(device.DriveList()[DefaultDrive(device)]);
    device.UnderrunProtection = (device.Capabilities() & kUnderrunProtection) != 0;
    device.Eject(false);
    return true;
}

} // namespace zelvane::cli
