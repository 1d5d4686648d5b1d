#include "sxCDBC/SessionImport.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxConst/ImportTexts.h"
#include "sxConst/TextFormat.h"
#include "sxISOLib/IsoNames.h"

#include <algorithm>
#include <array>

namespace zelvane {

namespace {

// Volume descriptors are looked for in the sectors 16 to 36 of a session.
constexpr std::uint32_t kFirstDescriptorSector = 16;
constexpr std::uint32_t kLastDescriptorSector = 36;
// A record starting at or beyond this byte is not read.
constexpr std::size_t kLastRecordStart = 2015;
// Longest identifiers read by name: 107 UCS-2 characters, or 239 bytes.
constexpr std::size_t kMaxJolietIdentifier = 214;
constexpr std::size_t kMaxIsoIdentifier = 239;
// An over-long Joliet name is imported cut to this many UTF-16 units, the
// longest that fits the limit with its ";1".
constexpr std::size_t kShortenedJolietName = kMaxJolietIdentifier / 2 - 2;

constexpr std::uint32_t sectorsOf(std::uint64_t bytes)
{
    return static_cast<std::uint32_t>((bytes + kDiscSectorBytes - 1) / kDiscSectorBytes);
}

} // namespace

SessionImporter::SessionImporter(TSarnixBurner &burner, DiscReader &reader) : burner_(burner), reader_(reader) {}

void SessionImporter::report(const std::string &message)
{
    burner_.EmitDebug(message, 4);
}

bool SessionImporter::Import(std::uint8_t number, TDEntry *root)
{
    if (!root)
        root = burner_.FindDirectory("\\");
    const int sessions = reader_.RecordedSessions();
    if (sessions <= 0)
        return false;
    if (number == 255 || number > sessions)
        number = static_cast<std::uint8_t>(std::min(sessions, 255));
    if (number == 0)
        return false;
    burner_.EmitDebug(">>> " + texts::fillText(texts::kImportingSession, number), 1);

    const auto track = reader_.Track(number);
    if (!track) {
        report(">>> " + std::string(texts::kErrorImportingSession) + " # " + std::to_string(number));
        return false;
    }
    sectorLimit_ = reader_.SectorLimit();
    // Directories never share sectors on a sound disc, so all of them
    // together are never larger than the disc.
    readBudget_ = sectorLimit_ == kUnknownSectorLimit ? kDefaultDirectoryReadBudget : sectorLimit_;
    budgetReported_ = false;
    readDirectories_.clear();

    for (const NameSpace names : {NameSpace::Joliet, NameSpace::Iso}) {
        if (const auto location = findDescriptor(track->start, names)) {
            importDirectory(location->extent, location->size, root, names, 0);
            return true;
        }
    }
    report(">>> " + texts::fillText(texts::kSessionNotFound, number));
    return false;
}

std::optional<RootLocation> SessionImporter::findDescriptor(std::uint32_t sessionStart, NameSpace names)
{
    std::array<std::uint8_t, kDiscSectorBytes> sector{};
    for (std::uint64_t lba = std::uint64_t(sessionStart) + kFirstDescriptorSector;
         lba <= std::uint64_t(sessionStart) + kLastDescriptorSector && lba < kUnknownSectorLimit; ++lba) {
        sector.fill(0);
        if (!reader_.ReadSectors(static_cast<std::uint32_t>(lba), 1, sector))
            continue;
        if (isVolumeDescriptor(sector, kTerminatorDescriptorType))
            break;
        const bool wanted = names == NameSpace::Joliet ? isJolietDescriptor(sector)
                                                       : isVolumeDescriptor(sector, kPrimaryDescriptorType);
        if (wanted)
            return descriptorRoot(sector);
    }
    return std::nullopt;
}

bool SessionImporter::insideDisc(std::uint32_t extent, std::uint32_t size) const
{
    if (sectorLimit_ == kUnknownSectorLimit)
        return true;
    return std::uint64_t(extent) + sectorsOf(size) <= sectorLimit_;
}

void SessionImporter::importDirectory(std::uint32_t extent, std::uint32_t size, TDEntry *target, NameSpace names,
                                      int depth)
{
    // A directory that contains itself or an ancestor, or that two records
    // share, is read once: the second time its branch ends here.
    if (!readDirectories_.insert(extent).second) {
        report(texts::fillText(texts::kDirectoryRepeated, target->Path));
        return;
    }
    std::uint64_t sectors = sectorsOf(size);
    if (sectorLimit_ != kUnknownSectorLimit)
        sectors = std::min<std::uint64_t>(sectors, extent < sectorLimit_ ? sectorLimit_ - extent : 0);

    std::array<std::uint8_t, kDiscSectorBytes> sector{};
    for (std::uint64_t index = 0; index < sectors; ++index) {
        if (readBudget_ == 0) {
            if (!budgetReported_)
                report(std::string(texts::kDirectoryReadLimit));
            budgetReported_ = true;
            return;
        }
        --readBudget_;
        const std::uint64_t lba = std::uint64_t(extent) + index;
        sector.fill(0);
        if (lba >= kUnknownSectorLimit || !reader_.ReadSectors(static_cast<std::uint32_t>(lba), 1, sector))
            return;
        if (!importSector(sector, static_cast<std::uint32_t>(lba), index == 0, target, names, depth))
            return;
    }
}

bool SessionImporter::importSector(std::span<const std::uint8_t> sector, std::uint32_t lba, bool firstSector,
                                   TDEntry *target, NameSpace names, int depth)
{
    std::size_t offset = 0;
    // The Joliet tree passes over "." and ".." by their lengths.
    if (firstSector && names == NameSpace::Joliet) {
        offset = sector[0];
        if (offset < sector.size())
            offset += sector[offset];
    }
    while (offset < kLastRecordStart) {
        const RecordAt at = readDirectoryRecord(sector, offset);
        if (at.status == RecordStatus::EndOfSector)
            return true;
        if (at.status == RecordStatus::Malformed) {
            report(texts::fillText(texts::kDamagedRecord, lba));
            return false;
        }
        if (!at.record.isSelfOrParent())
            importRecord(at.record, target, names, depth);
        offset += at.record.length;
    }
    return true;
}

std::string SessionImporter::recordName(const DiscDirectoryRecord &record, NameSpace names)
{
    const bool joliet = names == NameSpace::Joliet;
    std::string name = joliet ? jolietIdentifierName(record.identifier) : isoIdentifierName(record.identifier);
    // "README." is README without an extension; the project adds the dot
    // again and knows to leave it out of the Joliet name.
    if (!record.directory && !name.empty() && name.back() == '.' && name.find_first_not_of('.') != std::string::npos)
        name.pop_back();
    if (record.identifier.size() <= (joliet ? kMaxJolietIdentifier : kMaxIsoIdentifier))
        return safeDiscName(name);
    // Reported, and imported under a name short enough for a record.
    report(std::string(texts::kNameLengthExceeds) + "\n\r" + name);
    return safeDiscName(shortenName(name, kShortenedJolietName));
}

void SessionImporter::importRecord(const DiscDirectoryRecord &record, TDEntry *target, NameSpace names, int depth)
{
    TSearchRecord description;
    description.Name = recordName(record, names);
    description.AlternateName = ruleSName(description.Name);
    description.Time = record.date;
    description.Attr = (record.hidden ? faHidden : 0) | (record.directory ? faDirectory : 0);
    description.Size = record.dataLength;

    const bool outside = !insideDisc(record.extent, record.dataLength) || (record.extent == 0 && record.dataLength > 0);
    if (record.directory) {
        TDEntry *directory = burner_.AddDirectoryEntry(target, description);
        if (!directory)
            return;
        if (outside) {
            report(texts::fillText(texts::kEntryOutsideDisc, directory->Path));
        } else if (depth >= kMaxImportDepth) {
            report(texts::fillText(texts::kDirectoriesTooDeep, directory->Path));
        } else {
            importDirectory(record.extent, record.dataLength, directory, names, depth + 1);
        }
        return;
    }
    if (outside) {
        report(texts::fillText(texts::kEntryOutsideDisc, description.Name));
        return;
    }
    burner_.AddFileEntry(target, description, 0, record.extent, std::string());
}

bool TSarnixBurner::ImportSession(std::uint8_t Number, TDEntry *Root)
{
    return SessionImporter(*this, Reader()).Import(Number, Root);
}

} // namespace zelvane
