// zelvane-vdrive: controls the virtual drive (media, tray, speed emulation,
// drive model, faults) and shows or exports its disc.
#include "tool/tool_command.h"

#include <iostream>

using namespace zelvane;
using namespace zelvane::vdrive;
using namespace zelvane::vdrive::tool;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::vector<ToolCommand> commandTable()
{
    std::vector<ToolCommand> table;
    addStatusCommand(table);
    addMediaCommands(table);
    addSettingCommands(table);
    addFaultCommands(table);
    addRunCommand(table);
    for (ToolCommand &command : table)
        if (command.doc.exits.empty())
            command.doc.exits = {{kExitFailed, "wrong arguments, or the command failed (the reason is printed)"}};
    return table;
}

usage::Program toolProgram(const std::vector<ToolCommand> &table)
{
    usage::Program program{
        .name = "zelvane-vdrive",
        .summary = "control Zelvane's virtual CD/DVD writer",
        .synopsis = {"COMMAND [ARGUMENTS]", "help [COMMAND]", "COMMAND --help",
                     "--help | --version | --manual-page | --bash-completion"},
        .description =
            "Zelvane's virtual drive is a software MMC CD/DVD writer behind the provider library libwnaspi32.so: "
            "zelvane(1) and zelvane-cli(1) use it when the machine has no optical drive, and it answers every "
            "command they send as a real writer does. zelvane-vdrive puts blank or pressed discs into it, opens "
            "and closes its tray, shows and exports its disc, sets how fast it works, what it reports about "
            "itself and which faults it has.\n\n"
            "The drive keeps its state in a folder, so a disc written in one run can be continued, browsed or "
            "erased in the next; several programs can use the drive at once.",
        .options = usage::StandardOptions(),
        .exits = {{0, "success"},
                  {kExitFailed, "wrong arguments to a command, or the command failed (the reason is printed)"},
                  {kExitUsage, "no command, or an unknown command, was given"}},
        .environment = {{"ZELVANE_VDRIVE_DIR", "The drive's folder."},
                        {"XDG_DATA_HOME",
                         "Without ZELVANE_VDRIVE_DIR the folder is $XDG_DATA_HOME/zelvane/vdrive, else "
                         "~/.local/share/zelvane/vdrive."},
                        {"ZELVANE_VDRIVE_TRACE",
                         "With the value 1, a program started by run prints every command it sends to the "
                         "drive and its outcome on standard error."}},
        .files = {{"state", "The drive's state in its folder (text, replaced atomically)."},
                  {"disc.img", "The disc: a sparse file of 2048-byte sectors."},
                  {"lock", "Locked for every command, so several programs share one drive."}},
        .seeAlso = {"zelvane(1)", "zelvane-cli(1)"},
        .helpFooter = "The drive lives in " + StateStore::defaultFolder().string() + ".\n",
    };
    for (const ToolCommand &command : table)
        program.commands.push_back(command.doc);
    program.commands.push_back(usage::HelpCommand(program, kExitUsage));
    return program;
}

} // namespace

int main(int argc, char **argv)
{
    const auto table = commandTable();
    const usage::Program program = toolProgram(table);
    if (argc < 2) {
        std::cerr << usage::HelpText(program);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (const auto status = usage::AnswerStandardOption(program, name))
        return *status;
    const Arguments args(argv + 2, argv + argc);
    if (const auto status = usage::AnswerHelpRequest(program, name, args, kExitUsage))
        return *status;
    for (const auto &command : table) {
        if (command.doc.name != name)
            continue;
        try {
            command.run(args, StateStore(StateStore::defaultFolder()));
            return 0;
        } catch (const std::exception &error) {
            std::cerr << "zelvane-vdrive " << name << ": " << error.what() << '\n';
            return kExitFailed;
        }
    }
    std::cerr << "zelvane-vdrive: unknown command \"" << name << "\"\n" << usage::HelpText(program);
    return kExitUsage;
}
