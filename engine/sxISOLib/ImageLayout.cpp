#include "sxISOLib/ImageLayout.h"

#include "sxISOLib/DiscTree.h"
#include "sxISOLib/IsoNames.h"
#include "sxISOLib/IsoRecords.h"
#include "sxISOLib/PathTableOrder.h"
#include "sxISOLib/UniqueIsoNames.h"

namespace zelvane {

namespace {

constexpr std::uint32_t kFirstFileMinimum = 150;

// Places the "." and ".." records and one record per extent of every entry
// into sectors; a record never crosses a sector boundary.
template <typename IdentifierLength>
std::int64_t directorySize(const TDEntry &directory, IdentifierLength identifierLength)
{
    std::int64_t sectors = 1;
    std::int64_t used = 68; // "." and ".." of 34 bytes each
    for (const TFEntry *entry = directory.FirstChild; entry; entry = entry->Next) {
        const auto length = static_cast<std::int64_t>(directoryRecordLength(identifierLength(*entry)));
        const std::uint32_t records = extentCount(entry->IsoDataLength, entry->isDirectory());
        for (std::uint32_t i = 0; i < records; ++i) {
            if (used + length > kSectorSize) {
                ++sectors;
                used = 0;
            }
            used += length;
        }
    }
    return sectors * kSectorSize;
}

std::uint32_t sectorsOf(std::int64_t bytes)
{
    return static_cast<std::uint32_t>(sectorsFor(bytes));
}

} // namespace

std::int64_t isoDirectorySize(const TDEntry &directory)
{
    return directorySize(directory, [](const TFEntry &e) { return isoIdentifierLength(e); });
}

std::int64_t jolietDirectorySize(const TDEntry &directory)
{
    return directorySize(directory, [](const TFEntry &e) { return jolietIdentifierLength(e); });
}

std::uint32_t isoPathTableSize(TDiscTree &tree)
{
    std::uint32_t size = 10;
    const auto &order = tree.IsoOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        size += static_cast<std::uint32_t>(pathTableRecordLength(order[i]->IsoName.size()));
    return size;
}

std::uint32_t jolietPathTableSize(TDiscTree &tree)
{
    std::uint32_t size = 10;
    const auto &order = tree.JolietOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        size += static_cast<std::uint32_t>(pathTableRecordLength(2 * utf16Length(order[i]->LongName)));
    return size;
}

TImageLayout layoutImage(TDiscTree &tree, const LayoutOptions &options)
{
    makeIsoNamesUnique(tree);
    orderPathTables(tree);

    TImageLayout layout;
    layout.Joliet = options.Joliet;
    layout.Bootable = options.Bootable;
    layout.SessionStart = options.SessionStart;

    std::int64_t p = options.SessionStart + 16;
    layout.PrimaryDescriptor = static_cast<std::uint32_t>(p);
    if (options.Bootable)
        layout.BootRecord = static_cast<std::uint32_t>(++p);
    if (options.Joliet)
        layout.JolietDescriptor = static_cast<std::uint32_t>(++p);
    layout.Terminator = static_cast<std::uint32_t>(++p);

    layout.IsoPathTableL = static_cast<std::uint32_t>(++p);
    layout.IsoPathTableSize = isoPathTableSize(tree);
    p += sectorsOf(layout.IsoPathTableSize);
    layout.IsoPathTableM = static_cast<std::uint32_t>(p);
    p += sectorsOf(layout.IsoPathTableSize);
    layout.JolietPathTableL = static_cast<std::uint32_t>(p);
    if (options.Joliet) {
        layout.JolietPathTableSize = jolietPathTableSize(tree);
        p += sectorsOf(layout.JolietPathTableSize);
        layout.JolietPathTableM = static_cast<std::uint32_t>(p);
        p += sectorsOf(layout.JolietPathTableSize);
    }

    layout.IsoDirectoryArea = static_cast<std::uint32_t>(p);
    std::uint32_t offset = 0;
    for (const auto &directory : tree.Directories()) {
        directory->IsoSize = isoDirectorySize(*directory);
        directory->IsoOffset = offset;
        offset += sectorsOf(directory->IsoSize);
    }
    p += offset;
    if (options.Joliet) {
        layout.JolietDirectoryArea = static_cast<std::uint32_t>(p);
        offset = 0;
        for (const auto &directory : tree.Directories()) {
            directory->JolietSize = jolietDirectorySize(*directory);
            directory->JolietOffset = offset;
            offset += sectorsOf(directory->JolietSize);
        }
        p += offset;
    }

    if (options.Bootable) {
        layout.BootImageSize = options.BootImageSize;
        layout.BootImageSectors = sectorsOf(options.BootImageSize);
        // The header (padding included) is streamed before the boot image, so
        // the padding goes ahead of the catalog and the image follows it.
        const std::int64_t end = p + 1 + layout.BootImageSectors;
        if (end < kFirstFileMinimum) {
            layout.PaddingStart = static_cast<std::uint32_t>(p);
            layout.PaddingSectors = static_cast<std::uint32_t>(kFirstFileMinimum - end);
            p += layout.PaddingSectors;
        }
        layout.BootCatalog = static_cast<std::uint32_t>(p);
        layout.BootImage = static_cast<std::uint32_t>(++p);
        p += layout.BootImageSectors;
        layout.FirstFileLocation = static_cast<std::uint32_t>(p);
    } else if (p < kFirstFileMinimum) {
        layout.PaddingStart = static_cast<std::uint32_t>(p);
        layout.PaddingSectors = static_cast<std::uint32_t>(kFirstFileMinimum - p);
        layout.FirstFileLocation = kFirstFileMinimum;
    } else {
        layout.FirstFileLocation = static_cast<std::uint32_t>(p);
    }

    std::int64_t running = 0;
    for (const auto &entry : tree.Files()) {
        if (entry->FromPreviousSession)
            continue;
        if (TDEntry *directory = entry->Directory) {
            entry->IsoLocation = directory->IsoOffset;
            entry->JolietLocation = directory->JolietOffset;
            entry->IsoDataLength = directory->IsoSize;
            entry->JolietDataLength = directory->JolietSize;
        } else if (entry->IsoDataLength > 0) {
            entry->IsoLocation = entry->JolietLocation = static_cast<std::uint32_t>(running);
            running += sectorsFor(entry->IsoDataLength);
        } else {
            entry->IsoLocation = entry->JolietLocation = 0;
        }
    }
    layout.VolumeSpaceSize = layout.FirstFileLocation + running;
    layout.SectorCount = layout.VolumeSpaceSize - layout.SessionStart;
    return layout;
}

} // namespace zelvane
