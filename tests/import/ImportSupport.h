// Helpers of the session import tests: temporary folders, a source tree
// with known bytes and dates, images made by other programs, and a builder
// of hand-made (also hostile) ISO 9660 / Joliet images.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

// A fresh folder under /tmp, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const fs::path &path() const { return path_; }
    fs::path operator/(const std::string &name) const { return path_ / name; }

private:
    fs::path path_;
};

// Runs a shell command; its exit status (-1 when it could not run).
int Shell(const std::string &command);
std::string Quote(const fs::path &path);

// Fills `folder` with files and folders of known contents and dates:
// empty, small, sector-sized and multi-chunk files, nested folders, long,
// Cyrillic and extension-less names.
void MakeSourceTree(const fs::path &folder);
// Every file and folder below `folder`, as paths relative to it.
std::vector<std::string> RelativeEntries(const fs::path &folder);
std::vector<std::uint8_t> ReadBytes(const fs::path &file);
std::time_t ModificationTime(const fs::path &path);

// A hand-made disc image of 2048-byte sectors.
class HandImage {
public:
    explicit HandImage(std::uint32_t sectors);

    struct Record {
        Record(std::string identifier_, std::uint32_t extent_, std::uint32_t size_, bool directory_ = false,
               bool moreExtents_ = false, std::string systemUse_ = {})
            : identifier(std::move(identifier_)), extent(extent_), size(size_), directory(directory_),
              moreExtents(moreExtents_), systemUse(std::move(systemUse_))
        {
        }
        std::string identifier; // raw identifier bytes
        std::uint32_t extent = 0;
        std::uint32_t size = 0;
        bool directory = false;
        bool moreExtents = false;  // the file goes on in the next record
        std::string systemUse;     // raw bytes after the identifier
    };

    // Volume descriptors: primary, Joliet (supplementary with "%/E") and
    // the terminator, each with the root directory's extent and size.
    void Primary(std::uint32_t sector, std::uint32_t rootExtent, std::uint32_t rootSize);
    void Joliet(std::uint32_t sector, std::uint32_t rootExtent, std::uint32_t rootSize);
    void Terminator(std::uint32_t sector);
    // Writes "." and ".." and then the records into a directory sector;
    // answers the offset after the last record.
    std::size_t Directory(std::uint32_t sector, std::uint32_t self, std::uint32_t parent,
                          const std::vector<Record> &records);
    // Writes one record at an offset of a sector; answers the offset after it.
    std::size_t Put(std::uint32_t sector, std::size_t offset, const Record &record);

    std::uint8_t *At(std::uint32_t sector, std::size_t offset) { return &bytes_[sector * 2048ull + offset]; }
    const std::vector<std::uint8_t> &Bytes() const { return bytes_; }

private:
    void Descriptor(std::uint32_t sector, std::uint8_t type, std::uint32_t rootExtent, std::uint32_t rootSize);
    std::vector<std::uint8_t> bytes_;
};

// A name as a Joliet identifier (UCS-2 big-endian of an ASCII or UTF-8 text).
std::string Ucs2(std::string_view text);
