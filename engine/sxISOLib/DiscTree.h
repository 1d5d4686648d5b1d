// The disc project: a tree of directory records (TDEntry) and file records
// (TFEntry) held in four entry tables: files in creation order, directories
// in creation order (index 0 is the root), and directories in ISO 9660 and
// in Joliet path-table order.
#pragma once

#include "sxISOLib/DateTime.h"
#include "sxISOLib/DirListing.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelvane {

struct TFEntry;

struct TDEntry {
    std::string IsoName;
    std::string LongName;
    std::uint8_t Reserved = 0;
    std::int64_t IsoSize = 0;
    std::int64_t JolietSize = 0;
    std::string Path;            // "\A\B" in upper case; "\" for the root
    std::uint32_t IsoOffset = 0;
    std::uint32_t JolietOffset = 0;
    std::uint32_t Number = 0;    // position in the path table, from 1
    TDEntry *Parent = nullptr;   // the root is its own parent
    TFEntry *FirstChild = nullptr;
    std::uint32_t Reserved2 = 0;

    // Tree bookkeeping.
    TFEntry *LastChild = nullptr;
    TFEntry *Self = nullptr;     // the entry standing for it in its parent's list
    std::string PathKey;         // case-folded path, the key of the path index
    std::unordered_multimap<std::string, TFEntry *> ChildrenByName; // folded long names
    bool Removed = false;
};

struct TFEntry {
    std::string IsoName;         // without ";1"
    std::string LongName;        // without ";1"
    std::string SourcePath;      // empty for directories and imported entries
    bool FromPreviousSession = false;
    TDateTime DateTime = 0;
    std::int64_t IsoDataLength = 0;
    std::int64_t JolietDataLength = 0;
    std::int64_t Reserved = 0;
    std::uint32_t IsoLocation = 0;
    std::uint32_t JolietLocation = 0;
    std::uint32_t Attr = 0;
    std::uint8_t Tag = 0;
    TDEntry *Directory = nullptr; // directories only
    TFEntry *Next = nullptr;

    // Tree bookkeeping.
    TDEntry *Owner = nullptr;    // the directory whose list holds it
    bool Removed = false;
    // The "." at the end of LongName was added to a file name without one;
    // the Joliet record leaves it out, as readers show it otherwise.
    bool DotAppended = false;

    bool isDirectory() const { return Directory != nullptr; }
};

// Longest Joliet names whose directory record still fits its one-byte length:
// 33 + 2 x (characters + 2 for ";1") + 1 <= 255 for files, no ";1" for folders.
inline constexpr std::size_t kMaxJolietFileName = 108;
inline constexpr std::size_t kMaxJolietDirectoryName = 110;

class TDiscTree {
public:
    using Reporter = std::function<void(const std::string &message, std::uint8_t level)>;
    using AddFileHandler = std::function<void(const std::string &FullPath, std::string &LongFileName,
                                              std::string &ShortFileName, TDateTime &DateTime,
                                              std::int32_t Attr, std::int64_t FileSize, bool &Skip)>;

    TDiscTree();

    void setReporter(Reporter reporter) { report_ = std::move(reporter); }
    bool ReplaceFile = false;

    void Clear(int maxFiles, int maxDirs);

    TDEntry *Root() const { return directories_.front().get(); }
    TDEntry *FindDirectory(std::string_view path) const;
    TDEntry *MakeDirectoryPath(std::string_view path);
    TDEntry *CreateDirectoryEntry(TDEntry *parent, std::string_view name, std::int32_t attr);
    TDEntry *AddDirectoryEntry(TDEntry *parent, const TSearchRecord &description);
    int AddFileEntry(TDEntry *directory, const TSearchRecord &description, std::uint8_t tag,
                     std::uint32_t discLocation, const std::string &sourcePath,
                     const AddFileHandler &onAddFile = {});
    bool RenameEntry(std::string_view dirPath, std::string_view oldLongName, std::string_view newLongName,
                     std::string_view newShortName);
    bool RemoveEntry(std::string_view dirPath, std::string_view longName);
    bool RemoveEmptyDirectories();

    // First entry of the directory's list with that long name, without regard to case.
    TFEntry *FindEntry(const TDEntry *directory, std::string_view longName) const;

    const std::vector<std::unique_ptr<TFEntry>> &Files() const { return files_; }
    const std::vector<std::unique_ptr<TDEntry>> &Directories() const { return directories_; }
    std::vector<TDEntry *> &IsoOrder() { return isoOrder_; }
    std::vector<TDEntry *> &JolietOrder() { return jolietOrder_; }
    int MaxFiles() const { return maxFiles_; }
    int MaxDirs() const { return maxDirs_; }

private:
    void reportMessage(const std::string &message, std::uint8_t level) const;
    void linkEntry(TDEntry *directory, TFEntry *entry);
    void unlinkEntry(TFEntry *entry);
    void indexName(TDEntry *directory, TFEntry *entry);
    void unindexName(TDEntry *directory, TFEntry *entry);
    void markRemoved(TFEntry *entry);
    void compactTables();
    void rebuildPaths(TDEntry *directory);

    Reporter report_;
    int maxFiles_ = 65535;
    int maxDirs_ = 8191;
    std::vector<std::unique_ptr<TFEntry>> files_;
    std::vector<std::unique_ptr<TDEntry>> directories_;
    std::vector<TDEntry *> isoOrder_;
    std::vector<TDEntry *> jolietOrder_;
    std::unordered_map<std::string, TDEntry *> byPath_; // folded path -> directory
};

} // namespace zelvane
