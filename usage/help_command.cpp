// "help [COMMAND]" and "COMMAND --help" for programs with commands.
#include "program_usage.h"

#include <cstdio>

namespace zelvane::usage {

Command HelpCommand(const Program &program, int unknownStatus)
{
    Command help{
        .name = "help",
        .summary = "show the commands, or one command's options and exit statuses",
        .description = "Prints the usage of every command, or the options and exit statuses of COMMAND "
                       "(the same as \"" + program.name + " COMMAND --help\").",
        .operands = {.placeholder = "[COMMAND]", .completion = Completion::Words},
        .exits = {{unknownStatus, "there is no such command"}},
    };
    for (const Command &command : program.commands)
        help.operands.words.push_back(command.name);
    return help;
}

std::optional<int> AnswerHelpRequest(const Program &program, std::string_view name,
                                     const std::vector<std::string> &args, int unknownStatus)
{
    const bool helpOption = args.size() == 1 && (args[0] == "--help" || args[0] == "-h");
    if (name != "help" && (!helpOption || !FindCommand(program, name)))
        return std::nullopt;
    if (name == "help" && args.empty()) {
        std::fputs(HelpText(program).c_str(), stdout);
        return 0;
    }
    const std::string wanted = name == "help" ? args[0] : std::string(name);
    const Command *command = args.size() == 1 ? FindCommand(program, wanted) : nullptr;
    if (!command) {
        std::fprintf(stderr, "%s help: unknown command \"%s\"\n", program.name.c_str(), wanted.c_str());
        return unknownStatus;
    }
    std::fputs(CommandHelp(program, *command).c_str(), stdout);
    return 0;
}

} // namespace zelvane::usage
