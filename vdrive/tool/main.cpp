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
                         "~/.local/share/zelvane/vdrive."}},
        .files = {{"state", "The drive's state in its folder (text, replaced atomically)."},
                  {"disc.img", "The disc: a sparse file of 2048-byte sectors."},
                  {"lock", "Locked for every command, so several programs share one drive."}},
        .seeAlso = {"zelvane(1)", "zelvane-cli(1)"},
    };
    for (const ToolCommand &command : table)
        program.commands.push_back(command.doc);
    usage::Command help{
        .name = "help",
        .summary = "show the commands, or one command's arguments",
        .description = "Prints the usage of every command, or the arguments and options of COMMAND "
                       "(the same as \"zelvane-vdrive COMMAND --help\").",
        .operands = {.placeholder = "[COMMAND]", .completion = usage::Completion::Words},
        .exits = {{kExitUsage, "there is no such command"}},
    };
    for (const ToolCommand &command : table)
        help.operands.words.push_back(command.doc.name);
    program.commands.push_back(help);
    return program;
}

// Usage help of the whole tool, with the folder the drive lives in now.
void printHelp(const usage::Program &program, std::ostream &out)
{
    out << usage::HelpText(program) << "The drive lives in " << StateStore::defaultFolder().string() << ".\n";
}

int showHelp(const usage::Program &program, const Arguments &args)
{
    if (args.empty()) {
        printHelp(program, std::cout);
        return 0;
    }
    const usage::Command *command = args.size() == 1 ? usage::FindCommand(program, args[0]) : nullptr;
    if (!command) {
        std::cerr << "zelvane-vdrive help: unknown command \"" << args[0] << "\"\n";
        return kExitUsage;
    }
    std::cout << usage::CommandHelp(program, *command);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const auto table = commandTable();
    const usage::Program program = toolProgram(table);
    if (argc < 2) {
        printHelp(program, std::cerr);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help") {
        printHelp(program, std::cout);
        return 0;
    }
    if (const auto status = usage::AnswerStandardOption(program, name))
        return *status;
    const Arguments args(argv + 2, argv + argc);
    if (name == "help")
        return showHelp(program, args);
    for (const auto &command : table) {
        if (command.doc.name != name)
            continue;
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            std::cout << usage::CommandHelp(program, command.doc);
            return 0;
        }
        try {
            command.run(args, StateStore(StateStore::defaultFolder()));
            return 0;
        } catch (const std::exception &error) {
            std::cerr << "zelvane-vdrive " << name << ": " << error.what() << '\n';
            return kExitFailed;
        }
    }
    std::cerr << "zelvane-vdrive: unknown command \"" << name << "\"\n";
    printHelp(program, std::cerr);
    return kExitUsage;
}
