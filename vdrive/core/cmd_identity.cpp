// INQUIRY, TEST UNIT READY, REQUEST SENSE, START STOP UNIT,
// PREVENT ALLOW MEDIUM REMOVAL and REZERO UNIT.
#include "core/commands.h"
#include "core/readiness.h"
#include "core/timing.h"

#include <string>

namespace zelvane::vdrive {

namespace {

void putPadded(std::vector<uint8_t> &out, size_t index, size_t width, const std::string &text)
{
    for (size_t i = 0; i < width; ++i)
        out[index + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
}

void inquiry(CommandContext &ctx)
{
    const size_t allocation = ctx.be16(3);
    if (ctx.at(1) & 0x02)
        sense::invalidFieldInCdb(); // CmdDt is obsolete
    if (ctx.at(1) & 0x01) {
        // Vital product data: the supported-pages list and the unit serial number.
        const std::string serial = "ZV00000001";
        std::vector<uint8_t> page;
        if (ctx.at(2) == 0x00)
            page = {0x05, 0x00, 0x00, 0x02, 0x00, 0x80};
        else if (ctx.at(2) == 0x80) {
            page = {0x05, 0x80, 0x00, static_cast<uint8_t>(serial.size())};
            page.insert(page.end(), serial.begin(), serial.end());
        } else
            sense::invalidFieldInCdb();
        ctx.respond(page, allocation);
        return;
    }
    if (ctx.at(2) != 0)
        sense::invalidFieldInCdb();
    std::vector<uint8_t> answer(96, 0);
    answer[0] = 0x05; // CD/DVD device
    answer[1] = 0x80; // removable medium
    answer[2] = 0x05; // SPC-3
    answer[3] = 0x32; // response data format 2, hierarchical support
    answer[4] = static_cast<uint8_t>(answer.size() - 5);
    putPadded(answer, 8, 8, ctx.state.model.vendor);
    putPadded(answer, 16, 16, ctx.state.model.product);
    putPadded(answer, 32, 4, ctx.state.model.revision);
    ctx.respond(answer, allocation);
}

void testUnitReady(CommandContext &ctx)
{
    if (auto condition = notReadyCondition(ctx.state, ctx.now))
        throw CommandFailure(*condition);
}

void requestSense(CommandContext &ctx)
{
    Sense current;
    if (ctx.state.unitAttention) {
        current = Sense{sense::kUnitAttention, 0x28, 0x00, std::nullopt};
        ctx.state.unitAttention = false;
        ctx.dirty = true;
    } else if (auto condition = notReadyCondition(ctx.state, ctx.now)) {
        current = *condition;
    }
    const auto bytes = current.fixedFormat();
    ctx.respond(std::vector<uint8_t>(bytes.begin(), bytes.end()), ctx.at(4));
}

void startStopUnit(CommandContext &ctx)
{
    const bool loadEject = ctx.at(4) & 0x02;
    const bool start = ctx.at(4) & 0x01;
    if (!loadEject)
        return; // spinning up or down needs nothing from an emulated spindle
    if (!start) {
        if (ctx.state.removalPrevented)
            sense::removalPrevented();
        ctx.state.openTray();
        ctx.dirty = true;
        return;
    }
    if (ctx.state.trayOpen) {
        ctx.state.closeTray(ctx.now, loadDurationMs(ctx.state));
        ctx.dirty = true;
    }
}

void preventAllowRemoval(CommandContext &ctx)
{
    ctx.state.removalPrevented = ctx.at(4) & 0x01;
    ctx.dirty = true;
}

void rezeroUnit(CommandContext &) {}

} // namespace

void addIdentityCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x12, inquiry, false, true});
    table.push_back({0x00, testUnitReady, false, true});
    table.push_back({0x03, requestSense, false, true});
    table.push_back({0x1B, startStopUnit, false, false});
    table.push_back({0x1E, preventAllowRemoval, false, true});
    table.push_back({0x01, rezeroUnit, true, false});
}

} // namespace zelvane::vdrive
