// Capacity from a READ FORMAT CAPACITIES answer: the list header of 4 bytes is
// followed by 8-byte descriptors (block count, format type/descriptor type,
// 24-bit block length or type parameter).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zelvane {

constexpr uint32_t kFormatCapacitiesLength = 248;

// Blocks of 2048 bytes the medium holds in its 2048-byte data format; falls
// back to the current/maximum descriptor's block count.
uint32_t CapacityFromFormatCapacities(std::span<const uint8_t> answer);

// The block count the drive offers for a format type (the first formattable
// descriptor of that type), if it offers the type at all.
std::optional<uint32_t> OfferedFormatBlocks(std::span<const uint8_t> answer, uint8_t formatType);

} // namespace zelvane
