// The plain-text renderings of a program table: --help, a command's help and
// the usage lines printed with a wrong command line.
#include "program_usage.h"

#include <algorithm>
#include <sstream>

namespace zelvane::usage {

namespace {

constexpr std::size_t kWidth = 79;
constexpr std::size_t kOptionColumn = 26;
constexpr std::size_t kExitColumn = 6;

// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t Columns(const std::string &text)
{
    std::size_t columns = 0;
    for (unsigned char c : text)
        columns += (c & 0xC0) != 0x80;
    return columns;
}

// Fills `text` into lines of at most kWidth columns and ends it with a
// newline. The first line goes on from column `start` (the caller has
// written what stands before it); later lines are indented by `indent`.
// Paragraphs (separated by blank lines) stay separated, and a bracketed
// group such as "[--speed N]" is never broken.
std::string Wrap(std::string text, std::size_t indent, std::size_t start)
{
    constexpr char kKeptSpace = '\x1f';
    int depth = 0;
    for (char &c : text) {
        depth += c == '[' ? 1 : c == ']' && depth > 0 ? -1 : 0;
        if (c == ' ' && depth > 0)
            c = kKeptSpace;
    }
    std::string out;
    std::istringstream lines(text);
    std::string line;
    std::size_t column = start;
    bool lineEmpty = true;    // nothing written since the line began
    bool paragraphEnd = false;
    while (std::getline(lines, line)) {
        if (line.empty()) {
            paragraphEnd = !lineEmpty || paragraphEnd;
            continue;
        }
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            if (paragraphEnd || (!lineEmpty && column + 1 + Columns(word) > kWidth)) {
                out += paragraphEnd ? "\n\n" : "\n";
                out.append(indent, ' ');
                column = indent;
                paragraphEnd = false;
            } else if (!lineEmpty) {
                out += ' ';
                ++column;
            }
            out += word;
            column += Columns(word);
            lineEmpty = false;
        }
    }
    std::replace(out.begin(), out.end(), kKeptSpace, ' ');
    return out + "\n";
}

std::string OptionTerm(const Option &option)
{
    std::string term;
    for (const std::string &name : option.names)
        term += (term.empty() ? "" : ", ") + name;
    if (!option.value.empty())
        term += " " + option.value;
    return term;
}

// "  TERM   text" rows with the text from `column` on; a term too wide for
// its column gets the text below it.
std::string TermList(const std::vector<std::pair<std::string, std::string>> &rows, std::size_t column)
{
    std::string out;
    for (const auto &[term, text] : rows) {
        std::string head = "  " + term;
        if (head.size() + 2 > column)
            head += "\n" + std::string(column, ' ');
        else
            head.append(column - head.size(), ' ');
        out += head + Wrap(text, column, column);
    }
    return out;
}

std::string OptionList(const std::vector<Option> &options)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const Option &option : options)
        rows.emplace_back(OptionTerm(option), option.text);
    return TermList(rows, kOptionColumn);
}

std::string ExitList(const std::vector<ExitStatus> &exits)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const ExitStatus &exit : exits)
        rows.emplace_back(std::to_string(exit.code), exit.text);
    return TermList(rows, kExitColumn);
}

} // namespace

std::vector<std::string> Forms(const Command &command)
{
    if (!command.forms.empty())
        return command.forms;
    std::string form;
    for (const Option &option : command.options) {
        std::string shown = option.names.front();
        if (!option.value.empty())
            shown += " " + option.value;
        form += (form.empty() ? "" : " ") + (option.required ? shown : "[" + shown + "]");
    }
    if (!command.operands.placeholder.empty())
        form += (form.empty() ? "" : " ") + command.operands.placeholder;
    return {form};
}

std::string UsageLines(const Program &program, const Command &command)
{
    std::string out;
    const std::string lead = "usage: " + program.name + " " + command.name;
    for (const std::string &form : Forms(command))
        out += lead + (form.empty() ? "\n" : " " + Wrap(form, 8, lead.size() + 1));
    return out;
}

std::string HelpText(const Program &program)
{
    std::string out;
    const std::string lead = "usage: " + program.name + " ";
    for (std::size_t i = 0; i < program.synopsis.size(); ++i)
        out += (i == 0 ? lead : std::string(lead.size(), ' ')) + Wrap(program.synopsis[i], lead.size(), lead.size());
    out += "\n" + Wrap(program.description, 0, 0);
    if (!program.commands.empty()) {
        out += "\ncommands:\n";
        for (const Command &command : program.commands) {
            for (const std::string &form : Forms(command)) {
                const std::string line = command.name + (form.empty() ? "" : " " + form);
                out += "  " + Wrap(line, 6, 2);
            }
            out += "      " + Wrap(command.summary, 6, 6);
        }
    }
    out += "\noptions:\n" + OptionList(program.options);
    out += "\nexit status:\n" + ExitList(program.exits);
    if (FindCommand(program, "help"))
        out += "\n\"" + program.name + " help COMMAND\" shows a command's options and exit statuses.\n";
    return out + program.helpFooter;
}

std::string CommandHelp(const Program &program, const Command &command)
{
    std::string out = UsageLines(program, command);
    out += "\n" + Wrap(command.description.empty() ? command.summary : command.description, 0, 0);
    if (!command.options.empty())
        out += "\noptions:\n" + OptionList(command.options);
    out += "\nexit status:\n" + ExitList(CommandExits(command));
    return out;
}

std::vector<ExitStatus> CommandExits(const Command &command)
{
    std::vector<ExitStatus> exits = command.exits;
    if (std::none_of(exits.begin(), exits.end(), [](const ExitStatus &exit) { return exit.code == 0; }))
        exits.insert(exits.begin(), ExitStatus{0, "success"});
    return exits;
}

const Command *FindCommand(const Program &program, std::string_view name)
{
    for (const Command &command : program.commands)
        if (command.name == name)
            return &command;
    return nullptr;
}

} // namespace zelvane::usage
