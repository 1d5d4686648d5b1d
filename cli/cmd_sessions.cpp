// zelvane-cli sessions: every session of the disc with its folders and
// files, as the sessions page lists them: one line per session, then one
// line per entry (folders before files, names without regard to case) with
// its path, size, date and first sector, separated by tabs.
#include "command.h"
#include "disc_sessions.h"
#include "drive_choice.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxISOLib/IsoNames.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace zelvane::cli {

namespace {

constexpr const char *kUsage = "sessions [--drive N]  list every session of the disc with its folders and files";

std::vector<const TFEntry *> sortedEntries(const TDEntry &directory)
{
    std::vector<const TFEntry *> entries;
    for (const TFEntry *entry = directory.FirstChild; entry; entry = entry->Next)
        entries.push_back(entry);
    std::stable_sort(entries.begin(), entries.end(), [](const TFEntry *a, const TFEntry *b) {
        if (a->isDirectory() != b->isDirectory())
            return a->isDirectory();
        return foldCase(a->LongName) < foldCase(b->LongName);
    });
    return entries;
}

void listDirectory(const TDEntry &directory, const std::string &path)
{
    for (const TFEntry *entry : sortedEntries(directory)) {
        const std::string entryPath = path + "/" + entry->LongName;
        if (entry->isDirectory()) {
            std::printf("  %s/\t-\t%s\t-\n", entryPath.c_str(), entryDateText(*entry).c_str());
            listDirectory(*entry->Directory, entryPath);
        } else {
            std::printf("  %s\t%lld\t%s\t%u\n", entryPath.c_str(), static_cast<long long>(entry->IsoDataLength),
                        entryDateText(*entry).c_str(), entry->IsoLocation);
        }
    }
}

int listSessions(const CommandArgs &args)
{
    std::optional<long> drive;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (args[i] != "--drive") {
            std::fprintf(stderr, "usage: zelvane-cli %s\n", kUsage);
            return kExitUsage;
        }
        if (!parseDriveOption(args, i, drive, error)) {
            std::fprintf(stderr, "zelvane-cli sessions: %s\n", error.c_str());
            return kExitUsage;
        }
    }
    TSarnixBurner burner;
    if (const int status = openDrive(burner, drive, "sessions"))
        return status;
    burner.OnDebugMessage = [](TSCSIDevice *, const std::string &message, std::uint8_t level) {
        if (level >= 3)
            std::fprintf(stderr, "zelvane-cli sessions: %s\n", message.c_str());
    };

    std::vector<DiscSession> sessions;
    switch (readDiscSessions(burner, sessions)) {
    case SessionsFound::Unreadable:
        std::printf("%s\n", kSessionsUnreadable);
        return 4;
    case SessionsFound::None:
        std::printf("%s\n", kNoSessions);
        return 0;
    case SessionsFound::Some:
        break;
    }
    for (const DiscSession &session : sessions) {
        std::printf("%s\n", session.title.c_str());
        loadSession(burner, session.number);
        listDirectory(*burner.FindDirectory("\\"), std::string());
    }
    return 0;
}

const CliCommandRegistrar registrar("sessions", kUsage, listSessions);

} // namespace

} // namespace zelvane::cli
