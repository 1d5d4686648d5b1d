// Builds the metadata sectors of one session into memory: system area,
// volume descriptors, path tables, directories, boot catalog and padding.
#pragma once

#include "sxISOLib/DateTime.h"
#include "sxISOLib/ImageLayout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelvane {

class TDiscTree;

struct VolumeIdentity {
    std::string IdSystem, IdVolume, IdVolumeSet, IdPublisher, IdPreparer, IdApplication;
    std::string FileCopyright, FileAbstract, FileBibliographic;
    TDateTime DateCreation = 0;
    TDateTime DateModification = 0;
};

// The system area and the volume descriptors as first written, kept in a
// 65537-byte buffer filled with 0xFF before the copy.
struct KeptDescriptors {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(65537, 0xFF);
    std::size_t length = 0;
};

// Fills `header` with headerSectors() sectors of the layout. `buildTime` is
// the date of the "." and ".." records.
void buildHeader(TDiscTree &tree, const TImageLayout &layout, const VolumeIdentity &identity,
                 TDateTime buildTime, std::vector<std::uint8_t> &header, KeptDescriptors &kept);

// Sector of the boot catalog for an image of the given size.
void writeBootCatalog(std::uint8_t *sector, std::uint32_t bootImageLocation, std::int64_t bootImageSize);

} // namespace zelvane
