// The commands of zelvane-vdrive. Each group lives in its own file and adds
// its commands to the table with their descriptions (from which --help, the
// manual page and the bash completion are made); a command gets its
// arguments (after its name) and the drive's folder, and throws ToolError
// for a clear refusal.
#pragma once

#include "core/state_store.h"
#include "program_usage.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelvane::vdrive::tool {

using Arguments = std::vector<std::string>;

struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ToolCommand {
    usage::Command doc;
    std::function<void(const Arguments &, const StateStore &)> run;
};

void addMediaCommands(std::vector<ToolCommand> &table);
void addStatusCommand(std::vector<ToolCommand> &table);
void addSettingCommands(std::vector<ToolCommand> &table);
void addFaultCommands(std::vector<ToolCommand> &table);
void addRunCommand(std::vector<ToolCommand> &table);

// Argument helpers: numbers in decimal, 0x-hex or h-suffixed hex.
uint32_t parseNumber(const std::string &text, const std::string &what, uint64_t maximum = 0xFFFFFFFFu);
double parsePositive(const std::string &text, const std::string &what);
// Loads the state under the lock, lets `change` edit it and saves it. With
// `freshWhenUnreadable` an unreadable state file is replaced by a fresh drive.
void updateState(const StateStore &store, const std::function<void(DriveState &)> &change,
                 bool freshWhenUnreadable = false);

} // namespace zelvane::vdrive::tool
