// Reads the directory tree of one session of a disc into the burner's
// project tree: directories merge with those already there, files keep
// their sectors on the disc. Names come from the Joliet tree when the
// session has one, else from the Rock Ridge entries of the ISO 9660 tree,
// else from the ISO 9660 identifiers; names the project cannot hold as they
// are (too long, or twins that differ only in case) get a name of their own
// and a report.
#pragma once

#include "sxCDBC/DiscReader.h"
#include "sxISOLib/RecordReading.h"
#include "sxISOLib/RockRidge.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace zelvane {

class TSarnixBurner;
struct TDEntry;

// Directories nested deeper than this are not entered.
inline constexpr int kMaxImportDepth = 255;
// Directory sectors one import reads at most when the disc does not tell
// its size (16 GiB of directories).
inline constexpr std::uint64_t kDefaultDirectoryReadBudget = std::uint64_t(1) << 23;

// How the last import went, for a continue that must not hide old files.
enum class ImportOutcome {
    NothingToImport, // no session, or a session without a data track
    Imported,        // the whole tree was read
    Incomplete,      // the tree was read, but some of it could not be
    Failed,          // the session holds data, but no tree could be read
};

class SessionImporter {
public:
    SessionImporter(TSarnixBurner &burner, DiscReader &reader);

    // Number 255 or a number above the session count means the last
    // session; 0 imports nothing. Root none means the project root. True
    // when a volume descriptor was found and its tree read.
    bool Import(std::uint8_t number, TDEntry *root);
    ImportOutcome Outcome() const { return outcome_; }

private:
    enum class NameSpace { Joliet, RockRidge, Iso };

    // A file of several extents while its records are read.
    struct PendingFile {
        std::vector<std::uint8_t> identifier;
        std::string name;
        TDateTime date = 0;
        bool hidden = false;
        std::uint32_t extent = 0;
        std::uint64_t length = 0;
        std::uint64_t nextExtent = 0;
        bool consecutive = true;
    };

    // What one directory's import keeps between its records.
    struct DirectoryState {
        TDEntry *target = nullptr;
        int depth = 0;
        std::unordered_set<std::string> names; // twin keys of the names given so far
        std::optional<PendingFile> pending;
        int imported = 0;
        int relocated = 0; // entries shown elsewhere (Rock Ridge RE)
    };

    bool findVolume(std::uint32_t trackStart, RootLocation &root);
    std::optional<RootLocation> findDescriptor(std::uint32_t trackStart, bool joliet);
    std::optional<std::size_t> rockRidgeSkip(const RootLocation &root);
    DirectoryState importDirectory(std::uint32_t extent, std::uint32_t size, TDEntry *target, int depth);
    // False when the directory's records are damaged and its import must end.
    bool importSector(std::span<const std::uint8_t> sector, std::uint32_t lba, bool firstSector,
                      DirectoryState &directory);
    void importRecord(const DiscDirectoryRecord &record, DirectoryState &directory);
    bool continuePendingFile(const DiscDirectoryRecord &record, DirectoryState &directory);
    void addFile(const std::string &name, TDateTime date, bool hidden, std::uint32_t extent, std::uint64_t length,
                 DirectoryState &directory);
    void addDirectory(const std::string &name, TDateTime date, bool hidden, std::uint32_t extent,
                      std::uint32_t size, DirectoryState &directory);
    RockRidgeEntries rockRidge(const DiscDirectoryRecord &record);
    std::optional<std::vector<std::uint8_t>> readContinuation(std::uint32_t block, std::uint32_t offset,
                                                              std::uint32_t length);
    std::optional<std::uint32_t> relocatedDirectorySize(std::uint32_t extent);
    std::string recordName(const DiscDirectoryRecord &record, const RockRidgeEntries &rr, bool directory);
    std::string distinctName(const std::string &name, bool directory, DirectoryState &state);
    bool insideDisc(std::uint64_t extent, std::uint64_t bytes) const;
    // A part of the tree that could not be read: reported, and the import
    // counts as incomplete.
    void report(const std::string &message);
    // A name that changed on its way into the project.
    void noteRename(const std::string &from, const std::string &to);

    TSarnixBurner &burner_;
    DiscReader &reader_;
    NameSpace names_ = NameSpace::Joliet;
    std::size_t suspSkip_ = 0;
    std::uint32_t sectorLimit_ = kUnknownSectorLimit;
    std::uint64_t readBudget_ = 0;
    bool budgetReported_ = false;
    bool incomplete_ = false;
    ImportOutcome outcome_ = ImportOutcome::NothingToImport;
    std::unordered_set<std::uint32_t> readDirectories_;
};

} // namespace zelvane
