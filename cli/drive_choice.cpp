#include "drive_choice.h"

#include "sxConst/EngineTexts.h"
#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/ScsiDevice.h"

#include <cstdio>
#include <cstdlib>

namespace zelvane::cli {

namespace {

// The drive the wizard starts with: the last one that writes CD-R, DVD-R or
// DVD-RAM, else the last drive.
std::size_t defaultDrive(TSCSIDevice &device)
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

} // namespace

bool parseDriveOption(const CommandArgs &args, std::size_t &i, std::optional<long> &index, std::string &error)
{
    if (i + 1 >= args.size()) {
        error = "--drive needs a number";
        return false;
    }
    const std::string &text = args[++i];
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < 0) {
        error = "invalid drive number '" + text + "'";
        return false;
    }
    index = value;
    return true;
}

bool parseDriveOnlyArguments(const CommandArgs &args, const char *command, std::optional<long> &index)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (args[i] != "--drive") {
            std::fputs(commandUsage(command).c_str(), stderr);
            return false;
        }
        if (!parseDriveOption(args, i, index, error)) {
            std::fprintf(stderr, "zelvane-cli %s: %s\n", command, error.c_str());
            return false;
        }
    }
    return true;
}

usage::Option driveOption()
{
    return {.names = {"--drive"},
            .value = "N",
            .text = "Use drive N, its number in the list of \"zelvane-cli drives\" (default: the last drive "
                    "that writes CD-R, DVD-R or DVD-RAM, else the last drive)."};
}

std::vector<usage::ExitStatus> driveExits()
{
    return {{kExitNoTransport, kNoTransportExitText},
            {kExitNoDrive, "no CD/DVD drive was found, or there is no drive N"}};
}

std::vector<usage::ExitStatus> driveCommandExits(const std::vector<usage::ExitStatus> &more)
{
    std::vector<usage::ExitStatus> exits{{kExitUsage, "wrong usage"}};
    for (const auto &list : {driveExits(), more})
        exits.insert(exits.end(), list.begin(), list.end());
    return exits;
}

int openDrive(TSCSIDevice &device, std::optional<long> index, const char *command)
{
    if (!device.InitializeTransport(true, std::string())) {
        std::fprintf(stderr, "%s\n", std::string(texts::kAspiInitializationError).c_str());
        return kExitNoTransport;
    }
    const auto &drives = device.DriveList();
    if (drives.empty()) {
        std::fprintf(stderr, "zelvane-cli %s: no CD/DVD drive found\n", command);
        return kExitNoDrive;
    }
    if (index && static_cast<std::size_t>(*index) >= drives.size()) {
        std::fprintf(stderr, "zelvane-cli %s: there is no drive %ld (%zu found)\n", command, *index, drives.size());
        return kExitNoDrive;
    }
    device.SelectDevice(drives[index ? static_cast<std::size_t>(*index) : defaultDrive(device)]);
    return 0;
}

} // namespace zelvane::cli
