// Opening the transport and choosing the drive the wizard starts with.
#pragma once

#include <cstddef>

namespace zelvane {
class TSCSIDevice;
}

namespace zelvane::cli {

// The last drive that writes CD-R, DVD-R or DVD-RAM, else the last drive.
std::size_t DefaultDrive(TSCSIDevice &device);

// Initialises the transport, selects the default drive, sets underrun
// protection from its abilities and closes its tray. Prints the reason and
// answers false when there is no transport or no drive.
bool OpenDefaultDrive(TSCSIDevice &device, const char *command);

} // namespace zelvane::cli
