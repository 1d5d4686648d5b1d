// The drive a command works on: the transport is initialised (pass-through
// provider preferred) and the drive given by "--drive N" is selected, or the
// one the wizard starts with (DefaultDrive).
#pragma once

#include "sxDrvLib/ScsiDevice.h"

#include <optional>
#include <string>

namespace zelvane::cli {

inline constexpr int kExitUsage = 1;
inline constexpr int kExitNoTransport = 2;
inline constexpr int kExitNoDrive = 3;

// A drive number as given after "--drive"; nothing when it is not one.
std::optional<long> ParseDriveNumber(const std::string &text);

// Selects the drive; on failure prints why (prefixed with the command's
// name) and answers the exit code, else 0.
int SelectDrive(TSCSIDevice &device, std::optional<long> wanted, const std::string &command);

} // namespace zelvane::cli
