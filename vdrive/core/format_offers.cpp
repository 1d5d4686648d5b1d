#include "core/format_offers.h"

namespace zelvane::vdrive {

namespace {

constexpr uint32_t kBlockLength = 2048;

} // namespace

std::vector<FormatOffer> formatOffers(const Disc &disc)
{
    const uint32_t capacity = disc.capacity;
    switch (disc.kind) {
    case MediaKind::DvdPlusRw:
        return {{0x26, capacity, 0}};
    case MediaKind::DvdRam:
        return {{0x00, capacity, kBlockLength}};
    case MediaKind::DvdRwRestricted:
        // Full format, full format to restricted overwrite, quick grow, quick.
        return {{0x00, capacity, kBlockLength}, {0x10, capacity, kEccBlock}, {0x13, capacity, kEccBlock},
                {0x15, capacity, kEccBlock}};
    case MediaKind::DvdRwSequential:
        return {{0x00, capacity, kBlockLength}, {0x10, capacity, kEccBlock}, {0x15, capacity, kEccBlock}};
    default:
        return {};
    }
}

std::optional<FormatOffer> offeredFormat(const Disc &disc, uint8_t type)
{
    for (const auto &offer : formatOffers(disc))
        if (offer.type == type)
            return offer;
    return std::nullopt;
}

} // namespace zelvane::vdrive
