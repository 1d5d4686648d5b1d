// zelvane-vdrive: controls the virtual drive (media, tray, speed emulation,
// drive model, faults) and shows or exports its disc.
#include "tool/tool_command.h"

#include <iostream>

using namespace zelvane::vdrive;
using namespace zelvane::vdrive::tool;

namespace {

std::vector<ToolCommand> commandTable()
{
    std::vector<ToolCommand> table;
    addStatusCommand(table);
    addMediaCommands(table);
    addSettingCommands(table);
    addFaultCommands(table);
    addRunCommand(table);
    return table;
}

void printUsage(const std::vector<ToolCommand> &table)
{
    std::cerr << "usage: zelvane-vdrive COMMAND [ARGUMENTS]\n";
    for (const auto &command : table)
        std::cerr << "  zelvane-vdrive " << command.usage << '\n';
    std::cerr << "The drive lives in ZELVANE_VDRIVE_DIR (now " << StateStore::defaultFolder().string() << ").\n";
}

} // namespace

int main(int argc, char **argv)
{
    const auto table = commandTable();
    if (argc < 2) {
        printUsage(table);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        printUsage(table);
        return 0;
    }
    for (const auto &command : table) {
        if (command.name != name)
            continue;
        try {
            command.run(Arguments(argv + 2, argv + argc), StateStore(StateStore::defaultFolder()));
            return 0;
        } catch (const std::exception &error) {
            std::cerr << "zelvane-vdrive " << name << ": " << error.what() << '\n';
            return 1;
        }
    }
    std::cerr << "zelvane-vdrive: unknown command \"" << name << "\"\n";
    printUsage(table);
    return 2;
}
