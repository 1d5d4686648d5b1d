// The formats the drive offers for the disc in it: the descriptors READ
// FORMAT CAPACITIES lists after the current/maximum one, and the only ones
// FORMAT UNIT accepts.
#pragma once

#include "core/disc.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zelvane::vdrive {

struct FormatOffer {
    uint8_t type;       // format type
    uint32_t blocks;    // most blocks that format makes
    uint32_t parameter; // type dependent parameter the format requires
};

std::vector<FormatOffer> formatOffers(const Disc &disc);
std::optional<FormatOffer> offeredFormat(const Disc &disc, uint8_t type);

} // namespace zelvane::vdrive
