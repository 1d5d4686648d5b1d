// Default selection hooks of the device class. The burner refreshes the
// drive's capabilities, sets its quirk flags and probes its write types.
#include "sxDrvLib/ScsiDevice.h"

namespace zelvane {

void TSCSIDevice::RefreshCapabilities() {}

void TSCSIDevice::SetDriveQuirks(const std::string &) {}

void TSCSIDevice::ProbeWriteTypes() {}

} // namespace zelvane
