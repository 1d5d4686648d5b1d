// The manual page of a program table, in the man macros of roff.
#include "program_usage.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace zelvane::usage {

namespace {

// Escapes running text: backslashes, and a "." or "'" that would start a
// request at the beginning of a line. Words that begin with "-" (options
// named in the text) get real minus signs.
std::string RoffText(const std::string &text)
{
    std::string out;
    bool wordStart = true;
    bool inOption = false;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-' && (wordStart || inOption)) {
            out += "\\-";
            inOption = true;
        } else {
            out += c;
        }
        const bool space = c == ' ' || c == '\n';
        inOption = inOption && !space;
        wordStart = space || c == '(' || c == '"';
    }
    return out;
}

std::string Line(const std::string &text)
{
    const std::string escaped = RoffText(text);
    if (!escaped.empty() && (escaped.front() == '.' || escaped.front() == '\''))
        return "\\&" + escaped + "\n";
    return escaped + "\n";
}

std::string Paragraphs(const std::string &text)
{
    std::string out;
    std::istringstream lines(text);
    std::string line, paragraph;
    auto flush = [&] {
        if (!paragraph.empty())
            out += ".PP\n" + Line(paragraph);
        paragraph.clear();
    };
    while (std::getline(lines, line)) {
        if (line.empty())
            flush();
        else
            paragraph += (paragraph.empty() ? "" : " ") + line;
    }
    flush();
    return out;
}

bool IsPlaceholder(const std::string &word)
{
    return !word.empty() && std::isupper(static_cast<unsigned char>(word.front()));
}

// One argument line (without its newline): option and command words in
// bold, placeholders in italics, brackets and bars as they are. Inside
// brackets the spaces do not break, so "[--speed N]" stays on one line.
std::string SynopsisLine(const std::string &text)
{
    std::string out, word;
    int depth = 0;
    auto flushWord = [&] {
        if (word.empty())
            return;
        std::string escaped;
        for (char c : word)
            escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        out += (IsPlaceholder(word) ? "\\fI" : "\\fB") + escaped + "\\fR";
        word.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '[' || c == ']' || c == '|' || c == ' ' || text.compare(i, 3, "...") == 0) {
            flushWord();
            if (c == '[')
                ++depth;
            if (c == ']')
                --depth;
            if (c == ' ')
                out += depth > 0 ? "\\ " : " ";
            else if (c == '.')
                out += "\\&...", i += 2;
            else
                out += c;
        } else {
            word += c;
        }
    }
    flushWord();
    return out;
}

std::string OptionTerm(const Option &option)
{
    std::string out;
    for (const std::string &name : option.names)
        out += (out.empty() ? "" : ", ") + SynopsisLine(name);
    if (!option.value.empty())
        out += " " + SynopsisLine(option.value);
    return out + "\n";
}

std::string OptionList(const std::vector<Option> &options)
{
    std::string out;
    for (const Option &option : options)
        out += ".TP\n" + OptionTerm(option) + Line(option.text);
    return out;
}

std::string ExitList(const std::vector<ExitStatus> &exits)
{
    std::string out;
    for (const ExitStatus &exit : exits)
        out += ".TP\n.B " + std::to_string(exit.code) + "\n" + Line(exit.text);
    return out;
}

std::string EntryList(const std::vector<Entry> &entries)
{
    std::string out;
    for (const Entry &entry : entries)
        out += ".TP\n.B " + RoffText(entry.term) + "\n" + Line(entry.text);
    return out;
}

std::string UpperCase(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string ManualPage(const Program &program)
{
    const std::string name = RoffText(program.name);
    std::string out = "'\\\" -*- coding: UTF-8 -*-\n";
    out += ".TH " + RoffText(UpperCase(program.name)) + " 1 \"\" \"Zelvane " + std::string(ProgramVersion()) +
           "\" \"User Commands\"\n";
    // Ragged right and no hyphenation: option names and paths stay whole.
    out += ".ad l\n.nh\n";
    out += ".SH NAME\n" + name + " \\- " + RoffText(program.summary) + "\n";
    out += ".SH SYNOPSIS\n";
    for (std::size_t i = 0; i < program.synopsis.size(); ++i)
        out += (i ? ".br\n" : "") + std::string(".B ") + name + "\n" + SynopsisLine(program.synopsis[i]) + "\n";
    out += ".SH DESCRIPTION\n" + Paragraphs(program.description);
    out += ".SH OPTIONS\n" + OptionList(program.options);
    if (!program.commands.empty()) {
        out += ".SH COMMANDS\n";
        for (const Command &command : program.commands) {
            out += ".SS " + RoffText(command.name) + "\n";
            const auto forms = Forms(command);
            for (std::size_t i = 0; i < forms.size(); ++i)
                out += (i ? ".br\n" : "") + std::string(".B ") + name + " " + RoffText(command.name) + "\n" +
                       SynopsisLine(forms[i]) + "\n";
            out += Paragraphs(command.description.empty() ? command.summary : command.description);
            if (!command.options.empty())
                out += ".PP\nOptions:\n.RS\n" + OptionList(command.options) + ".RE\n";
            out += ".PP\nExit status:\n.RS\n" + ExitList(CommandExits(command)) + ".RE\n";
        }
    }
    out += ".SH \"EXIT STATUS\"\n" + ExitList(program.exits);
    if (!program.environment.empty())
        out += ".SH ENVIRONMENT\n" + EntryList(program.environment);
    if (!program.files.empty())
        out += ".SH FILES\n" + EntryList(program.files);
    if (!program.seeAlso.empty()) {
        out += ".SH \"SEE ALSO\"\n";
        for (std::size_t i = 0; i < program.seeAlso.size(); ++i) {
            // "zelvane-cli(1)": the name in bold, the section after it.
            const std::string &page = program.seeAlso[i];
            const auto open = std::min(page.find('('), page.size());
            out += ".BR " + RoffText(page.substr(0, open)) + " \"" + page.substr(open) +
                   (i + 1 < program.seeAlso.size() ? "," : "") + "\"\n";
        }
    }
    return out;
}

} // namespace zelvane::usage
