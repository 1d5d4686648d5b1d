#include "sxDrvLib/FormatCapacities.h"

#include "sxDrvLib/AnswerBytes.h"

namespace zelvane {

uint32_t CapacityFromFormatCapacities(std::span<const uint8_t> answer)
{
    const AnswerBytes bytes(answer);
    constexpr uint32_t kDataBlock = 2048;
    // Current/maximum descriptor: byte 8 is the descriptor type.
    if (bytes.u8(8) == 0x00 && bytes.be24(9) == kDataBlock)
        return bytes.be32(4);
    // Formattable descriptors: format type in bits 7..2 of the type byte.
    if ((bytes.u8(16) == 0x00 && bytes.be24(17) == kDataBlock) ||
        (bytes.u8(16) == 0x98 && bytes.be24(17) == 0))
        return bytes.be32(12);
    if (bytes.u8(24) == 0x00 && bytes.be24(25) == kDataBlock)
        return bytes.be32(20);
    return bytes.be32(4);
}

std::optional<uint32_t> OfferedFormatBlocks(std::span<const uint8_t> answer, uint8_t formatType)
{
    const AnswerBytes bytes(answer);
    // The list length (byte 3) counts the current/maximum descriptor at byte 4
    // and the formattable descriptors after it.
    const size_t end = 4 + size_t{bytes.u8(3)};
    for (size_t at = 12; at + 8 <= end && bytes.holds(at, 8); at += 8)
        if (bytes.u8(at + 4) >> 2 == formatType)
            return bytes.be32(at);
    return std::nullopt;
}

} // namespace zelvane
