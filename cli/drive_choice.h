// The drive a command works on: the one named by "--drive N" (its place in
// the drive list), else the one the wizard starts with.
#pragma once

#include "command.h"

#include <cstddef>
#include <optional>
#include <string>

namespace zelvane {
class TSCSIDevice;
}

namespace zelvane::cli {

inline constexpr int kExitUsage = 1;
inline constexpr int kExitNoTransport = 2;
inline constexpr int kExitNoDrive = 3;

// When args[i] is "--drive", reads its number into `index` and steps past
// it. Answers false (with the reason) for a missing or invalid number.
bool parseDriveOption(const CommandArgs &args, std::size_t &i, std::optional<long> &index, std::string &error);

// Starts the transport and selects the drive. Answers 0, or prints why
// not (prefixed by the command's name) and answers the exit code.
int openDrive(TSCSIDevice &device, std::optional<long> index, const char *command);

} // namespace zelvane::cli
