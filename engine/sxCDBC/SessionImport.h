// Reads the directory tree of one session of a disc (Joliet names when the
// session has a Joliet descriptor, ISO 9660 names otherwise) into the
// burner's project tree: directories merge with those already there, files
// keep their sectors on the disc.
#pragma once

#include "sxCDBC/DiscReader.h"
#include "sxISOLib/RecordReading.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

namespace zelvane {

class TSarnixBurner;
struct TDEntry;

// Directories nested deeper than this are not entered.
inline constexpr int kMaxImportDepth = 255;
// Directory sectors one import reads at most when the disc does not tell
// its size (16 GiB of directories).
inline constexpr std::uint64_t kDefaultDirectoryReadBudget = std::uint64_t(1) << 23;

class SessionImporter {
public:
    SessionImporter(TSarnixBurner &burner, DiscReader &reader);

    // Number 255 or a number above the session count means the last
    // session; 0 imports nothing. Root none means the project root.
    bool Import(std::uint8_t number, TDEntry *root);

private:
    enum class NameSpace { Joliet, Iso };

    std::optional<RootLocation> findDescriptor(std::uint32_t sessionStart, NameSpace names);
    void importDirectory(std::uint32_t extent, std::uint32_t size, TDEntry *target, NameSpace names, int depth);
    // False when the directory's records are damaged and its import must end.
    bool importSector(std::span<const std::uint8_t> sector, std::uint32_t lba, bool firstSector,
                      TDEntry *target, NameSpace names, int depth);
    void importRecord(const DiscDirectoryRecord &record, TDEntry *target, NameSpace names, int depth);
    std::string recordName(const DiscDirectoryRecord &record, NameSpace names);
    bool insideDisc(std::uint32_t extent, std::uint32_t size) const;
    void report(const std::string &message);

    TSarnixBurner &burner_;
    DiscReader &reader_;
    std::uint32_t sectorLimit_ = kUnknownSectorLimit;
    std::uint64_t readBudget_ = 0;
    bool budgetReported_ = false;
    std::unordered_set<std::uint32_t> readDirectories_;
};

} // namespace zelvane
