// Helpers of the disc image tests: temporary folders with files, and reading
// fields back from header bytes.
#pragma once

#include "sxCDBC/SarnixBurner.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelvane::test {

// A temporary folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    // Writes a file of `size` bytes (a repeating pattern) or with `text`.
    std::string file(const std::string &relative, std::int64_t size);
    std::string text(const std::string &relative, const std::string &content);
    std::string folder(const std::string &relative);

private:
    std::string path_;
};

std::uint32_t le32(const std::uint8_t *at);
std::uint32_t be32(const std::uint8_t *at);
std::uint16_t le16(const std::uint8_t *at);
std::uint16_t be16(const std::uint8_t *at);

// The header sector holding an absolute sector of the laid-out session.
const std::uint8_t *headerSector(const TSarnixBurner &burner, std::uint32_t absolute);

// Directory records of one directory extent: identifier bytes, extent,
// length and flags, in the order written.
struct ParsedRecord {
    std::string identifier;
    std::uint32_t extent = 0;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
    std::uint8_t recordLength = 0;
    std::uint8_t date[7] = {};
};
std::vector<ParsedRecord> parseDirectory(const std::uint8_t *at, std::size_t bytes);

std::string ascii(const std::uint8_t *at, std::size_t length);
std::string ucs2(const std::string &utf8);

// Collects the debug messages of a burner.
struct MessageLog {
    std::vector<std::pair<std::string, int>> lines;
    void attach(TSarnixBurner &burner);
    bool has(const std::string &text, int level) const;
};

} // namespace zelvane::test
