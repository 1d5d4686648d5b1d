// GET EVENT STATUS NOTIFICATION and GET PERFORMANCE: what a host polls for
// tray and media changes, and the speeds the drive offers for the medium.
#include "core/commands.h"
#include "core/timing.h"

#include <algorithm>
#include <optional>

namespace zelvane::vdrive {

namespace {

enum EventClass : uint8_t { OperationalChange = 1, PowerManagement = 2, Media = 4, DeviceBusy = 6 };
constexpr uint8_t kSupportedClasses = 1 << OperationalChange | 1 << PowerManagement | 1 << Media | 1 << DeviceBusy;

std::vector<uint8_t> eventDescriptor(CommandContext &ctx, EventClass eventClass)
{
    DriveState &state = ctx.state;
    switch (eventClass) {
    case PowerManagement:
        return {0x00, 0x01, 0x00, 0x00}; // no change, active
    case Media: {
        const uint8_t status = static_cast<uint8_t>((state.trayOpen ? 0x01 : 0) |
                                                    (state.disc.present() && !state.trayOpen ? 0x02 : 0));
        const auto event = static_cast<uint8_t>(state.mediaEvent);
        if (state.mediaEvent != MediaEvent::None) {
            state.mediaEvent = MediaEvent::None; // reported once
            ctx.dirty = true;
        }
        return {event, status, 0x00, 0x00};
    }
    case DeviceBusy: {
        if (!state.operationRunning(ctx.now))
            return {0x00, 0x00, 0x00, 0x00};
        // Busy event, busy status, the time left in tenths of a second.
        const int64_t tenths = std::min<int64_t>((state.operation.endMs - ctx.now + 99) / 100, 0xFFFF);
        return {0x01, 0x01, static_cast<uint8_t>(tenths >> 8), static_cast<uint8_t>(tenths)};
    }
    case OperationalChange:
        break;
    }
    return {0x00, static_cast<uint8_t>(state.removalPrevented ? 0x80 : 0x00), 0x00, 0x00};
}

bool pending(const CommandContext &ctx, EventClass eventClass)
{
    if (eventClass == Media)
        return ctx.state.mediaEvent != MediaEvent::None;
    if (eventClass == DeviceBusy)
        return ctx.state.operationRunning(ctx.now);
    return false;
}

void getEventStatusNotification(CommandContext &ctx)
{
    if (!(ctx.at(1) & 0x01))
        sense::invalidFieldInCdb(); // only polled operation
    const uint8_t requested = ctx.at(4) & kSupportedClasses;
    std::vector<uint8_t> answer(4, 0);
    answer[3] = kSupportedClasses;
    if (requested == 0) {
        answer[2] = 0x80; // no event available
    } else {
        // The lowest requested class with a pending event, else the lowest requested class.
        std::optional<EventClass> chosen;
        for (EventClass c : {OperationalChange, PowerManagement, Media, DeviceBusy})
            if ((requested & (1 << c)) && pending(ctx, c) && !chosen)
                chosen = c;
        for (EventClass c : {OperationalChange, PowerManagement, Media, DeviceBusy})
            if ((requested & (1 << c)) && !chosen)
                chosen = c;
        answer[2] = *chosen;
        const auto descriptor = eventDescriptor(ctx, *chosen);
        answer.insert(answer.end(), descriptor.begin(), descriptor.end());
    }
    putBe16(answer, 0, static_cast<uint32_t>(answer.size() - 2));
    ctx.respond(answer, ctx.be16(7));
}

void appendPerformance(std::vector<uint8_t> &out, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    const size_t at = out.size();
    out.resize(at + 16, 0);
    putBe32(out, at, a);
    putBe32(out, at + 4, b);
    putBe32(out, at + 8, c);
    putBe32(out, at + 12, d);
}

void getPerformance(CommandContext &ctx)
{
    const DriveState &state = ctx.state;
    const Disc &disc = state.disc;
    const uint8_t type = ctx.at(10);
    const uint8_t dataType = ctx.at(1) & 0x1F;
    const size_t maxDescriptors = ctx.be16(8);
    const uint32_t lastBlock = disc.capacity ? disc.capacity - 1 : 0;
    std::vector<uint8_t> answer(8, 0);
    if (type == 0x00) {
        const bool write = dataType & 0x04;
        const bool exceptions = (dataType & 0x03) != 0;
        answer[4] = static_cast<uint8_t>((write ? 0x02 : 0) | (exceptions ? 0x01 : 0));
        if (write && disc.traits().writeSpeeds.empty())
            sense::incompatibleMedium();
        // The nominal performance from the start of the medium to its end; no exceptions.
        if (!exceptions) {
            const uint32_t speed = write ? state.currentWriteSpeed() : state.maximumReadSpeed();
            const uint32_t end = write ? lastBlock : std::max<uint32_t>(disc.recordedEnd(), 1) - 1;
            appendPerformance(answer, 0, speed, end, speed);
        }
    } else if (type == 0x03) {
        // Write speed descriptors, fastest first.
        const auto &speeds = disc.traits().writeSpeeds;
        for (auto it = speeds.rbegin(); it != speeds.rend(); ++it)
            appendPerformance(answer, 0, lastBlock, state.maximumReadSpeed(), *it);
    } else {
        sense::invalidFieldInCdb();
    }
    // The length tells all there is; the host's maximum bounds what is sent.
    putBe32(answer, 0, static_cast<uint32_t>(answer.size() - 4));
    ctx.respond(answer, size_t{8} + 16 * maxDescriptors);
}

} // namespace

void addStatusQueryCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x4A, getEventStatusNotification, false, true});
    table.push_back({0xAC, getPerformance, true, false});
}

} // namespace zelvane::vdrive
