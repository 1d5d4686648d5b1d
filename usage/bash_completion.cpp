// The bash completion script of a program table: the commands after the
// program's name, then each command's options, the values of its options
// and its operands (file names, folders or fixed words such as media types).
#include "program_usage.h"

#include <cctype>

namespace zelvane::usage {

namespace {

std::string Joined(const std::vector<std::string> &words)
{
    std::string out;
    for (const std::string &word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

std::string AllNames(const std::vector<Option> &options)
{
    std::vector<std::string> names;
    for (const Option &option : options)
        names.insert(names.end(), option.names.begin(), option.names.end());
    return Joined(names);
}

std::string ValueNames(const std::vector<Option> &options)
{
    std::vector<std::string> names;
    for (const Option &option : options)
        if (!option.value.empty())
            names.insert(names.end(), option.names.begin(), option.names.end());
    return Joined(names);
}

// The shell code that fills COMPREPLY for one kind of word.
std::string Offer(Completion completion, const std::vector<std::string> &words)
{
    switch (completion) {
    case Completion::File:
        return "compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")";
    case Completion::Directory:
        return "compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")";
    case Completion::Words:
        return "COMPREPLY=($(compgen -W '" + Joined(words) + "' -- \"$cur\"))";
    case Completion::None:
        break;
    }
    return ":";
}

// The cases for the word after an option that takes a value.
std::string ValueCases(const std::vector<Option> &options, const std::string &indent)
{
    std::string out;
    for (const Option &option : options) {
        if (option.value.empty())
            continue;
        std::string pattern;
        for (const std::string &name : option.names)
            pattern += (pattern.empty() ? "" : "|") + name;
        out += indent + pattern + ") " + Offer(option.completion, option.words) + "; return ;;\n";
    }
    return out;
}

std::string FunctionName(const Program &program)
{
    std::string name = "_";
    for (char c : program.name)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

const char *OperandKind(Completion completion)
{
    switch (completion) {
    case Completion::File: return "file";
    case Completion::Directory: return "directory";
    case Completion::Words: return "words";
    case Completion::None: break;
    }
    return "none";
}

} // namespace

std::string BashCompletion(const Program &program)
{
    const std::string function = FunctionName(program);
    std::string out = "# bash completion for " + program.name + "\n" + function + "()\n{\n";
    out += "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n";
    std::vector<std::string> first;
    for (const Command &command : program.commands)
        first.push_back(command.name);
    out += "    if ((COMP_CWORD == 1)); then\n";
    out += "        COMPREPLY=($(compgen -W '" + Joined(first) + (first.empty() ? "" : " ") +
           AllNames(program.options) + "' -- \"$cur\"))\n";
    out += "        return\n    fi\n";
    out += "    local options='' values='' operands=none words=''\n";
    out += "    case ${COMP_WORDS[1]} in\n";
    for (const Command &command : program.commands) {
        out += "    " + command.name + ")\n";
        out += "        options='" + AllNames(command.options) + "'\n";
        out += "        values='" + ValueNames(command.options) + "'\n";
        out += "        operands=" + std::string(OperandKind(command.operands.completion)) + "\n";
        if (command.operands.completion == Completion::Words)
            out += "        words='" + Joined(command.operands.words) + "'\n";
        const std::string cases = ValueCases(command.options, "        ");
        if (!cases.empty())
            out += "        case $prev in\n" + cases + "        esac\n";
        out += "        ;;\n";
    }
    out += "    *) return ;;\n    esac\n";
    out += "    if [[ $cur == -* ]]; then\n";
    out += "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n        return\n    fi\n";
    out += "    case $operands in\n";
    out += "    file) " + Offer(Completion::File, {}) + " ;;\n";
    out += "    directory) " + Offer(Completion::Directory, {}) + " ;;\n";
    // Fixed words are offered for the first operand, the options after it:
    // skip the options and the values they take to count the operands given.
    out += "    words)\n";
    out += "        local i given=0\n";
    out += "        for ((i = 2; i < COMP_CWORD; i++)); do\n";
    out += "            if [[ \" $values \" == *\" ${COMP_WORDS[i]} \"* ]]; then\n";
    out += "                ((i++))\n";
    out += "            elif [[ ${COMP_WORDS[i]} != -* ]]; then\n";
    out += "                ((given++))\n";
    out += "            fi\n";
    out += "        done\n";
    out += "        if ((given == 0)); then\n";
    out += "            COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n";
    out += "        else\n";
    out += "            COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n";
    out += "        fi\n";
    out += "        ;;\n";
    out += "    *) COMPREPLY=($(compgen -W \"$options\" -- \"$cur\")) ;;\n";
    out += "    esac\n";
    out += "} &&\n    complete -F " + function + " " + program.name + "\n";
    return out;
}

} // namespace zelvane::usage
