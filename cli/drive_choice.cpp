#include "drive_choice.h"
#include "drive_select.h"

#include "sxConst/EngineTexts.h"

#include <cstdio>
#include <cstdlib>

namespace zelvane::cli {

std::optional<long> ParseDriveNumber(const std::string &text)
{
    char *end = nullptr;
    const long index = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || index < 0)
        return std::nullopt;
    return index;
}

int SelectDrive(TSCSIDevice &device, std::optional<long> wanted, const std::string &command)
{
    if (!device.InitializeTransport(true, std::string())) {
        std::fprintf(stderr, "%s\n", std::string(texts::kAspiInitializationError).c_str());
        return kExitNoTransport;
    }
    const auto &drives = device.DriveList();
    if (drives.empty()) {
        std::fprintf(stderr, "zelvane-cli %s: no CD/DVD drive found\n", command.c_str());
        return kExitNoDrive;
    }
    if (wanted && static_cast<size_t>(*wanted) >= drives.size()) {
        std::fprintf(stderr, "zelvane-cli %s: there is no drive %ld (%zu found)\n", command.c_str(), *wanted,
                     drives.size());
        return kExitNoDrive;
    }
    const size_t index = wanted ? static_cast<size_t>(*wanted) : DefaultDrive(device);
    device.SelectDevice(drives[index]);
    return 0;
}

} // namespace zelvane::cli
