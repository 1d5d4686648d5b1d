#include "core/drive.h"

#include "core/clock.h"
#include "core/commands.h"
#include "core/readiness.h"
#include "core/state_store.h"

#include <algorithm>
#include <thread>

namespace zelvane::vdrive {

namespace {

const std::vector<CommandSpec> &commandTable()
{
    static const std::vector<CommandSpec> table = [] {
        std::vector<CommandSpec> all;
        addIdentityCommands(all);
        addConfigurationCommands(all);
        addModePageCommands(all);
        addDiscInformationCommands(all);
        addTocCommands(all);
        addCapacityCommands(all);
        addReadWriteCommands(all);
        addRecordingCommands(all);
        addEraseCommands(all);
        addStatusQueryCommands(all);
        addDiscStructureCommands(all);
        return all;
    }();
    return table;
}

const CommandSpec *findCommand(uint8_t opcode)
{
    for (const auto &spec : commandTable())
        if (spec.opcode == opcode)
            return &spec;
    return nullptr;
}

CommandResult checkCondition(const Sense &sense)
{
    CommandResult result;
    result.completion = Completion::CheckCondition;
    result.sense = sense;
    return result;
}

// Commands a pending unit attention lets through: the identification, the
// sense report (which takes the attention with it) and the two status queries
// a host polls for media changes.
bool passesUnitAttention(uint8_t opcode)
{
    return opcode == 0x12 || opcode == 0x03 || opcode == 0x46 || opcode == 0x4A;
}

// Runs the command on loaded state; refusals come back as exceptions.
void dispatch(CommandContext &ctx)
{
    const CommandSpec *spec = findCommand(ctx.at(0));
    if (!spec)
        sense::invalidOpcode();
    if (ctx.state.unitAttention && !passesUnitAttention(ctx.at(0))) {
        ctx.state.unitAttention = false;
        ctx.dirty = true;
        sense::mediumMayHaveChanged();
    }
    if (spec->needsMedium) {
        if (auto condition = notReadyCondition(ctx.state, ctx.now))
            throw CommandFailure(*condition);
    } else if (!spec->runsDuringWork) {
        if (auto working = operationCondition(ctx.state, ctx.now))
            throw CommandFailure(*working);
    }
    spec->handler(ctx);
}

// Whether loading the saved state yields `changed` anyway: nothing changed,
// or only how far the disc image reaches.
bool followsFromImage(const DriveState &saved, const DriveState &changed, const StateStore &store)
{
    DriveState again = saved;
    StateStore::includeImage(again, store.imageBlocks());
    return again.serialize() == changed.serialize();
}

} // namespace

Drive::Drive(std::filesystem::path folder) : folder_(std::move(folder)) {}

CommandResult Drive::execute(std::span<const uint8_t> cdb, std::span<uint8_t> data) const
{
    if (cdb.empty())
        return checkCondition(Sense{sense::kIllegalRequest, 0x20, 0x00, std::nullopt});
    CommandResult result;
    int64_t delayMs = 0;
    try {
        const StateStore store(folder_);
        const auto lock = store.lock();
        const DriveState saved = store.loadSaved();
        DriveState state = saved;
        StateStore::includeImage(state, store.imageBlocks());
        CommandContext ctx{state, store, cdb, data, nowMs()};
        const auto &faults = state.faults;
        if (std::find(faults.hangOpcodes.begin(), faults.hangOpcodes.end(), cdb[0]) != faults.hangOpcodes.end()) {
            result.completion = Completion::Hang;
            return result;
        }
        if (ctx.now < faults.busyUntilMs) {
            result.completion = Completion::Busy;
            return result;
        }
        if (state.operation.activity != Activity::None && !state.operationRunning(ctx.now)) {
            state.operation = Operation{};
            ctx.dirty = true;
        }
        try {
            dispatch(ctx);
        } catch (const CommandFailure &failure) {
            result = checkCondition(failure.sense());
        }
        if (ctx.dirty && !followsFromImage(saved, state, store))
            store.save(state);
        result.transferred = result.completion == Completion::Good ? ctx.transferred : 0;
        delayMs = ctx.delayMs;
    } catch (const std::exception &) {
        // The drive's own storage failed: a hardware error, internal target failure.
        return checkCondition(Sense{0x04, 0x44, 0x00, std::nullopt});
    }
    if (delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return result;
}

} // namespace zelvane::vdrive
