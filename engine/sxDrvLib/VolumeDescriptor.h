// Reading ISO 9660 volume descriptors (sectors 16 and on) as a disc holds
// them: the volume space size and the identifiers shown to the user.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zelvane {

constexpr uint32_t kFirstDescriptorLba = 16;
constexpr uint32_t kLastDescriptorLba = 32;

// Volume space size (little-endian at byte 80) of a primary (type 1) or
// supplementary (type 2) descriptor; empty for any other sector.
std::optional<uint32_t> VolumeSpaceSize(std::span<const uint8_t> sector);

struct VolumeIdentifiers {
    std::string volume;      // bytes 40..71
    std::string publisher;   // 318..445
    std::string preparer;    // 446..573
    std::string application; // 574..701
    std::string copyright;   // 702..738
    std::string created;     // creation date 813..829 as "dd.mm.yyyy", empty when unset
};

// Identifiers of a primary volume descriptor, trailing blanks removed; empty
// when the sector is no primary descriptor.
std::optional<VolumeIdentifiers> PrimaryVolumeIdentifiers(std::span<const uint8_t> sector);

} // namespace zelvane
