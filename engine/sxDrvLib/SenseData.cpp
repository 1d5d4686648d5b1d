#include "sxDrvLib/SenseData.h"

#include <algorithm>
#include <array>

namespace zelvane {

namespace {

constexpr std::uint8_t kDescriptorCurrent = 0x72;
constexpr std::uint8_t kDescriptorDeferred = 0x73;
constexpr std::uint8_t kFixedCurrent = 0x70;
constexpr std::uint8_t kFixedDeferred = 0x71;
constexpr std::uint8_t kFixedValidBit = 0x80;
// Header of descriptor sense: code, key, ASC, ASCQ, 3 reserved, additional length.
constexpr std::size_t kDescriptorHeader = 8;
constexpr std::size_t kFixedLength = 18;
constexpr std::uint8_t kFixedAdditionalLength = kFixedLength - 8;
// Descriptor types carried over to the fixed layout.
constexpr std::uint8_t kInformation = 0x00;
constexpr std::uint8_t kCommandSpecific = 0x01;
constexpr std::uint8_t kSenseKeySpecific = 0x02;

} // namespace

void NormalizeSense(std::span<std::uint8_t> sense)
{
    if (sense.size() < 4)
        return;
    const std::uint8_t code = sense[0] & 0x7F;
    if (code != kDescriptorCurrent && code != kDescriptorDeferred)
        return;
    std::array<std::uint8_t, kFixedLength> fixed{};
    fixed[0] = code == kDescriptorCurrent ? kFixedCurrent : kFixedDeferred;
    fixed[2] = sense[1] & 0x0F;
    fixed[7] = kFixedAdditionalLength;
    fixed[12] = sense[2];
    fixed[13] = sense[3];

    const std::size_t end =
        sense.size() < kDescriptorHeader ? 0 : std::min(sense.size(), kDescriptorHeader + sense[7]);
    for (std::size_t at = kDescriptorHeader; at + 2 <= end;) {
        const std::uint8_t type = sense[at];
        const std::size_t length = std::size_t{2} + sense[at + 1];
        if (at + length > end)
            break;
        const auto body = sense.subspan(at, length);
        // The 64-bit fields go into 32-bit ones: their low half.
        if (type == kInformation && length >= 12) {
            std::copy_n(body.begin() + 8, 4, fixed.begin() + 3);
            if (body[2] & 0x80)
                fixed[0] |= kFixedValidBit;
        } else if (type == kCommandSpecific && length >= 12) {
            std::copy_n(body.begin() + 8, 4, fixed.begin() + 8);
        } else if (type == kSenseKeySpecific && length >= 7) {
            std::copy_n(body.begin() + 4, 3, fixed.begin() + 15);
        }
        at += length;
    }
    std::fill(sense.begin(), sense.end(), 0);
    std::copy_n(fixed.begin(), std::min(fixed.size(), sense.size()), sense.begin());
}

} // namespace zelvane
