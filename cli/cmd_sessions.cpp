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

constexpr int kExitUnreadable = 4;

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
    if (!parseDriveOnlyArguments(args, "sessions", drive))
        return kExitUsage;
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
        return kExitUnreadable;
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

const CliCommandRegistrar registrar(
    {.name = "sessions",
     .summary = "list every session of the disc with its folders and files",
     .description =
         "Prints one line per session of the disc in the drive, titled as the wizard's sessions page titles it "
         "(\"Сессия  NNN - X,XX Мб\"), followed by one line per folder and file of that session: its path, "
         "its size in bytes (\"-\" for a folder), its date (dd.mm.yyyy hh:mm:ss) and its first sector "
         "(\"-\" for a folder), separated by tabs. Folders come before files, names are sorted without regard "
         "to case. A disc without sessions prints \"Сессии не обнаружены\" and succeeds.",
     .options = {driveOption()},
     .exits = driveCommandExits({{kExitUnreadable, "the sessions cannot be read (\"Ошибка получения сессий\")"}})},
    listSessions);

} // namespace

} // namespace zelvane::cli
