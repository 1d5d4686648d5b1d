// insert, insert-rom, eject, load and export.
#include "core/clock.h"
#include "core/timing.h"
#include "tool/tool_command.h"

#include <iostream>

namespace zelvane::vdrive::tool {

namespace {

void insert(const Arguments &args, const StateStore &store)
{
    if (args.empty())
        throw ToolError("missing medium type (one of " + blankMediaTokens() + ")");
    const auto kind = mediaFromToken(args[0]);
    if (!kind || traitsOf(*kind).recording == Recording::ReadOnly)
        throw ToolError("unknown medium type \"" + args[0] + "\" (use one of " + blankMediaTokens() + ")");
    uint32_t capacity = traitsOf(*kind).defaultCapacity;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--capacity" && i + 1 < args.size())
            capacity = parseNumber(args[++i], "capacity", 0x7FFFFFFF);
        else
            throw ToolError("unexpected argument \"" + args[i] + "\"");
    }
    if (capacity < 64)
        throw ToolError("capacity must be at least 64 sectors");
    updateState(store, [&](DriveState &state) {
        store.clearImage();
        state.insert(Disc::blank(*kind, capacity), nowMs());
    }, true);
    std::cout << "inserted a blank " << traitsOf(*kind).display << " of " << capacity << " sectors\n";
}

void insertRom(const Arguments &args, const StateStore &store)
{
    if (args.empty())
        throw ToolError("missing image file");
    bool dvd = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--dvd")
            dvd = true;
        else
            throw ToolError("unexpected argument \"" + args[i] + "\"");
    }
    const MediaKind kind = dvd ? MediaKind::DvdRom : MediaKind::CdRom;
    uint32_t blocks = 0;
    updateState(store, [&](DriveState &state) {
        blocks = store.importImage(args[0]);
        state.insert(Disc::pressed(kind, blocks), nowMs());
    }, true);
    std::cout << "inserted a pressed " << traitsOf(kind).display << " of " << blocks << " sectors\n";
}

void noArguments(const Arguments &args)
{
    if (!args.empty())
        throw ToolError("unexpected argument \"" + args[0] + "\"");
}

void eject(const Arguments &args, const StateStore &store)
{
    noArguments(args);
    // Like the emergency eject hole: the tool opens the tray even when a host locked it.
    updateState(store, [](DriveState &state) {
        state.openTray();
        state.removalPrevented = false;
    });
    std::cout << "tray open\n";
}

void load(const Arguments &args, const StateStore &store)
{
    noArguments(args);
    updateState(store, [](DriveState &state) { state.closeTray(nowMs(), loadDurationMs(state)); });
    std::cout << "tray closed\n";
}

void exportImage(const Arguments &args, const StateStore &store)
{
    if (args.empty())
        throw ToolError("missing output file");
    std::optional<uint32_t> session;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--session" && i + 1 < args.size())
            session = parseNumber(args[++i], "session number", 0xFFFF);
        else
            throw ToolError("unexpected argument \"" + args[i] + "\"");
    }
    const auto lock = store.lock();
    const DriveState state = store.load();
    const Disc &disc = state.disc;
    if (!disc.present())
        throw ToolError("no disc in the drive");
    uint32_t first = 0;
    uint32_t end = disc.recordedEnd();
    if (session) {
        if (*session == 0 || *session > disc.sessionCount())
            throw ToolError("the disc has no session " + std::to_string(*session));
        bool found = false;
        for (const auto &track : disc.tracks) {
            if (track.session != *session || track.invisible())
                continue;
            if (!found)
                first = track.start;
            found = true;
            end = track.closed ? track.start + track.recorded : track.nextWritable();
        }
        if (!found)
            throw ToolError("session " + std::to_string(*session) + " is empty");
    }
    if (end <= first)
        throw ToolError("the disc holds no written sectors");
    store.exportBlocks(args[0], first, end - first);
    std::cout << "exported " << (end - first) << " sectors from sector " << first << " to " << args[0] << '\n';
}

} // namespace

void addMediaCommands(std::vector<ToolCommand> &table)
{
    table.push_back({{.name = "insert",
                      .summary = "put a blank disc of the given type into the drive",
                      .description = "Replaces the disc in the drive by a new blank one and closes the tray. TYPE "
                                     "is one of " + blankMediaTokens() + " (dvd-rw is a sequential DVD-RW, "
                                     "dvd-rw-ro one in restricted overwrite mode). A new DVD+RW is unformatted.",
                      .options = {{.names = {"--capacity"},
                                   .value = "SECTORS",
                                   .text = "The disc's size in 2048-byte sectors (at least 64; default: the "
                                           "size of a real disc of that type)."}},
                      .operands = {.placeholder = "TYPE",
                                   .completion = usage::Completion::Words,
                                   .words = blankMediaTokenList()},
                      .forms = {"TYPE [--capacity SECTORS]"}},
                     insert});
    table.push_back({{.name = "insert-rom",
                      .summary = "put a pressed disc holding an ISO image into the drive",
                      .description = "Replaces the disc in the drive by a pressed CD-ROM (or DVD-ROM) whose "
                                     "sectors are those of FILE.iso, and closes the tray.",
                      .options = {{.names = {"--dvd"}, .text = "A DVD-ROM instead of a CD-ROM."}},
                      .operands = {.placeholder = "FILE.iso", .completion = usage::Completion::File},
                      .forms = {"FILE.iso [--dvd]"}},
                     insertRom});
    table.push_back({{.name = "eject",
                      .summary = "open the tray, even when a program has locked it",
                      .description = "Opens the tray like the emergency eject hole: a lock set by a program "
                                     "(PREVENT ALLOW MEDIUM REMOVAL) does not stop it. The disc stays in the tray."},
                     eject});
    table.push_back({{.name = "load",
                      .summary = "close the tray",
                      .description = "Closes the tray; a disc in it becomes ready after a short loading time."},
                     load});
    table.push_back({{.name = "export",
                      .summary = "write the recorded sectors of the disc, or of one session, into a file",
                      .description = "Writes every recorded sector from the start of the disc, or with --session "
                                     "the sectors of that session, into FILE: an image that other programs can "
                                     "read or mount.",
                      .options = {{.names = {"--session"}, .value = "N", .text = "Only session N (from 1)."}},
                      .operands = {.placeholder = "FILE", .completion = usage::Completion::File},
                      .forms = {"FILE [--session N]"}},
                     exportImage});
}

} // namespace zelvane::vdrive::tool
