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
inline constexpr const char *kNoTransportExitText =
    "ASPI initialization error: neither SG_IO drives nor a provider library were found";

// When args[i] is "--drive", reads its number into `index` and steps past
// it. Answers false (with the reason) for a missing or invalid number.
bool parseDriveOption(const CommandArgs &args, std::size_t &i, std::optional<long> &index, std::string &error);

// Reads arguments that may only name the drive ("--drive N"). Answers
// false after printing the usage or the reason.
bool parseDriveOnlyArguments(const CommandArgs &args, const char *command, std::optional<long> &index);

// The description of "--drive N", and the exit statuses of openDrive.
usage::Option driveOption();
std::vector<usage::ExitStatus> driveExits();
// Wrong usage (kExitUsage), then driveExits(), then `more`.
std::vector<usage::ExitStatus> driveCommandExits(const std::vector<usage::ExitStatus> &more = {});

// Starts the transport and selects the drive. Answers 0, or prints why
// not (prefixed by the command's name) and answers the exit code.
int openDrive(TSCSIDevice &device, std::optional<long> index, const char *command);

} // namespace zelvane::cli
