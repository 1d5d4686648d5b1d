// MODE SENSE (10) and MODE SELECT (10): the read/write error recovery page
// (01h), the write parameters page (05h) and the capabilities page (2Ah).
#include "core/commands.h"
#include "core/write_parameters.h"

#include <algorithm>

namespace zelvane::vdrive {

namespace {

enum class PageControl { Current = 0, Changeable = 1, Default = 2, Saved = 3 };

std::vector<uint8_t> errorRecoveryPage(PageControl control)
{
    std::vector<uint8_t> page(12, 0);
    page[0] = 0x01;
    page[1] = 0x0A;
    if (control != PageControl::Changeable)
        page[3] = 0x20; // read retry count
    return page;
}

std::vector<uint8_t> writeParametersPage(const DriveState &state, PageControl control)
{
    if (control == PageControl::Default) {
        const auto page = DriveState::defaultWriteParameters(state.disc.kind);
        return {page.begin(), page.end()};
    }
    if (control == PageControl::Changeable) {
        std::vector<uint8_t> mask(kWriteParametersLength, 0);
        mask[0] = 0x05;
        mask[1] = kWriteParametersLength - 2;
        mask[2] = 0x7F;
        mask[3] = 0xFF;
        mask[4] = 0x0F;
        mask[5] = 0xFF;
        mask[8] = 0xFF;
        std::fill(mask.begin() + 10, mask.begin() + 16, 0xFF);
        return mask;
    }
    return {state.writeParameters.begin(), state.writeParameters.end()};
}

std::vector<uint8_t> capabilitiesPage(const DriveState &state, PageControl control)
{
    const auto &speeds = state.mediumAccessible() ? state.disc.traits().writeSpeeds : std::vector<uint16_t>{};
    const size_t descriptors = state.model.zeroWriteSpeed ? 0 : speeds.size();
    std::vector<uint8_t> page(32 + 4 * descriptors, 0);
    page[0] = 0x2A;
    page[1] = static_cast<uint8_t>(page.size() - 2);
    if (control == PageControl::Changeable)
        return page;
    page[2] = 0x3F; // reads CD-R, CD-RW, method 2, DVD-ROM, DVD-R, DVD-RAM
    page[3] = 0x37; // writes CD-R, CD-RW, DVD-R, DVD-RAM; test write
    page[4] = 0xF1; // buffer underrun free, multi-session, mode 2 form 1/2, audio play
    page[5] = 0x03; // CD-DA commands, stream accurate
    page[6] = static_cast<uint8_t>(0x29 | (state.removalPrevented ? 0x02 : 0)); // tray, eject, lock
    const uint16_t maxRead = state.maximumReadSpeed();
    const uint16_t maxWrite = state.maximumWriteSpeed();
    const uint16_t currentWrite = control == PageControl::Default ? maxWrite : state.currentWriteSpeed();
    putBe16(page, 8, maxRead);
    putBe16(page, 10, 256);   // volume levels
    putBe16(page, 12, kBufferBytes / 1024);
    putBe16(page, 14, control == PageControl::Default ? maxRead : state.currentReadSpeed());
    putBe16(page, 18, maxWrite);
    putBe16(page, 20, currentWrite);
    putBe16(page, 28, currentWrite);
    putBe16(page, 30, static_cast<uint32_t>(descriptors));
    for (size_t i = 0; i < descriptors; ++i)
        putBe16(page, 32 + 4 * i + 2, speeds[speeds.size() - 1 - i]); // fastest first, CLV
    return page;
}

void modeSense(CommandContext &ctx)
{
    const auto control = static_cast<PageControl>(ctx.at(2) >> 6);
    const uint8_t pageCode = ctx.at(2) & 0x3F;
    const uint8_t subpage = ctx.at(3);
    if (control == PageControl::Saved)
        sense::savingNotSupported();
    if (subpage != 0 && !(pageCode == 0x3F && subpage == 0xFF))
        sense::invalidFieldInCdb();
    std::vector<uint8_t> answer(8, 0);
    auto add = [&answer](const std::vector<uint8_t> &page) { answer.insert(answer.end(), page.begin(), page.end()); };
    switch (pageCode) {
    case 0x01:
        add(errorRecoveryPage(control));
        break;
    case 0x05:
        add(writeParametersPage(ctx.state, control));
        break;
    case 0x2A:
        add(capabilitiesPage(ctx.state, control));
        break;
    case 0x3F:
        add(errorRecoveryPage(control));
        add(writeParametersPage(ctx.state, control));
        add(capabilitiesPage(ctx.state, control));
        break;
    default:
        sense::invalidFieldInCdb(); // page 30h and every other page: not supported
    }
    putBe16(answer, 0, static_cast<uint32_t>(answer.size() - 2));
    ctx.respond(answer, ctx.be16(7));
}

void modeSelect(CommandContext &ctx)
{
    if (!(ctx.at(1) & 0x10))
        sense::invalidFieldInCdb(); // only page-format parameter lists
    if (ctx.at(1) & 0x01)
        sense::savingNotSupported();
    const auto list = ctx.parameters(ctx.be16(7));
    if (list.size() < 8)
        sense::parameterListLengthError();
    const size_t blockDescriptors = size_t{list[6]} << 8 | list[7];
    size_t offset = 8 + blockDescriptors;
    if (offset > list.size())
        sense::parameterListLengthError();
    auto newParameters = ctx.state.writeParameters;
    bool changed = false;
    while (offset < list.size()) {
        if (list.size() - offset < 2 || list.size() - offset < size_t{list[offset + 1]} + 2)
            sense::parameterListLengthError();
        const auto page = list.subspan(offset, size_t{list[offset + 1]} + 2);
        if ((page[0] & 0x3F) == 0x05) {
            validateWriteParameters(page, ctx.state);
            std::copy_n(page.begin(), kWriteParametersLength, newParameters.begin());
            newParameters[0] = 0x05;
            newParameters[1] = kWriteParametersLength - 2;
            changed = true;
        } else if ((page[0] & 0x3F) != 0x01) {
            sense::invalidFieldInParameterList();
        }
        offset += page.size();
    }
    if (changed) {
        ctx.state.writeParameters = newParameters;
        ctx.dirty = true;
    }
}

} // namespace

void addModePageCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0x5A, modeSense, false, true});
    table.push_back({0x55, modeSelect, false, true});
}

} // namespace zelvane::vdrive
