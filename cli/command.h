// Sub-commands of zelvane-cli. Each command lives in its own source file and
// registers itself with a CliCommandRegistrar, so adding a command touches no
// other file.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zelvane::cli {

using CommandArgs = std::vector<std::string>;
using CommandFn = std::function<int(const CommandArgs &args)>;

struct CliCommand {
    std::string usage;   // one line, shown by "zelvane-cli help"
    CommandFn run;
};

// The registry, keyed by command name (sorted for the help listing).
std::map<std::string, CliCommand> &commandRegistry();

struct CliCommandRegistrar {
    CliCommandRegistrar(const std::string &name, std::string usage, CommandFn run)
    {
        commandRegistry()[name] = CliCommand{std::move(usage), std::move(run)};
    }
};

} // namespace zelvane::cli
