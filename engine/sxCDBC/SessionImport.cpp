#include "sxCDBC/SessionImport.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxConst/ImportTexts.h"
#include "sxConst/TextFormat.h"
#include "sxISOLib/IsoNames.h"
#include "sxISOLib/IsoRecords.h"

#include <algorithm>
#include <array>
#include <cmath>

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

constexpr std::uint64_t sectorsOf(std::uint64_t bytes)
{
    return (bytes + kDiscSectorBytes - 1) / kDiscSectorBytes;
}

// A text with two "%s" filled in, neither value read as a pattern.
std::string fillTwo(std::string_view pattern, const std::string &first, const std::string &second)
{
    const auto at = pattern.find("%s");
    const auto next = pattern.find("%s", at + 2);
    return std::string(pattern.substr(0, at)) + first + std::string(pattern.substr(at + 2, next - at - 2)) + second +
           std::string(pattern.substr(next + 2));
}

} // namespace

SessionImporter::SessionImporter(TSarnixBurner &burner, DiscReader &reader) : burner_(burner), reader_(reader) {}

void SessionImporter::report(const std::string &message)
{
    incomplete_ = true;
    burner_.EmitDebug(message, 4);
}

void SessionImporter::noteRename(const std::string &from, const std::string &to)
{
    burner_.EmitDebug(fillTwo(texts::kImportedNameChanged, from, to), 3);
}

bool SessionImporter::Import(std::uint8_t number, TDEntry *root)
{
    outcome_ = ImportOutcome::NothingToImport;
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

    const auto session = reader_.Session(number);
    if (!session) {
        outcome_ = ImportOutcome::Failed;
        burner_.EmitDebug(">>> " + std::string(texts::kErrorImportingSession) + " # " + std::to_string(number), 4);
        return false;
    }
    sectorLimit_ = reader_.SectorLimit();
    // Directories never share sectors on a sound disc, so all of them
    // together are never larger than the disc.
    readBudget_ = sectorLimit_ == kUnknownSectorLimit ? kDefaultDirectoryReadBudget : sectorLimit_;
    budgetReported_ = false;
    incomplete_ = false;
    readDirectories_.clear();

    // The file system lies in a data track; an audio track has none (a
    // session of an Enhanced CD may begin with audio).
    bool hasData = false;
    for (const SessionTrack &track : session->tracks) {
        if (!track.data)
            continue;
        hasData = true;
        RootLocation location;
        if (!findVolume(track.start, location))
            continue;
        DirectoryState state = importDirectory(location.extent, location.size, root, 0);
        if (state.pending)
            report(texts::fillText(texts::kExtentsMissing, state.pending->name));
        outcome_ = incomplete_ ? ImportOutcome::Incomplete : ImportOutcome::Imported;
        return true;
    }
    if (!hasData)
        return false;
    outcome_ = ImportOutcome::Failed;
    burner_.EmitDebug(">>> " + texts::fillText(texts::kSessionNotFound, number), 4);
    return false;
}

bool SessionImporter::findVolume(std::uint32_t trackStart, RootLocation &root)
{
    if (const auto joliet = findDescriptor(trackStart, true)) {
        names_ = NameSpace::Joliet;
        root = *joliet;
        return true;
    }
    const auto primary = findDescriptor(trackStart, false);
    if (!primary)
        return false;
    root = *primary;
    const auto skip = rockRidgeSkip(root);
    names_ = skip ? NameSpace::RockRidge : NameSpace::Iso;
    suspSkip_ = skip.value_or(0);
    return true;
}

std::optional<RootLocation> SessionImporter::findDescriptor(std::uint32_t trackStart, bool joliet)
{
    std::array<std::uint8_t, kDiscSectorBytes> sector{};
    for (std::uint64_t lba = std::uint64_t(trackStart) + kFirstDescriptorSector;
         lba <= std::uint64_t(trackStart) + kLastDescriptorSector && lba < kUnknownSectorLimit; ++lba) {
        sector.fill(0);
        if (!reader_.ReadSectors(static_cast<std::uint32_t>(lba), 1, sector))
            continue;
        if (isVolumeDescriptor(sector, kTerminatorDescriptorType))
            break;
        if (joliet ? isJolietDescriptor(sector) : isVolumeDescriptor(sector, kPrimaryDescriptorType))
            return descriptorRoot(sector);
    }
    return std::nullopt;
}

// Rock Ridge is there when the "." record of the root directory starts the
// SUSP entries with SP.
std::optional<std::size_t> SessionImporter::rockRidgeSkip(const RootLocation &root)
{
    std::array<std::uint8_t, kDiscSectorBytes> sector{};
    if (root.size == 0 || !insideDisc(root.extent, root.size) || !reader_.ReadSectors(root.extent, 1, sector))
        return std::nullopt;
    const RecordAt self = readDirectoryRecord(sector, 0);
    if (self.status != RecordStatus::Record || !self.record.isSelfOrParent())
        return std::nullopt;
    return suspSkipLength(self.record.systemUse);
}

bool SessionImporter::insideDisc(std::uint64_t extent, std::uint64_t bytes) const
{
    if (sectorLimit_ == kUnknownSectorLimit)
        return extent + sectorsOf(bytes) <= kUnknownSectorLimit;
    return extent + sectorsOf(bytes) <= sectorLimit_;
}

SessionImporter::DirectoryState SessionImporter::importDirectory(std::uint32_t extent, std::uint32_t size,
                                                                 TDEntry *target, int depth)
{
    DirectoryState state;
    state.target = target;
    state.depth = depth;
    // A directory that contains itself or an ancestor, or that two records
    // share, is read once: the second time its branch ends here.
    if (!readDirectories_.insert(extent).second) {
        report(texts::fillText(texts::kDirectoryRepeated, target->Path));
        return state;
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
            break;
        }
        --readBudget_;
        const std::uint64_t lba = std::uint64_t(extent) + index;
        sector.fill(0);
        if (lba >= kUnknownSectorLimit || !reader_.ReadSectors(static_cast<std::uint32_t>(lba), 1, sector)) {
            incomplete_ = true;
            break;
        }
        if (!importSector(sector, static_cast<std::uint32_t>(lba), index == 0, state))
            break;
    }
    return state;
}

bool SessionImporter::importSector(std::span<const std::uint8_t> sector, std::uint32_t lba, bool firstSector,
                                   DirectoryState &directory)
{
    std::size_t offset = 0;
    // The Joliet tree passes over "." and ".." by their lengths.
    if (firstSector && names_ == NameSpace::Joliet) {
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
            importRecord(at.record, directory);
        offset += at.record.length;
    }
    return true;
}

RockRidgeEntries SessionImporter::rockRidge(const DiscDirectoryRecord &record)
{
    if (names_ != NameSpace::RockRidge)
        return {};
    return readRockRidge(record.systemUse, suspSkip_,
                         [this](std::uint32_t block, std::uint32_t offset, std::uint32_t length) {
                             return readContinuation(block, offset, length);
                         });
}

std::optional<std::vector<std::uint8_t>> SessionImporter::readContinuation(std::uint32_t block, std::uint32_t offset,
                                                                           std::uint32_t length)
{
    const std::uint64_t end = std::uint64_t(offset) + length;
    const std::uint64_t sectors = sectorsOf(end);
    if (!insideDisc(block, end))
        return std::nullopt;
    std::vector<std::uint8_t> area(static_cast<std::size_t>(sectors * kDiscSectorBytes));
    if (!reader_.ReadSectors(block, static_cast<std::uint32_t>(sectors), area))
        return std::nullopt;
    return std::vector<std::uint8_t>(area.begin() + offset, area.begin() + static_cast<std::ptrdiff_t>(end));
}

std::string SessionImporter::recordName(const DiscDirectoryRecord &record, const RockRidgeEntries &rr, bool directory)
{
    if (rr.name)
        return portableName(safeDiscName(*rr.name));
    const bool joliet = names_ == NameSpace::Joliet;
    std::string name = joliet ? jolietIdentifierName(record.identifier) : isoIdentifierName(record.identifier);
    // "README." is README without an extension; the project adds the dot
    // again and knows to leave it out of the Joliet name.
    if (!directory && !name.empty() && name.back() == '.' && name.find_first_not_of('.') != std::string::npos)
        name.pop_back();
    if (record.identifier.size() <= (joliet ? kMaxJolietIdentifier : kMaxIsoIdentifier))
        return safeDiscName(name);
    // Reported, and imported under a name short enough for a record.
    burner_.EmitDebug(std::string(texts::kNameLengthExceeds) + "\n\r" + name, 4);
    return safeDiscName(shortenName(name, kShortenedJolietName));
}

std::string SessionImporter::distinctName(const std::string &name, bool directory, DirectoryState &state)
{
    std::string given = name;
    for (unsigned number = 2; state.names.count(twinKey(given, directory)); ++number)
        given = twinName(name, directory, number);
    state.names.insert(twinKey(given, directory));
    return given;
}

void SessionImporter::importRecord(const DiscDirectoryRecord &record, DirectoryState &directory)
{
    if (directory.pending && continuePendingFile(record, directory))
        return;
    const RockRidgeEntries rr = rockRidge(record);
    // A relocated directory is shown where its child link stands.
    if (rr.relocated) {
        ++directory.relocated;
        return;
    }
    const bool isDirectory = record.directory || rr.childLink.has_value();
    const std::string original = recordName(record, rr, isDirectory);
    const std::string name = distinctName(original, isDirectory, directory);
    const std::string raw = rr.name ? safeDiscName(*rr.name) : original;
    if (name != raw)
        noteRename(raw, name);
    const TDateTime date = rr.modified && std::isfinite(*rr.modified) ? *rr.modified : record.date;

    if (isDirectory) {
        std::uint32_t extent = record.extent;
        std::uint32_t size = record.dataLength;
        if (rr.childLink) {
            extent = *rr.childLink;
            const auto relocatedSize = relocatedDirectorySize(extent);
            if (!relocatedSize) {
                report(texts::fillText(texts::kRelocatedDirectoryUnreadable, name));
                return;
            }
            size = *relocatedSize;
        }
        addDirectory(name, date, record.hidden, extent, size, directory);
        return;
    }
    if (record.moreExtents) {
        PendingFile pending;
        pending.identifier.assign(record.identifier.begin(), record.identifier.end());
        pending.name = name;
        pending.date = date;
        pending.hidden = record.hidden;
        pending.extent = record.extent;
        pending.length = record.dataLength;
        pending.nextExtent = std::uint64_t(record.extent) + sectorsOf(record.dataLength);
        pending.consecutive = record.dataLength % kDiscSectorBytes == 0;
        directory.pending = std::move(pending);
        return;
    }
    addFile(name, date, record.hidden, record.extent, record.dataLength, directory);
}

// A record of the same name goes on with the file of several extents; its
// last record (without the flag) ends it. Answers false when the record is
// no part of that file, which then lacks its end.
bool SessionImporter::continuePendingFile(const DiscDirectoryRecord &record, DirectoryState &directory)
{
    PendingFile &file = *directory.pending;
    if (record.directory || !std::equal(record.identifier.begin(), record.identifier.end(), file.identifier.begin(),
                                        file.identifier.end())) {
        report(texts::fillText(texts::kExtentsMissing, file.name));
        directory.pending.reset();
        return false;
    }
    // The extents must follow each other so that the file is one run of
    // sectors, which the new session's records describe again.
    file.consecutive = file.consecutive && record.extent == file.nextExtent;
    file.length += record.dataLength;
    file.nextExtent = std::uint64_t(record.extent) + sectorsOf(record.dataLength);
    if (record.moreExtents) {
        file.consecutive = file.consecutive && record.dataLength % kDiscSectorBytes == 0;
        return true;
    }
    const PendingFile whole = std::move(file);
    directory.pending.reset();
    if (!whole.consecutive) {
        report(texts::fillText(texts::kExtentsApart, whole.name));
        return true;
    }
    addFile(whole.name, whole.date, whole.hidden, whole.extent, whole.length, directory);
    return true;
}

void SessionImporter::addFile(const std::string &name, TDateTime date, bool hidden, std::uint32_t extent,
                              std::uint64_t length, DirectoryState &directory)
{
    if (!insideDisc(extent, length) || (extent == 0 && length > 0)) {
        report(texts::fillText(texts::kEntryOutsideDisc, name));
        return;
    }
    TSearchRecord description;
    description.Name = name;
    description.AlternateName = ruleSName(name);
    description.Time = date;
    description.Attr = hidden ? faHidden : 0;
    description.Size = static_cast<std::int64_t>(length);
    burner_.AddFileEntry(directory.target, description, 0, extent, std::string());
    ++directory.imported;
}

void SessionImporter::addDirectory(const std::string &name, TDateTime date, bool hidden, std::uint32_t extent,
                                   std::uint32_t size, DirectoryState &directory)
{
    TSearchRecord description;
    description.Name = name;
    description.AlternateName = ruleSName(name);
    description.Time = date;
    description.Attr = (hidden ? faHidden : 0) | faDirectory;
    description.Size = size;
    TDEntry *created = burner_.AddDirectoryEntry(directory.target, description);
    if (!created) {
        incomplete_ = true;  // the tree's limits, which the tree reports
        return;
    }
    ++directory.imported;
    if (!insideDisc(extent, size) || (extent == 0 && size > 0)) {
        report(texts::fillText(texts::kEntryOutsideDisc, created->Path));
        return;
    }
    if (directory.depth >= kMaxImportDepth) {
        report(texts::fillText(texts::kDirectoriesTooDeep, created->Path));
        return;
    }
    const bool wasEmpty = created->FirstChild == nullptr;
    const DirectoryState inside = importDirectory(extent, size, created, directory.depth + 1);
    if (inside.pending)
        report(texts::fillText(texts::kExtentsMissing, inside.pending->name));
    // The folder that only held directories shown elsewhere (Rock Ridge's
    // relocation folder) is left out.
    if (wasEmpty && inside.imported == 0 && inside.relocated > 0 && !created->FirstChild)
        burner_.RemoveEntry(directory.target->Path, created->LongName);
}

// The size of a relocated directory, from its own "." record.
std::optional<std::uint32_t> SessionImporter::relocatedDirectorySize(std::uint32_t extent)
{
    std::array<std::uint8_t, kDiscSectorBytes> sector{};
    if (!insideDisc(extent, kDiscSectorBytes) || !reader_.ReadSectors(extent, 1, sector))
        return std::nullopt;
    const RecordAt self = readDirectoryRecord(sector, 0);
    if (self.status != RecordStatus::Record || !self.record.isSelfOrParent() || self.record.extent != extent)
        return std::nullopt;
    return self.record.dataLength;
}

bool TSarnixBurner::ImportSession(std::uint8_t Number, TDEntry *Root)
{
    SessionImporter importer(*this, Reader());
    const bool imported = importer.Import(Number, Root);
    importOutcome_ = importer.Outcome();
    return imported;
}

} // namespace zelvane
