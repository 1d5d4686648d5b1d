// zelvane-cli drives: initialise the transport (pass-through provider
// preferred) and list the CD/DVD drives it finds.
#include "command.h"
#include "drive_choice.h"

#include "sxASPI/Transport.h"
#include "sxConst/EngineTexts.h"
#include "sxDrvLib/DriveDisplayName.h"
#include "sxDrvLib/ScsiDevice.h"

#include <cstdio>

namespace zelvane::cli {
namespace {

int RunDrives(const CommandArgs &)
{
    TSCSIDevice device;
    if (!device.InitializeTransport(true, std::string())) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(texts::kAspiInitializationError.size()),
                     texts::kAspiInitializationError.data());
        return kExitNoTransport;
    }
    std::printf("%s\n", aspi::ProviderName().c_str());
    const auto &drives = device.DriveList();
    for (std::size_t i = 0; i < drives.size(); ++i) {
        std::printf("%zu\t%s\t%s\n", i, drives[i].c_str(), DriveDisplayName(drives[i]).c_str());
    }
    return 0;
}

const CliCommandRegistrar registrar(
    {.name = "drives",
     .summary = "list the CD/DVD drives: index, drive list line, name",
     .description =
         "Starts the device layer (SG_IO drives first, else the provider library) and prints the name of the "
         "provider in use (\"SXASPI32\" for SG_IO, \"WNASPI32.DLL\" for the library), then one line per "
         "drive: its number (for --drive), its line in the drive list and its display name, separated by tabs.",
     .exits = {{kExitNoTransport, kNoTransportExitText}}},
    RunDrives);

} // namespace
} // namespace zelvane::cli
