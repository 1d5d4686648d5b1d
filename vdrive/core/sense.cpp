#include "core/sense.h"

namespace zelvane::vdrive {

std::array<uint8_t, Sense::kFixedLength> Sense::fixedFormat() const
{
    std::array<uint8_t, kFixedLength> out{};
    out[0] = 0x70;
    out[2] = key & 0x0F;
    out[7] = kFixedLength - 8; // additional sense length
    out[12] = asc;
    out[13] = ascq;
    if (progress) {
        out[15] = 0x80; // SKSV: the progress indication is valid
        out[16] = static_cast<uint8_t>(*progress >> 8);
        out[17] = static_cast<uint8_t>(*progress);
    }
    return out;
}

} // namespace zelvane::vdrive
