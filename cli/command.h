// Sub-commands of zelvane-cli. Each command lives in its own source file and
// registers itself with a CliCommandRegistrar together with its description
// (usage, options, exit statuses), so adding a command touches no other file,
// and --help, the manual page and the bash completion all learn of it.
#pragma once

#include "program_usage.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zelvane::cli {

using CommandArgs = std::vector<std::string>;
using CommandFn = std::function<int(const CommandArgs &args)>;

struct CliCommand {
    usage::Command doc;
    CommandFn run;
};

// The registry, keyed by command name (sorted for the help listing).
std::map<std::string, CliCommand> &commandRegistry();

struct CliCommandRegistrar {
    CliCommandRegistrar(usage::Command doc, CommandFn run)
    {
        std::string name = doc.name;
        commandRegistry()[name] = CliCommand{std::move(doc), std::move(run)};
    }
};

// "usage: zelvane-cli NAME ..." lines of a registered command, to print with
// a wrong command line.
std::string commandUsage(const std::string &name);

} // namespace zelvane::cli
