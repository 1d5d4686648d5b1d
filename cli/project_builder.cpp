#include "project_builder.h"

#include "sxCDBC/FolderProject.h"
#include "sxCDBC/SarnixBurner.h"

#include "sxConst/ImportTexts.h"

#include <cstdio>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace zelvane::cli {

OptionTaken takeProjectOption(const CommandArgs &args, std::size_t &i, ProjectOptions &options, std::string &error)
{
    const std::string &arg = args[i];
    auto value = [&](std::string &into) {
        if (i + 1 >= args.size()) {
            error = "option " + arg + " needs a value";
            return OptionTaken::Failed;
        }
        into = args[++i];
        return OptionTaken::Yes;
    };
    if (arg == "--volume")
        return value(options.volume);
    if (arg == "--preparer")
        return value(options.preparer);
    if (arg == "--publisher")
        return value(options.publisher);
    if (arg == "--copyright")
        return value(options.copyright);
    if (arg == "--boot")
        return value(options.boot);
    if (arg == "--no-joliet") {
        options.joliet = false;
        return OptionTaken::Yes;
    }
    if (arg == "--") {
        options.paths.insert(options.paths.end(), args.begin() + static_cast<long>(i) + 1, args.end());
        i = args.size();
        return OptionTaken::Yes;
    }
    if (arg.size() > 1 && arg[0] == '-')
        return OptionTaken::No;
    options.paths.push_back(arg);
    return OptionTaken::Yes;
}

std::vector<usage::Option> projectOptions()
{
    auto identifier = [](const char *name, const char *what) {
        return usage::Option{.names = {name}, .value = "TEXT", .text = what};
    };
    return {
        identifier("--volume", "The volume label (default \"New\")."),
        identifier("--preparer", "The data preparer identifier of the volume."),
        identifier("--publisher", "The publisher identifier of the volume."),
        identifier("--copyright", "The copyright file identifier of the volume."),
        {.names = {"--boot"},
         .value = "FLOPPY.img",
         .text = "Make the disc bootable (El Torito) with this boot image: a 1.2, 1.44 or 2.88 MB image starts "
                 "as a floppy, any other size as a hard disk.",
         .completion = usage::Completion::File},
        {.names = {"--no-joliet"}, .text = "Leave out the Joliet names: ISO 9660 names only."},
    };
}

bool checkBootImage(const ProjectOptions &options, std::string &error)
{
    if (options.boot.empty())
        return true;
    struct stat info {};
    if (::stat(options.boot.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        return true;
    error = "boot image " + options.boot + " is not a readable, non-empty file";
    return false;
}

void buildProject(TSarnixBurner &burner, FolderProject &project, const ProjectOptions &options,
                  const std::string &excludedFile)
{
    burner.ClearProject(65535, 8191);
    struct stat existing {};
    if (!excludedFile.empty() && ::stat(excludedFile.c_str(), &existing) == 0)
        project.exclude(existing.st_dev, existing.st_ino);
    for (const auto &path : options.paths)
        project.addPath(path);
    project.build();

    burner.IdVolume = options.volume;
    burner.IdPreparer = options.preparer;
    burner.IdPublisher = options.publisher;
    burner.FileCopyright = options.copyright;
    burner.IdApplication = "Zelvane";
    burner.DateCreation = todayDate();
    burner.JolietFileSystem = options.joliet;
    burner.BootImageFile = options.boot;
    burner.Bootable = !options.boot.empty();
}

void reportTreeMessages(TSarnixBurner &burner, const char *command, bool &failed)
{
    // A session imported twice (for the size check, then for the write)
    // reports the same things twice: each is printed once.
    auto printed = std::make_shared<std::set<std::string>>();
    burner.OnDebugMessage = [command, &failed, printed](TSCSIDevice *, const std::string &message, std::uint8_t level) {
        if (level < 3)
            return;
        if (printed->insert(message).second)
            std::fprintf(stderr, "zelvane-cli %s: %s\n", command, message.c_str());
        // A name that changed on import is a note; everything else means
        // something asked for is missing.
        const std::string_view renamed = texts::kImportedNameChanged.substr(0, texts::kImportedNameChanged.find("%s"));
        if (message.rfind(renamed, 0) != 0)
            failed = true;
    };
}

void printProjectNotes(const FolderProject &project, const char *command)
{
    for (const auto &note : project.notes())
        std::fprintf(stderr, "zelvane-cli %s: %s: %s\n", command, note.path.c_str(), note.message.c_str());
}

std::int64_t projectBytes(const TSarnixBurner &burner)
{
    std::int64_t bytes = 0;
    for (const auto &entry : burner.Tree().Files())
        if (!entry->isDirectory() && !entry->FromPreviousSession)
            bytes += entry->IsoDataLength;
    return bytes;
}

} // namespace zelvane::cli
