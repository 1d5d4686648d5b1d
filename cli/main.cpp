// zelvane-cli: the burning engine from the command line.
#include "command.h"

#include <cstdio>

namespace zelvane::cli {

std::map<std::string, CliCommand> &commandRegistry()
{
    static std::map<std::string, CliCommand> registry;
    return registry;
}

} // namespace zelvane::cli

namespace {

void printUsage(std::FILE *out)
{
    std::fprintf(out, "usage: zelvane-cli COMMAND [OPTIONS]\n\ncommands:\n");
    for (const auto &[name, command] : zelvane::cli::commandRegistry())
        std::fprintf(out, "  %s\n", command.usage.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    using namespace zelvane::cli;
    if (argc < 2) {
        printUsage(stderr);
        return 1;
    }
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        printUsage(stdout);
        return 0;
    }
    const auto found = commandRegistry().find(name);
    if (found == commandRegistry().end()) {
        std::fprintf(stderr, "zelvane-cli: unknown command '%s'\n", name.c_str());
        printUsage(stderr);
        return 1;
    }
    return found->second.run(CommandArgs(argv + 2, argv + argc));
}
