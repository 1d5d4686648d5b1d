// The options every Zelvane program answers, and the consistency check the
// build runs on each table before it writes the manual page.
#include "program_usage.h"

#include <cstdio>
#include <regex>
#include <set>

#ifndef ZELVANE_VERSION
#error "ZELVANE_VERSION is set by the build"
#endif

namespace zelvane::usage {

std::vector<Option> StandardOptions()
{
    return {
        {.names = {"-h", "--help"}, .text = "Show the usage and exit."},
        {.names = {"--version"}, .text = "Show the program's name and version and exit."},
        {.names = {"--manual-page"},
         .text = "Print the manual page (roff) and exit; the build makes the installed page with it."},
        {.names = {"--bash-completion"},
         .text = "Print the bash completion script and exit; the build makes the installed script with it."},
    };
}

std::string_view ProgramVersion()
{
    return ZELVANE_VERSION;
}

std::string VersionText(const Program &program)
{
    return program.name + " " + std::string(ProgramVersion()) + "\n";
}

std::vector<std::string> Problems(const Program &program)
{
    static const std::regex optionToken("(^|[\\s\\[|])(--?[A-Za-z][A-Za-z0-9-]*)");
    std::vector<std::string> problems;
    auto check = [&](const std::string &where, const std::vector<std::string> &lines,
                     const std::vector<Option> &options) {
        std::set<std::string> shown, described;
        for (const std::string &line : lines)
            for (std::sregex_iterator it(line.begin(), line.end(), optionToken), end; it != end; ++it)
                shown.insert((*it)[2]);
        for (const Option &option : options) {
            described.insert(option.names.begin(), option.names.end());
            bool anyShown = false;
            for (const std::string &name : option.names)
                anyShown = anyShown || shown.count(name);
            if (!anyShown)
                problems.push_back(where + ": " + option.names.front() + " is described but not in the usage");
        }
        for (const std::string &name : shown)
            if (!described.count(name))
                problems.push_back(where + ": " + name + " is in the usage but not described");
    };
    check(program.name, program.synopsis, program.options);
    for (const Command &command : program.commands)
        check(program.name + " " + command.name, Forms(command), command.options);
    return problems;
}

std::optional<int> AnswerStandardOption(const Program &program, std::string_view argument)
{
    std::string text;
    if (argument == "-h" || argument == "--help") {
        text = HelpText(program);
    } else if (argument == "--version") {
        text = VersionText(program);
    } else if (argument == "--manual-page" || argument == "--bash-completion") {
        const auto problems = Problems(program);
        for (const std::string &problem : problems)
            std::fprintf(stderr, "%s\n", problem.c_str());
        if (!problems.empty())
            return 1;
        text = argument == "--manual-page" ? ManualPage(program) : BashCompletion(program);
    } else {
        return std::nullopt;
    }
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

} // namespace zelvane::usage
