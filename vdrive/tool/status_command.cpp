// status: tray, medium, disc state, sessions and tracks, speed, model, faults.
#include "core/clock.h"
#include "core/readiness.h"
#include "core/timing.h"
#include "tool/tool_command.h"

#include <iomanip>
#include <iostream>

namespace zelvane::vdrive::tool {

namespace {

const char *statusName(DiscStatus status)
{
    static const char *const names[] = {"blank", "appendable", "complete", "other"};
    return names[static_cast<int>(status)];
}

const char *sessionName(SessionState state)
{
    static const char *const names[] = {"empty", "incomplete", "damaged", "complete"};
    return names[static_cast<int>(state)];
}

const char *activityName(Activity activity)
{
    switch (activity) {
    case Activity::Loading: return "loading";
    case Activity::Blanking: return "blanking";
    case Activity::Formatting: return "formatting";
    case Activity::Flushing: return "flushing the cache";
    case Activity::Closing: return "closing";
    case Activity::None: break;
    }
    return "idle";
}

std::string trackState(const Disc &disc, const Track &track)
{
    if (disc.recording() != Recording::Sequential)
        return disc.formatted ? "formatted" : "unformatted";
    if (track.closed)
        return "closed";
    if (track.reserved)
        return "reserved";
    return track.invisible() ? "invisible" : "incomplete";
}

void printDisc(const Disc &disc)
{
    std::cout << "medium: " << disc.traits().display << " (profile " << std::hex << std::setw(4) << std::setfill('0') << disc.traits().profile
              << std::dec << "h), capacity " << disc.capacity << " sectors\n";
    std::cout << "disc status: " << statusName(disc.status()) << ", last session: "
              << sessionName(disc.lastSessionState()) << ", sessions: " << disc.sessionCount()
              << ", erasable: " << (disc.traits().erasable ? "yes" : "no") << '\n';
    if (disc.recording() == Recording::Overwritable)
        std::cout << "written up to sector " << disc.writtenEnd << '\n';
    for (const auto &track : disc.tracks) {
        std::cout << "session " << track.session << " track " << track.number << ": start " << track.start
                  << ", size " << disc.reportedSize(track) << ", next writable address ";
        if (disc.nextWritableValid(track))
            std::cout << disc.reportedNextWritable(track) << ", free " << disc.reportedFree(track);
        else
            std::cout << "none";
        std::cout << ", " << trackState(disc, track) << '\n';
    }
}

void status(const Arguments &args, const StateStore &store)
{
    if (!args.empty())
        throw ToolError("unexpected argument \"" + args[0] + "\"");
    const auto lock = store.lock();
    const DriveState state = store.load();
    const int64_t now = nowMs();
    std::cout << "drive folder: " << store.folder().string() << '\n';
    std::cout << "tray: " << (state.trayOpen ? "open" : "closed")
              << (state.removalPrevented ? " (removal prevented)" : "") << '\n';
    if (state.disc.present())
        printDisc(state.disc);
    else
        std::cout << "medium: none\n";
    if (state.operationRunning(now))
        std::cout << "operation: " << activityName(state.operation.activity) << ", "
                  << operationProgress(state, now) * 100 / 65536 << "% done\n";
    std::cout << "speed: " << (state.speedMode == SpeedMode::Fast ? "fast" : "realtime") << ", factor "
              << state.timeFactor << ", write speed " << state.currentWriteSpeed() << " KB/s\n";
    const auto &m = state.model;
    std::cout << "model: \"" << m.vendor << "\" \"" << m.product << "\" \"" << m.revision << "\""
              << (m.noGetConfiguration ? " no-get-configuration" : "") << (m.noDiscInformation ? " no-disc-information" : "")
              << (m.noAtip ? " no-atip" : "") << (m.zeroWriteSpeed ? " zero-write-speed" : "") << '\n';
    const auto &f = state.faults;
    for (const auto &w : f.writeErrors)
        std::cout << "fault: write error at " << w.lba << " (" << std::hex << int{w.key} << '/' << int{w.asc} << '/'
                  << int{w.ascq} << std::dec << ")\n";
    for (uint32_t lba : f.readErrors)
        std::cout << "fault: read error at " << lba << '\n';
    for (uint8_t op : f.hangOpcodes)
        std::cout << "fault: command " << std::hex << int{op} << std::dec << "h never completes\n";
    if (now < f.busyUntilMs)
        std::cout << "fault: busy for " << (f.busyUntilMs - now) / 1000.0 << " s\n";
    if (now < f.notReadyUntilMs)
        std::cout << "fault: not ready for " << (f.notReadyUntilMs - now) / 1000.0 << " s\n";
    if (f.closeError)
        std::cout << "fault: every close of a track or session fails\n";
    if (f.flushError)
        std::cout << "fault: every flush of the cache fails\n";
}

} // namespace

void addStatusCommand(std::vector<ToolCommand> &table)
{
    table.push_back({{.name = "status",
                      .summary = "show the tray, the disc with its sessions and tracks, the speed, model and faults",
                      .description = "Prints the drive's folder, the tray, the medium with its profile, capacity, "
                                     "disc status and sessions, one line per track (start, size, next writable "
                                     "address, free sectors, state), a running operation with its progress, the "
                                     "speed emulation, the drive model and every fault set."},
                     status});
}

} // namespace zelvane::vdrive::tool
