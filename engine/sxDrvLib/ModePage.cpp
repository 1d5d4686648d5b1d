#include "sxDrvLib/ModePage.h"

#include "sxDrvLib/AnswerBytes.h"

#include <algorithm>
#include <array>

namespace zelvane {

namespace {

constexpr size_t kModeHeaderLength = 8;

bool HoldsPage(std::span<const uint8_t> answer, size_t offset, uint8_t pageCode)
{
    return offset < answer.size() && (answer[offset] & 0x7F) == pageCode;
}

} // namespace

std::optional<size_t> FindModePage(std::span<const uint8_t> answer, uint8_t pageCode)
{
    const AnswerBytes bytes(answer);
    // The header states how many block descriptor bytes follow it; a page
    // there is where the standard puts it.
    const size_t described = kModeHeaderLength + bytes.be16(6);
    if (bytes.holds(0, kModeHeaderLength) && HoldsPage(answer, described, pageCode))
        return described;
    for (size_t offset : std::array<size_t, 3>{16, 8, 7}) {
        if (HoldsPage(answer, offset, pageCode))
            return offset;
    }
    return std::nullopt;
}

size_t ModePageOffset(std::span<const uint8_t> answer, uint8_t pageCode)
{
    return FindModePage(answer, pageCode).value_or(kModeHeaderLength);
}

size_t MoveModePageToStart(std::span<uint8_t> answer, uint8_t pageCode)
{
    const size_t offset = std::min(ModePageOffset(answer, pageCode), answer.size());
    std::copy(answer.begin() + offset, answer.end(), answer.begin());
    std::fill(answer.end() - offset, answer.end(), uint8_t{0});
    return offset;
}

} // namespace zelvane
