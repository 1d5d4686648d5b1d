// The command table of the drive: each group of commands adds its handlers.
#pragma once

#include "core/command_context.h"

#include <vector>

namespace zelvane::vdrive {

struct CommandSpec {
    uint8_t opcode;
    CommandHandler handler;
    bool needsMedium;      // refused with "not ready" while the tray is open or empty
    bool runsDuringWork;   // answered while a blank/format/flush is running
};

void addIdentityCommands(std::vector<CommandSpec> &table);
void addConfigurationCommands(std::vector<CommandSpec> &table);
void addModePageCommands(std::vector<CommandSpec> &table);
void addDiscInformationCommands(std::vector<CommandSpec> &table);
void addTocCommands(std::vector<CommandSpec> &table);
void addCapacityCommands(std::vector<CommandSpec> &table);
void addReadWriteCommands(std::vector<CommandSpec> &table);
void addRecordingCommands(std::vector<CommandSpec> &table);
void addEraseCommands(std::vector<CommandSpec> &table);
void addStatusQueryCommands(std::vector<CommandSpec> &table);
void addDiscStructureCommands(std::vector<CommandSpec> &table);

} // namespace zelvane::vdrive
