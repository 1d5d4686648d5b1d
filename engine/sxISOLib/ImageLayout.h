// Sector layout of one session: descriptors, path tables, directory areas,
// boot catalog and image, padding to sector 150, and the file extents.
#pragma once

#include <cstdint>

namespace zelvane {

class TDiscTree;

struct LayoutOptions {
    bool Joliet = true;
    bool Bootable = false;
    std::int64_t BootImageSize = 0;  // bytes of the boot image file
    std::uint32_t SessionStart = 0;
};

struct TImageLayout {
    bool Joliet = true;
    bool Bootable = false;
    std::uint32_t SessionStart = 0;
    std::uint32_t PrimaryDescriptor = 0;
    std::uint32_t BootRecord = 0;
    std::uint32_t JolietDescriptor = 0;
    std::uint32_t Terminator = 0;
    std::uint32_t IsoPathTableL = 0;
    std::uint32_t IsoPathTableM = 0;
    std::uint32_t JolietPathTableL = 0;
    std::uint32_t JolietPathTableM = 0;
    std::uint32_t IsoPathTableSize = 0;     // bytes
    std::uint32_t JolietPathTableSize = 0;  // bytes
    std::uint32_t IsoDirectoryArea = 0;
    std::uint32_t JolietDirectoryArea = 0;
    std::uint32_t BootCatalog = 0;
    std::uint32_t BootImage = 0;
    std::uint32_t BootImageSectors = 0;
    std::int64_t BootImageSize = 0;
    std::uint32_t PaddingStart = 0;
    std::uint32_t PaddingSectors = 0;
    std::uint32_t FirstFileLocation = 0;
    std::int64_t VolumeSpaceSize = 0;
    std::int64_t SectorCount = 0;

    // Sectors of the session that the header buffer holds: everything from
    // SessionStart up to the first file, except the boot image.
    std::int64_t headerSectors() const { return FirstFileLocation - SessionStart - BootImageSectors; }
};

// Lays the tree out: makes ISO names unique per directory, orders the path
// tables, sizes the directories and assigns every location.
TImageLayout layoutImage(TDiscTree &tree, const LayoutOptions &options);

// Byte sizes of one directory's records in each name space (multiples of 2048).
std::int64_t isoDirectorySize(const struct TDEntry &directory);
std::int64_t jolietDirectorySize(const struct TDEntry &directory);
// Path table sizes in bytes.
std::uint32_t isoPathTableSize(TDiscTree &tree);
std::uint32_t jolietPathTableSize(TDiscTree &tree);

} // namespace zelvane
