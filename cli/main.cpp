// zelvane-cli: the burning engine from the command line.
#include "command.h"

#include <cstdio>

namespace zelvane::cli {

std::map<std::string, CliCommand> &commandRegistry()
{
    static std::map<std::string, CliCommand> registry;
    return registry;
}

namespace {

constexpr int kExitUnknownCommand = 1;

usage::Program cliProgram()
{
    usage::Program program{
        .name = "zelvane-cli",
        .summary = "burn CD and DVD discs, make ISO images and read discs from the command line",
        .synopsis = {"COMMAND [OPTIONS] [ARGUMENTS]", "help [COMMAND]", "COMMAND --help",
                     "--help | --version | --manual-page | --bash-completion"},
        .description =
            "zelvane-cli offers the burning engine of Zelvane without its wizard. It writes local files and "
            "folders to a CD or DVD as a new disc or as a new session that continues the disc, writes ISO "
            "images to discs, makes ISO 9660 + Joliet images (with an optional El Torito boot floppy), erases "
            "rewritable discs, shows the drive and the disc, lists the sessions of a disc and copies files, "
            "folders or whole sessions from it.\n\n"
            "Drives are reached through Linux SG_IO on /dev/sr0 to /dev/sr24. When the machine has none, the "
            "provider library libwnaspi32.so is used instead; Zelvane's virtual drive is such a library, so "
            "every command also works on a machine without an optical drive (see zelvane-vdrive(1)).\n\n"
            "The commands that write or refuse to write print the wizard's own messages, which are in Russian.",
        .options = usage::StandardOptions(),
        .exits = {{0, "success"},
                  {kExitUnknownCommand,
                   "no command, or an unknown command, was given. The further statuses of each command are "
                   "listed with it under COMMANDS, and by \"zelvane-cli help COMMAND\"."}},
        .environment = {{"ZELVANE_VDRIVE_DIR",
                         "The folder of the virtual drive's state and disc "
                         "(default $XDG_DATA_HOME/zelvane/vdrive, else ~/.local/share/zelvane/vdrive)."}},
        .files = {{"/dev/sr0 ... /dev/sr24", "The CD/DVD drives reached through SG_IO."},
                  {"libwnaspi32.so",
                   "The provider library: looked up beside the program, then in the dynamic loader's search "
                   "path. The one installed with Zelvane is the virtual drive."}},
        .seeAlso = {"zelvane(1)", "zelvane-vdrive(1)"},
    };
    for (const auto &[name, command] : commandRegistry())
        program.commands.push_back(command.doc);
    program.commands.push_back(usage::HelpCommand(program, kExitUnknownCommand));
    return program;
}

} // namespace

std::string commandUsage(const std::string &name)
{
    const auto found = commandRegistry().find(name);
    return found == commandRegistry().end() ? std::string()
                                            : usage::UsageLines(cliProgram(), found->second.doc);
}

} // namespace zelvane::cli

int main(int argc, char **argv)
{
    using namespace zelvane;
    using namespace zelvane::cli;
    const usage::Program program = cliProgram();
    if (argc < 2) {
        std::fputs(usage::HelpText(program).c_str(), stderr);
        return 1;
    }
    const std::string name = argv[1];
    if (const auto status = usage::AnswerStandardOption(program, name))
        return *status;
    const CommandArgs args(argv + 2, argv + argc);
    if (const auto status = usage::AnswerHelpRequest(program, name, args, kExitUnknownCommand))
        return *status;
    const auto found = commandRegistry().find(name);
    if (found == commandRegistry().end()) {
        std::fprintf(stderr, "zelvane-cli: unknown command '%s'\n", name.c_str());
        std::fputs(usage::HelpText(program).c_str(), stderr);
        return 1;
    }
    return found->second.run(args);
}
