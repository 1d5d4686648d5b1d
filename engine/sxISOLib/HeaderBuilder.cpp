#include "sxISOLib/HeaderBuilder.h"

#include "sxISOLib/DiscTree.h"
#include "sxISOLib/IsoNames.h"
#include "sxISOLib/IsoRecords.h"

#include <algorithm>
#include <cstring>

namespace zelvane {

namespace {

constexpr std::uint8_t kJolietEscape[3] = {0x25, 0x2F, 0x40};

// ISO text field: ASCII upper case, cut to the field (never inside a
// character), padded with spaces.
void putIsoText(std::uint8_t *at, std::size_t field, const std::string &text)
{
    std::string upper = asciiUpper(text);
    if (upper.size() > field) {
        std::size_t cut = field;
        while (cut > 0 && (static_cast<unsigned char>(upper[cut]) & 0xC0) == 0x80)
            --cut;
        upper.resize(cut);
    }
    std::memset(at, ' ', field);
    std::memcpy(at, upper.data(), upper.size());
}

// Joliet text field: UCS-2 big-endian, padded with UCS-2 spaces, cut to
// `characters` characters.
void putJolietText(std::uint8_t *at, std::size_t characters, const std::string &text)
{
    std::string ucs = toUcs2BigEndian(text);
    ucs.resize(std::min(ucs.size(), characters * 2));
    for (std::size_t i = 0; i < characters; ++i) {
        at[2 * i] = 0;
        at[2 * i + 1] = ' ';
    }
    std::memcpy(at, ucs.data(), ucs.size());
}

void putDescriptorDate(std::uint8_t *at, TDateTime value, ZoneOffsetCache &zones)
{
    const std::string digits = descriptorDateDigits(value);
    std::memcpy(at, digits.data(), 16);
    // The zone of the date itself; the empty date 0 carries none.
    at[16] = value == 0 ? 0 : static_cast<std::uint8_t>(static_cast<std::int8_t>(zones.quarterHours(decodeDateTime(value))));
}

void putEmptyDate(std::uint8_t *at)
{
    std::memset(at, '0', 16);
    at[16] = 0;
}

void putRootRecord(std::uint8_t *at, std::uint32_t extent, std::int64_t size)
{
    RecordDate none;
    none.bytes[6] = 0;
    writeDirectoryRecord(at, extent, static_cast<std::uint32_t>(size), none, 2, std::string(1, '\0'));
}

void writeVolumeDescriptor(std::uint8_t *at, bool joliet, TDiscTree &tree, const TImageLayout &layout,
                           const VolumeIdentity &id, ZoneOffsetCache &zones)
{
    at[0] = joliet ? 2 : 1;
    std::memcpy(at + 1, "CD001", 5);
    at[6] = 1;
    // Only the supplementary descriptor names the UCS-2 escape: readers that
    // find it in the primary one take the ISO 9660 records for Joliet ones.
    if (joliet)
        std::memcpy(at + 88, kJolietEscape, 3);
    putBoth32(at + 80, static_cast<std::uint32_t>(layout.VolumeSpaceSize));
    putBoth16(at + 120, 1);
    putBoth16(at + 124, 1);
    putBoth16(at + 128, static_cast<std::uint16_t>(kSectorSize));
    TDEntry *root = tree.Root();
    if (joliet) {
        putBoth32(at + 132, layout.JolietPathTableSize);
        putLE32(at + 140, layout.JolietPathTableL);
        putBE32(at + 148, layout.JolietPathTableM);
        putRootRecord(at + 156, layout.JolietDirectoryArea, root->JolietSize);
        putJolietText(at + 8, 16, id.IdSystem);
        putJolietText(at + 40, 16, id.IdVolume);
        putJolietText(at + 190, 64, id.IdVolumeSet);
        putJolietText(at + 318, 64, id.IdPublisher);
        putJolietText(at + 446, 64, id.IdPreparer);
        putJolietText(at + 574, 64, id.IdApplication);
        putJolietText(at + 702, 18, id.FileCopyright);
        putJolietText(at + 739, 18, id.FileAbstract);
        putJolietText(at + 776, 18, id.FileBibliographic);
    } else {
        putBoth32(at + 132, layout.IsoPathTableSize);
        putLE32(at + 140, layout.IsoPathTableL);
        putBE32(at + 148, layout.IsoPathTableM);
        putRootRecord(at + 156, layout.IsoDirectoryArea, root->IsoSize);
        putIsoText(at + 8, 32, id.IdSystem);
        putIsoText(at + 40, 32, id.IdVolume);
        putIsoText(at + 190, 128, id.IdVolumeSet);
        putIsoText(at + 318, 128, id.IdPublisher);
        putIsoText(at + 446, 128, id.IdPreparer);
        putIsoText(at + 574, 128, id.IdApplication);
        putIsoText(at + 702, 37, id.FileCopyright);
        putIsoText(at + 739, 37, id.FileAbstract);
        putIsoText(at + 776, 37, id.FileBibliographic);
    }
    putDescriptorDate(at + 813, id.DateCreation, zones);
    putDescriptorDate(at + 830, id.DateModification, zones);
    putEmptyDate(at + 847);
    putEmptyDate(at + 864);
    at[881] = 1;
    std::memset(at + 1024, ' ', 8);
}

void writeBootRecord(std::uint8_t *at, std::uint32_t catalog)
{
    at[0] = 0;
    std::memcpy(at + 1, "CD001", 5);
    at[6] = 1;
    static constexpr char kSystem[] = "EL TORITO SPECIFICATION";
    std::memcpy(at + 7, kSystem, sizeof kSystem - 1);
    putLE32(at + 71, catalog);
}

void writeTerminator(std::uint8_t *at)
{
    at[0] = 255;
    std::memcpy(at + 1, "CD001", 5);
    at[6] = 1;
}

void writePathTable(std::uint8_t *at, bool bigEndian, bool joliet, const std::vector<TDEntry *> &order,
                    std::uint32_t area)
{
    std::size_t used = writePathTableRecord(at, bigEndian, area, 1, std::string(1, '\0'));
    for (std::size_t i = 1; i < order.size(); ++i) {
        const TDEntry &d = *order[i];
        const std::uint32_t extent = area + (joliet ? d.JolietOffset : d.IsoOffset);
        const std::string identifier = joliet ? toUcs2BigEndian(d.LongName) : d.IsoName;
        used += writePathTableRecord(at + used, bigEndian, extent, static_cast<std::uint16_t>(d.Parent->Number),
                                     identifier);
    }
}

// Writes one directory's records at `at` (its whole size, zero-filled).
void writeDirectory(std::uint8_t *at, const TDEntry &d, bool joliet, const TImageLayout &layout,
                    const RecordDate &buildDate, ZoneOffsetCache &zones)
{
    const std::uint32_t area = joliet ? layout.JolietDirectoryArea : layout.IsoDirectoryArea;
    auto extentOf = [&](const TDEntry &x) { return area + (joliet ? x.JolietOffset : x.IsoOffset); };
    auto sizeOf = [&](const TDEntry &x) { return static_cast<std::uint32_t>(joliet ? x.JolietSize : x.IsoSize); };

    std::size_t used = 0;
    auto place = [&](std::size_t length) {
        if (used % kSectorSize + length > static_cast<std::size_t>(kSectorSize))
            used += kSectorSize - used % kSectorSize;
        std::uint8_t *where = at + used;
        used += length;
        return where;
    };
    writeDirectoryRecord(place(34), extentOf(d), sizeOf(d), buildDate, 2, std::string(1, '\0'));
    writeDirectoryRecord(place(34), extentOf(*d.Parent), sizeOf(*d.Parent), buildDate, 2, std::string(1, '\1'));

    for (const TFEntry *entry = d.FirstChild; entry; entry = entry->Next) {
        const std::string identifier = joliet ? jolietIdentifier(*entry) : isoIdentifier(*entry);
        const RecordDate date = recordDate(entry->DateTime, zones);
        std::uint8_t flags = (entry->Attr & 0x02) ? 1 : 0;
        if (entry->Directory) {
            flags |= 2;
            writeDirectoryRecord(place(directoryRecordLength(identifier.size())), area + (joliet ? entry->JolietLocation : entry->IsoLocation),
                                 static_cast<std::uint32_t>(joliet ? entry->JolietDataLength : entry->IsoDataLength), date, flags,
                                 identifier);
            continue;
        }
        const std::int64_t length = joliet ? entry->JolietDataLength : entry->IsoDataLength;
        std::uint32_t extent = 0;
        if (length > 0)
            extent = entry->FromPreviousSession ? entry->IsoLocation : layout.FirstFileLocation + entry->IsoLocation;
        const std::uint32_t records = extentCount(length, false);
        std::int64_t left = length;
        for (std::uint32_t i = 0; i < records; ++i) {
            const std::int64_t piece = std::min(left, kMaxExtentBytes);
            const bool more = i + 1 < records;
            writeDirectoryRecord(place(directoryRecordLength(identifier.size())), extent,
                                 static_cast<std::uint32_t>(piece), date,
                                 static_cast<std::uint8_t>(flags | (more ? 0x80 : 0)), identifier);
            extent += static_cast<std::uint32_t>(kMaxExtentBytes / kSectorSize);
            left -= piece;
        }
    }
}

} // namespace

void writeBootCatalog(std::uint8_t *sector, std::uint32_t bootImageLocation, std::int64_t bootImageSize)
{
    std::memset(sector, 0, kSectorSize);
    sector[0] = 1;
    sector[1] = 0;
    static constexpr char kId[] = "Sarnix CD/DVD Burner";
    std::memcpy(sector + 4, kId, sizeof kId - 1);
    sector[30] = 0x55;
    sector[31] = 0xAA;
    std::uint32_t sum = 0;
    for (int i = 0; i < 32; i += 2)
        sum += static_cast<std::uint32_t>(sector[i] | (sector[i + 1] << 8));
    putLE16(sector + 28, static_cast<std::uint16_t>(0x10000 - (sum & 0xFFFF)));
    sector[32] = 0x88;
    sector[33] = bootImageSize == 1228800 ? 1 : bootImageSize == 1474560 ? 2 : bootImageSize == 2949120 ? 3 : 4;
    putLE16(sector + 38, 1);
    putLE32(sector + 40, bootImageLocation);
}

void buildHeader(TDiscTree &tree, const TImageLayout &layout, const VolumeIdentity &identity,
                 TDateTime buildTime, std::vector<std::uint8_t> &header, KeptDescriptors &kept)
{
    header.assign(static_cast<std::size_t>(layout.headerSectors() * kSectorSize), 0);
    ZoneOffsetCache zones;
    auto sector = [&](std::uint32_t absolute) {
        return header.data() + static_cast<std::size_t>(absolute - layout.SessionStart) * kSectorSize;
    };

    writeVolumeDescriptor(sector(layout.PrimaryDescriptor), false, tree, layout, identity, zones);
    if (layout.Bootable)
        writeBootRecord(sector(layout.BootRecord), layout.BootCatalog);
    if (layout.Joliet)
        writeVolumeDescriptor(sector(layout.JolietDescriptor), true, tree, layout, identity, zones);
    writeTerminator(sector(layout.Terminator));
    std::fill(kept.bytes.begin(), kept.bytes.end(), 0xFF);
    kept.length = static_cast<std::size_t>(layout.Terminator + 1 - layout.SessionStart) * kSectorSize;
    std::memcpy(kept.bytes.data(), header.data(), kept.length);

    writePathTable(sector(layout.IsoPathTableL), false, false, tree.IsoOrder(), layout.IsoDirectoryArea);
    writePathTable(sector(layout.IsoPathTableM), true, false, tree.IsoOrder(), layout.IsoDirectoryArea);
    if (layout.Joliet) {
        writePathTable(sector(layout.JolietPathTableL), false, true, tree.JolietOrder(), layout.JolietDirectoryArea);
        writePathTable(sector(layout.JolietPathTableM), true, true, tree.JolietOrder(), layout.JolietDirectoryArea);
    }

    const RecordDate buildDate = recordDate(buildTime, zones);
    for (const auto &directory : tree.Directories())
        writeDirectory(sector(layout.IsoDirectoryArea + directory->IsoOffset), *directory, false, layout, buildDate, zones);
    if (layout.Joliet)
        for (const auto &directory : tree.Directories())
            writeDirectory(sector(layout.JolietDirectoryArea + directory->JolietOffset), *directory, true, layout,
                           buildDate, zones);

    if (layout.Bootable)
        writeBootCatalog(sector(layout.BootCatalog), layout.BootImage, layout.BootImageSize);
}

} // namespace zelvane
