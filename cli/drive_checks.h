// The command line's side of the disc checks: it readies the writer, reads
// the disc's facts from the drive, and applies the shared rules
// (sxTasks/DiscRules.h), ejecting the disc where a rule says so.
#pragma once

#include "sxTasks/DiscRules.h"

#include <optional>
#include <string>

namespace zelvane {
class TSCSIDevice;
}

namespace zelvane::cli {

using tasks::BurnTask;
using tasks::DiscFacts;
using tasks::SpaceVerdict;

// Underrun protection as the drive offers it, and the tray closed.
void PrepareWriter(TSCSIDevice &device);

// The facts of the disc in the drive, as the rules take them.
DiscFacts ReadDiscFacts(TSCSIDevice &device);

// Drive readiness and the medium: "Устройство не готово", no or unknown
// medium, read-only media and a closed CD to be continued are refused (the
// media refusals eject the disc). Answers the reason, or nothing.
std::optional<std::string> CheckDriveAndMedium(TSCSIDevice &device, BurnTask task, DiscFacts &disc);

} // namespace zelvane::cli
