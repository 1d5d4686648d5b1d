// zelvane-cli extract: copies a file, a folder or a whole session of the
// disc into a local folder, byte for byte and with the disc's dates. A
// session becomes a folder named like its line in the sessions list.
#include "command.h"
#include "drive_choice.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxTasks/DiscSessions.h"
#include "sxTasks/SessionExtraction.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace zelvane::cli {

namespace {

constexpr int kExitFailed = 4;

std::atomic<bool> stopRequested{false};

void requestStop(int)
{
    stopRequested = true;
}

struct ExtractOptions {
    std::optional<long> session;
    std::optional<long> drive;
    std::string discPath;
    std::string target;
};

bool parse(const CommandArgs &args, ExtractOptions &options, std::string &error)
{
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--drive") {
            if (!parseDriveOption(args, i, options.drive, error))
                return false;
        } else if (args[i] == "--session") {
            char *end = nullptr;
            const long number = i + 1 < args.size() ? std::strtol(args[i + 1].c_str(), &end, 10) : 0;
            if (i + 1 >= args.size() || *end != '\0' || number < 1 || number > 255) {
                error = "--session needs a number from 1 to 255";
                return false;
            }
            options.session = number;
            ++i;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            error = "unknown option " + args[i];
            return false;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        error = "give [DISC-PATH] TARGET-FOLDER";
        return false;
    }
    options.target = positional.back();
    if (positional.size() == 2)
        options.discPath = positional.front();
    return true;
}

int extract(const CommandArgs &args)
{
    ExtractOptions options;
    std::string error;
    if (!parse(args, options, error)) {
        std::fprintf(stderr, "zelvane-cli extract: %s\n%s", error.c_str(), commandUsage("extract").c_str());
        return kExitUsage;
    }
    std::error_code folderError;
    std::filesystem::create_directories(options.target, folderError);
    if (!std::filesystem::is_directory(options.target)) {
        std::fprintf(stderr, "zelvane-cli extract: can't create the folder %s\n", options.target.c_str());
        return kExitFailed;
    }

    TSarnixBurner burner;
    if (const int status = openDrive(burner, options.drive, "extract"))
        return status;
    burner.OnDebugMessage = [](TSCSIDevice *, const std::string &message, std::uint8_t level) {
        if (level >= 3)
            std::fprintf(stderr, "zelvane-cli extract: %s\n", message.c_str());
    };
    std::vector<DiscSession> sessions;
    const SessionsFound found = readDiscSessions(burner, sessions);
    if (found != SessionsFound::Some) {
        std::fprintf(stderr, "zelvane-cli extract: %s\n",
                     found == SessionsFound::None ? kNoSessions : kSessionsUnreadable);
        return kExitFailed;
    }
    const long number = std::min<long>(options.session.value_or(255), static_cast<long>(sessions.size()));
    const DiscSession &session = sessions[static_cast<std::size_t>(number) - 1];

    // Ctrl-C finishes the file being copied and starts no other.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    ExtractionHooks hooks;
    hooks.stop = &stopRequested;
    const ExtractionOutcome outcome =
        extractFromSession(burner, ExtractionRequest{session, options.discPath, options.target}, hooks);
    const ExtractionCount &count = outcome.count;
    switch (outcome.end) {
    case ExtractionEnd::SessionUnread:
        std::fprintf(stderr, "zelvane-cli extract: session %d can't be read\n", session.number);
        return kExitFailed;
    case ExtractionEnd::NotFound:
        std::fprintf(stderr, "zelvane-cli extract: session %d holds no %s\n", session.number,
                     options.discPath.c_str());
        return kExitFailed;
    case ExtractionEnd::Done:
    case ExtractionEnd::Stopped:
        break;
    }
    std::printf("%d files, %d folders extracted from session %d to %s\n", count.files, count.folders,
                session.number, options.target.c_str());
    if (stopRequested) {
        std::fprintf(stderr, "zelvane-cli extract: stopped\n");
        return kExitFailed;
    }
    return count.failures == 0 ? 0 : kExitFailed;
}

const CliCommandRegistrar registrar(
    {.name = "extract",
     .summary = "copy a file, a folder or a whole session of the disc into a local folder",
     .description =
         "Copies DISC-PATH (a file or folder of the disc, \"/docs/a.txt\" or \"\\DOCS\\A.TXT\", found "
         "without regard to case) from a session of the disc into TARGET-FOLDER, byte for byte and with the "
         "disc's dates; the folder is made when missing. Without DISC-PATH the whole session is copied into a "
         "folder named like its line in the sessions list. Ctrl-C finishes the file being copied and stops.",
     .options = {{.names = {"--session"},
                  .value = "N",
                  .text = "Copy from session N (1 to 255; default: the last session; a number past the last "
                          "session means the last)."},
                 driveOption()},
     .operands = {.placeholder = "[DISC-PATH] TARGET-FOLDER", .completion = usage::Completion::Directory},
     .exits = driveCommandExits({{kExitFailed, "the folder cannot be made, the disc holds no readable session or "
                                               "no DISC-PATH, a file could not be copied, or Ctrl-C stopped it"}})},
    extract);

} // namespace

} // namespace zelvane::cli
