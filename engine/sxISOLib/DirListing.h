// Directory listing of local folders: long names (UTF-8), generated 8.3
// alternate names, attributes, local dates and 64-bit sizes.
#pragma once

#include "sxISOLib/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

namespace zelvane {

inline constexpr std::int32_t faReadOnly = 0x01;
inline constexpr std::int32_t faHidden = 0x02;
inline constexpr std::int32_t faDirectory = 0x10;
inline constexpr std::int32_t faArchive = 0x20;

struct TSearchRecord {
    std::string Name;          // long name
    std::string AlternateName; // 8.3 name, empty when Name fits 8.3
    TDateTime Time = 0;        // last modification, local time
    std::int32_t Attr = 0;
    std::int64_t Size = 0;
    dev_t Device = 0;          // identity of the listed object (links followed)
    ino_t Inode = 0;
};

// Lists a folder: every regular file and directory, links followed; sockets,
// FIFOs, devices and broken links are left out (their names go to `leftOut`
// when given). Sorted by name (bytes). nullopt when the folder cannot be read.
std::optional<std::vector<TSearchRecord>> listDirectory(const std::string &folder,
                                                        std::vector<std::string> *leftOut = nullptr);

// Looks up one file or folder the way the listing of its folder shows it.
// The last folder listed is kept, so looking up many files of one folder
// lists it once; its dates and sizes are refreshed from the file each time.
class DirectoryLookup {
public:
    DirectoryLookup() = default;
    ~DirectoryLookup();
    DirectoryLookup(const DirectoryLookup &) = delete;
    DirectoryLookup &operator=(const DirectoryLookup &) = delete;

    std::optional<TSearchRecord> find(const std::string &path);
    void clear();

private:
    int folderFd_ = -1;  // the folder listed last, kept open for the refreshes
    std::string folder_;
    std::unordered_map<std::string, std::string> alternateNames_;
};

} // namespace zelvane
