// zelvane-cli sessions: every session of the disc with its folders and
// files, as the sessions page lists them: one line per session, then one
// line per entry (folders before files, names without regard to case) with
// its path, size, date and first sector, separated by tabs.
#include "command.h"
#include "drive_choice.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxTasks/DiscSessions.h"
#include "sxTasks/SessionContents.h"

#include <cstdio>
#include <vector>

namespace zelvane::cli {

namespace {

constexpr int kExitUnreadable = 4;

void listItems(const std::vector<SessionItem> &items, const std::string &path)
{
    for (const SessionItem &item : items) {
        const std::string itemPath = path + "/" + item.name;
        if (item.folder) {
            std::printf("  %s/\t-\t%s\t-\n", itemPath.c_str(), dateText(item.date).c_str());
            listItems(item.children, itemPath);
        } else {
            std::printf("  %s\t%lld\t%s\t%u\n", itemPath.c_str(), static_cast<long long>(item.size),
                        dateText(item.date).c_str(), item.location);
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
        listItems(sessionItems(*burner.FindDirectory("\\")), std::string());
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
