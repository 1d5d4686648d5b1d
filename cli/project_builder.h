// The project options shared by make-iso and burn, and building the
// burner's project from local files and folders the way the wizard does.
#pragma once

#include "command.h"

#include <string>
#include <vector>

namespace zelvane {
class TSarnixBurner;
class FolderProject;
}

namespace zelvane::cli {

struct ProjectOptions {
    std::string volume = "New";
    std::string preparer, publisher, copyright, boot;
    bool joliet = true;
    std::vector<std::string> paths;
};

enum class OptionTaken { Yes, No, Failed };

// Takes args[i] (and its value, advancing i) when it is a project option or
// a PATH; No for anything else.
OptionTaken takeProjectOption(const CommandArgs &args, std::size_t &i, ProjectOptions &options, std::string &error);

// The descriptions of the options takeProjectOption takes.
std::vector<usage::Option> projectOptions();

// The boot image must be a readable, non-empty file.
bool checkBootImage(const ProjectOptions &options, std::string &error);

// Hands the paths to the burner's tree (leaving out `excludedFile` when it
// exists, e.g. the image being written) and sets the volume identifiers.
void buildProject(TSarnixBurner &burner, FolderProject &project, const ProjectOptions &options,
                  const std::string &excludedFile = {});

// Prints the tree's reports (levels 3 and 4) and sets `failed` when one comes.
void reportTreeMessages(TSarnixBurner &burner, const char *command, bool &failed);

// Prints the notes of the project (names changed, files left out).
void printProjectNotes(const FolderProject &project, const char *command);

// Bytes of the new files of the project.
std::int64_t projectBytes(const TSarnixBurner &burner);

} // namespace zelvane::cli
