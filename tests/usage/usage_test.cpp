// A small program table rendered as help text, manual page and completion.
#include "program_usage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace zelvane::usage;

namespace {

Program SampleProgram()
{
    Program program{
        .name = "sample",
        .summary = "try the renderings",
        .synopsis = {"COMMAND", "--help | --version | --manual-page | --bash-completion"},
        .description = ".starts with a dot\n\nsecond paragraph with a back\\slash",
        .options = StandardOptions(),
        .exits = {{0, "success"}},
    };
    program.commands.push_back({
        .name = "write",
        .summary = "write things",
        .options = {{.names = {"--no-joliet"}, .text = "plain names"},
                    {.names = {"-o", "--output"}, .value = "FILE", .text = "where", .required = true},
                    {.names = {"--very-long-option-name-that-goes-on"}, .value = "VALUE", .text = "x"}},
        .operands = {.placeholder = "PATH...", .completion = Completion::File},
    });
    program.commands.push_back({
        .name = "insert",
        .summary = "insert a disc",
        .options = {{.names = {"--capacity"}, .value = "SECTORS", .text = "size"}},
        .operands = {.placeholder = "TYPE", .completion = Completion::Words, .words = {"cd-r", "dvd+rw"}},
        .forms = {"TYPE [--capacity SECTORS]"},
    });
    return program;
}

} // namespace

TEST(UsageTable, UsageLinesAndOptionListsThatDisagreeAreFound)
{
    Program program = SampleProgram();
    EXPECT_TRUE(Problems(program).empty());

    program.commands[1].options.push_back({.names = {"--dvd"}, .text = "a DVD"});
    program.commands[1].forms.push_back("--bogus");
    const auto problems = Problems(program);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], "sample insert: --dvd is described but not in the usage");
    EXPECT_EQ(problems[1], "sample insert: --bogus is in the usage but not described");
}

TEST(UsageTable, HelpTextFitsEightyColumnsAndKeepsBracketsWhole)
{
    const Program program = SampleProgram();
    EXPECT_EQ(Forms(program.commands[0]).front(),
              "[--no-joliet] -o FILE [--very-long-option-name-that-goes-on VALUE] PATH...");
    for (const std::string &text : {HelpText(program), CommandHelp(program, program.commands[0]),
                                    UsageLines(program, program.commands[0])}) {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            EXPECT_LE(line.size(), 79u) << line;
            EXPECT_EQ(std::count(line.begin(), line.end(), '['), std::count(line.begin(), line.end(), ']'))
                << line;
        }
    }
    EXPECT_NE(CommandHelp(program, program.commands[1]).find("  0   success\n"), std::string::npos);
}

TEST(UsageTable, ManualPageEscapesWhatRoffWouldMisread)
{
    const std::string page = ManualPage(SampleProgram());
    EXPECT_EQ(page.find(".TH SAMPLE 1"), page.find('\n') + 1);
    EXPECT_NE(page.find("\n\\&.starts with a dot\n"), std::string::npos);
    EXPECT_NE(page.find("back\\eslash"), std::string::npos);
    EXPECT_NE(page.find("\\fB\\-\\-no\\-joliet\\fR"), std::string::npos);
    // A required option stands without brackets, others with unbreakable spaces.
    EXPECT_NE(page.find("] \\fB\\-o\\fR \\fIFILE\\fR [\\fB\\-\\-very"), std::string::npos);
    EXPECT_NE(page.find("[\\fB\\-\\-capacity\\fR\\ \\fISECTORS\\fR]"), std::string::npos);
    EXPECT_NE(page.find(".SS insert"), std::string::npos);
}
