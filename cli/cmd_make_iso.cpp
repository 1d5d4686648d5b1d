// zelvane-cli make-iso: builds an ISO 9660 + Joliet image from local files
// and folders the way the wizard builds a project, and writes it directly.
#include "command.h"

#include "sxCDBC/FolderProject.h"
#include "sxCDBC/SarnixBurner.h"

#include <cstdio>
#include <sys/stat.h>

namespace zelvane::cli {

namespace {

constexpr const char *kUsage =
    "make-iso -o FILE [--volume TEXT] [--preparer TEXT] [--publisher TEXT] [--copyright TEXT] "
    "[--boot FLOPPY.img] [--no-joliet] PATH...";

struct MakeIsoOptions {
    std::string output;
    std::string volume = "New";
    std::string preparer, publisher, copyright, boot;
    bool joliet = true;
    std::vector<std::string> paths;
};

bool parse(const CommandArgs &args, MakeIsoOptions &options, std::string &error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        auto value = [&](std::string &into) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (arg == "-o" || arg == "--output") {
            if (!value(options.output))
                return false;
        } else if (arg == "--volume") {
            if (!value(options.volume))
                return false;
        } else if (arg == "--preparer") {
            if (!value(options.preparer))
                return false;
        } else if (arg == "--publisher") {
            if (!value(options.publisher))
                return false;
        } else if (arg == "--copyright") {
            if (!value(options.copyright))
                return false;
        } else if (arg == "--boot") {
            if (!value(options.boot))
                return false;
        } else if (arg == "--no-joliet") {
            options.joliet = false;
        } else if (arg == "--") {
            options.paths.insert(options.paths.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            options.paths.push_back(arg);
        }
    }
    if (options.output.empty())
        error = "no output file (-o FILE)";
    else if (options.paths.empty())
        error = "no PATH to put into the image";
    return error.empty();
}

int makeIso(const CommandArgs &args)
{
    MakeIsoOptions options;
    std::string error;
    if (!parse(args, options, error)) {
        std::fprintf(stderr, "zelvane-cli make-iso: %s\nusage: zelvane-cli %s\n", error.c_str(), kUsage);
        return 2;
    }
    if (!options.boot.empty()) {
        struct stat info {};
        if (::stat(options.boot.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) {
            std::fprintf(stderr, "zelvane-cli make-iso: boot image %s is not a readable, non-empty file\n",
                         options.boot.c_str());
            return 2;
        }
    }

    TSarnixBurner burner;
    bool engineFailed = false;
    burner.OnDebugMessage = [&](TSCSIDevice *, const std::string &message, std::uint8_t level) {
        if (level >= 3) {
            std::fprintf(stderr, "zelvane-cli make-iso: %s\n", message.c_str());
            engineFailed = true;
        }
    };
    burner.ClearProject(65535, 8191);

    FolderProject project(burner);
    struct stat existing {};
    if (::stat(options.output.c_str(), &existing) == 0)
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

    std::string writeError;
    burner.OnWriteDone = [&](TSarnixBurner *, const std::string &text) { writeError = text; };
    const int result = burner.SaveImageFile(options.output, true);

    for (const auto &note : project.notes())
        std::fprintf(stderr, "zelvane-cli make-iso: %s: %s\n", note.path.c_str(), note.message.c_str());
    if (result != 1) {
        std::fprintf(stderr, "zelvane-cli make-iso: %s\n", writeError.c_str());
        return 1;
    }
    std::size_t files = 0;
    for (const auto &entry : burner.Tree().Files())
        files += !entry->isDirectory();
    std::printf("%s: %zu files, %zu folders, %lld sectors\n", options.output.c_str(), files,
                burner.Tree().Directories().size(), static_cast<long long>(burner.SectorCount()));
    return project.complete() && !engineFailed ? 0 : 1;
}

const CliCommandRegistrar registrar("make-iso", kUsage, makeIso);

} // namespace

} // namespace zelvane::cli
