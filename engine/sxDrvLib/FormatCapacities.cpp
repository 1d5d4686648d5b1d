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

} // namespace zelvane
