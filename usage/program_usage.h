// The description of a program's command line: its commands, options,
// operands and exit statuses. Each program keeps one such table, and its
// --help text, its manual page and its bash completion are all rendered from
// it, so the three cannot say different things.
//
// A new option or command is described where it is parsed (the command's
// own table entry); the build makes the manual page and the completion by
// running the program with --manual-page and --bash-completion, and fails
// when a usage line names an option the table does not describe, or the
// other way round.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane::usage {

// What the shell may offer for an option's value or for an operand.
enum class Completion { None, File, Directory, Words };

struct Option {
    std::vector<std::string> names{};   // "-o", "--output"
    std::string value{};                // placeholder of the value ("N"); empty for a flag
    std::string text{};                 // what the option does
    Completion completion = Completion::None;
    std::vector<std::string> words{};   // the values, for Completion::Words
    bool required = false;              // shown without brackets in a generated synopsis
};

// The words of a command that are not options.
struct Operands {
    std::string placeholder{};          // "PATH...", "[DISC-PATH] TARGET-FOLDER"
    Completion completion = Completion::None;
    std::vector<std::string> words{};   // Completion::Words: offered for the first operand only
};

struct ExitStatus {
    int code{};
    std::string text{};
};

// A titled paragraph of the manual page (ENVIRONMENT, FILES).
struct Entry {
    std::string term{};
    std::string text{};
};

struct Command {
    std::string name{};
    std::string summary{};              // one line for the command list, lower-case, no full stop
    std::string description{};          // paragraphs separated by blank lines
    std::vector<Option> options{};
    Operands operands{};
    std::vector<ExitStatus> exits{};    // the statuses this command ends with besides 0
    // Argument lines after the name. When empty, one line is made of the
    // options (in brackets unless required) followed by the operands.
    std::vector<std::string> forms{};
};

struct Program {
    std::string name{};                 // "zelvane-cli"
    std::string summary{};              // the manual page's NAME line after the dash
    std::vector<std::string> synopsis{}; // lines after the program name
    std::string description{};
    std::vector<Option> options{};      // options of the program itself
    std::vector<Command> commands{};
    std::vector<ExitStatus> exits{};
    std::vector<Entry> environment{};
    std::vector<Entry> files{};
    std::vector<std::string> seeAlso{}; // "zelvane-vdrive(1)"
    std::string helpFooter{};           // printed after --help only (not in the manual page)
};

// The options every program answers the same way.
std::vector<Option> StandardOptions();

// The argument lines of a command, generated when it gives none.
std::vector<std::string> Forms(const Command &command);

// "usage: PROGRAM NAME FORM" for every form, one per line.
std::string UsageLines(const Program &program, const Command &command);

// --help of the program, and the help of one command.
std::string HelpText(const Program &program);
std::string CommandHelp(const Program &program, const Command &command);

// The command's exit statuses, with "0 success" first when it names no 0.
std::vector<ExitStatus> CommandExits(const Command &command);

// The version of the Zelvane programs, and "NAME VERSION" for --version.
std::string_view ProgramVersion();
std::string VersionText(const Program &program);
std::string ManualPage(const Program &program);
std::string BashCompletion(const Program &program);

// Disagreements inside the table: an option that no argument line shows,
// or an argument line naming an option that is not described.
std::vector<std::string> Problems(const Program &program);

// Answers --help, --version, --manual-page and --bash-completion given as
// the program's first argument (printing to standard output); nothing for
// any other argument.
std::optional<int> AnswerStandardOption(const Program &program, std::string_view argument);

const Command *FindCommand(const Program &program, std::string_view name);

// The command "help [COMMAND]" of a program with commands (add it last, so
// it offers every other command's name); unknownStatus ends a request for a
// command that does not exist.
Command HelpCommand(const Program &program, int unknownStatus);

// Answers "help [COMMAND]" and "COMMAND --help" (or -h) for a COMMAND of
// the program, on standard output; nothing when `name` and `args` are neither.
std::optional<int> AnswerHelpRequest(const Program &program, std::string_view name,
                                     const std::vector<std::string> &args, int unknownStatus);

} // namespace zelvane::usage
