#include "TestSupport.h"

#include "sxISOLib/IsoNames.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zelvane::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvane-iso-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string &relative, std::int64_t size)
{
    const std::string full = path_ + "/" + relative;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream out(full, std::ios::binary);
    for (std::int64_t i = 0; i < size; ++i)
        out.put(static_cast<char>('a' + i % 23));
    return full;
}

std::string TempDir::text(const std::string &relative, const std::string &content)
{
    const std::string full = path_ + "/" + relative;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream(full, std::ios::binary) << content;
    return full;
}

std::string TempDir::folder(const std::string &relative)
{
    const std::string full = path_ + "/" + relative;
    std::filesystem::create_directories(full);
    return full;
}

std::uint32_t le32(const std::uint8_t *at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::uint32_t be32(const std::uint8_t *at)
{
    return (static_cast<std::uint32_t>(at[0]) << 24) | (at[1] << 16) | (at[2] << 8) | at[3];
}

std::uint16_t le16(const std::uint8_t *at)
{
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint16_t be16(const std::uint8_t *at)
{
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

const std::uint8_t *headerSector(const TSarnixBurner &burner, std::uint32_t absolute)
{
    return burner.HeaderBuffer().data() + static_cast<std::size_t>(absolute - burner.Layout().SessionStart) * 2048;
}

std::vector<ParsedRecord> parseDirectory(const std::uint8_t *at, std::size_t bytes)
{
    std::vector<ParsedRecord> records;
    std::size_t offset = 0;
    while (offset < bytes) {
        const std::uint8_t length = at[offset];
        if (length == 0) {
            offset = (offset / 2048 + 1) * 2048;
            continue;
        }
        ParsedRecord record;
        record.recordLength = length;
        record.extent = le32(at + offset + 2);
        record.length = le32(at + offset + 10);
        std::copy(at + offset + 18, at + offset + 25, record.date);
        record.flags = at[offset + 25];
        record.identifier.assign(reinterpret_cast<const char *>(at + offset + 33), at[offset + 32]);
        records.push_back(record);
        offset += length;
    }
    return records;
}

std::string ascii(const std::uint8_t *at, std::size_t length)
{
    return std::string(reinterpret_cast<const char *>(at), length);
}

std::string ucs2(const std::string &utf8)
{
    return toUcs2BigEndian(utf8);
}

void MessageLog::attach(TSarnixBurner &burner)
{
    burner.OnDebugMessage = [this](TSCSIDevice *, const std::string &message, std::uint8_t level) {
        lines.emplace_back(message, level);
    };
}

bool MessageLog::has(const std::string &text, int level) const
{
    for (const auto &[message, messageLevel] : lines)
        if (message == text && messageLevel == level)
            return true;
    return false;
}

} // namespace zelvane::test
