// zelvane-cli make-iso: builds an ISO 9660 + Joliet image from local files
// and folders the way the wizard builds a project, and writes it through
// the read-ahead cache and the writing thread as the wizard does.
#include "command.h"
#include "project_builder.h"
#include "write_session.h"

#include "sxCDBC/FolderProject.h"
#include "sxCDBC/SarnixBurner.h"

#include <cstdio>

namespace zelvane::cli {

namespace {

constexpr int kExitIncomplete = 1;
constexpr int kExitMakeIsoUsage = 2;

struct MakeIsoOptions {
    std::string output;
    bool direct = false;
    ProjectOptions project;
};

bool parse(const CommandArgs &args, MakeIsoOptions &options, std::string &error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "-o" || arg == "--output") {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            options.output = args[++i];
        } else if (arg == "--direct") {
            options.direct = true;
        } else {
            const OptionTaken taken = takeProjectOption(args, i, options.project, error);
            if (taken == OptionTaken::Failed)
                return false;
            if (taken == OptionTaken::No) {
                error = "unknown option " + arg;
                return false;
            }
        }
    }
    if (options.output.empty())
        error = "no output file (-o FILE)";
    else if (options.project.paths.empty())
        error = "no PATH to put into the image";
    else
        checkBootImage(options.project, error);
    return error.empty();
}

int makeIso(const CommandArgs &args)
{
    MakeIsoOptions options;
    std::string error;
    if (!parse(args, options, error)) {
        std::fprintf(stderr, "zelvane-cli make-iso: %s\n%s", error.c_str(), commandUsage("make-iso").c_str());
        return kExitMakeIsoUsage;
    }

    TSarnixBurner burner;
    bool engineFailed = false;
    reportTreeMessages(burner, "make-iso", engineFailed);
    FolderProject project(burner);
    buildProject(burner, project, options.project, options.output);

    std::string result;
    {
        // The session also lets Ctrl-C stop the write in the calling thread.
        WriteSession session(burner, "make-iso");
        if (options.direct) {
            burner.OnWriteDone = [&](TSarnixBurner *, const std::string &text) { result = text; };
            burner.SaveImageFile(options.output, true);
        } else {
            burner.SaveImageFile(options.output, false);
            result = session.run(true);  // a refused start has already reported
        }
    }
    printProjectNotes(project, "make-iso");
    if (!result.empty()) {
        std::fprintf(stderr, "zelvane-cli make-iso: %s\n", result.c_str());
        return kExitIncomplete;
    }
    std::size_t files = 0;
    for (const auto &entry : burner.Tree().Files())
        files += !entry->isDirectory();
    std::printf("%s: %zu files, %zu folders, %lld sectors\n", options.output.c_str(), files,
                burner.Tree().Directories().size(), static_cast<long long>(burner.SectorCount()));
    return project.complete() && !engineFailed ? 0 : kExitIncomplete;
}

usage::Command describe()
{
    usage::Command command{
        .name = "make-iso",
        .summary = "make an ISO 9660 + Joliet image of local files and folders",
        .description =
            "Builds the image the way the wizard builds a project (each PATH at the top of the image; names "
            "that ISO 9660 or Joliet cannot take are changed, and every change or file left out is reported on "
            "standard error) and writes it into FILE through the read-ahead cache and the writing thread. The "
            "image file itself is never put into the image. An argument \"--\" ends the options: every later "
            "argument is a PATH.",
        .options = {{.names = {"-o", "--output"},
                     .value = "FILE",
                     .text = "The image file to write (required).",
                     .completion = usage::Completion::File,
                     .required = true}},
        .operands = {.placeholder = "PATH...", .completion = usage::Completion::File},
        .exits = {{kExitIncomplete, "the image could not be written, or not every file could be put into it"},
                  {kExitMakeIsoUsage, "wrong usage"}},
    };
    const auto project = projectOptions();
    command.options.insert(command.options.end(), project.begin(), project.end());
    command.options.push_back({.names = {"--direct"},
                               .text = "Write the image on the calling thread, without the cache (same data)."});
    return command;
}

const CliCommandRegistrar registrar(describe(), makeIso);

} // namespace

} // namespace zelvane::cli
