#include "ImportSupport.h"

#include "sxISOLib/IsoNames.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/zelvane-import-XXXXXX";
    if (!::mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

int Shell(const std::string &command)
{
    const int status = std::system(command.c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

std::string Quote(const fs::path &path)
{
    std::string quoted = "'";
    for (char c : path.string())
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

namespace {

void WriteFile(const fs::path &file, std::size_t size, unsigned seed, std::time_t date)
{
    std::vector<char> data(size);
    unsigned state = seed * 2654435761u + 1;
    for (char &c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    std::ofstream(file, std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));
    const timespec times[2] = {{date, 0}, {date, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

void SetDate(const fs::path &path, std::time_t date)
{
    const timespec times[2] = {{date, 0}, {date, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

} // namespace

void MakeSourceTree(const fs::path &folder)
{
    constexpr std::time_t kBase = 1600000000; // September 2020
    fs::create_directories(folder / "docs" / "deep" / "deeper");
    fs::create_directories(folder / "empty folder");
    fs::create_directories(folder / "Документы");
    WriteFile(folder / "readme.txt", 1234, 1, kBase);
    WriteFile(folder / "empty.dat", 0, 2, kBase + 60);
    WriteFile(folder / "sector.bin", 2048, 3, kBase + 3600);
    WriteFile(folder / "NOEXT", 10, 4, kBase + 86400);
    WriteFile(folder / "docs" / "a rather long file name with spaces.text", 100000, 5, kBase + 7);
    WriteFile(folder / "docs" / "deep" / "chunks.bin", 63488 * 2 + 1, 6, kBase + 11);
    WriteFile(folder / "docs" / "deep" / "deeper" / "leaf.txt", 5, 7, kBase + 13);
    WriteFile(folder / "Документы" / "отчёт.txt", 4321, 8, kBase + 17);
    SetDate(folder / "docs" / "deep" / "deeper", kBase + 100);
    SetDate(folder / "docs" / "deep", kBase + 200);
    SetDate(folder / "docs", kBase + 300);
    SetDate(folder / "empty folder", kBase + 400);
    SetDate(folder / "Документы", kBase + 500);
}

std::vector<std::string> RelativeEntries(const fs::path &folder)
{
    std::vector<std::string> entries;
    for (const auto &item : fs::recursive_directory_iterator(folder))
        entries.push_back(fs::relative(item.path(), folder).string() + (item.is_directory() ? "/" : ""));
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<std::uint8_t> ReadBytes(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::time_t ModificationTime(const fs::path &path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mtim.tv_sec : -1;
}

HandImage::HandImage(std::uint32_t sectors) : bytes_(std::size_t(sectors) * 2048, 0) {}

void HandImage::Descriptor(std::uint32_t sector, std::uint8_t type, std::uint32_t rootExtent, std::uint32_t rootSize)
{
    std::uint8_t *d = At(sector, 0);
    d[0] = type;
    std::memcpy(d + 1, "CD001", 5);
    d[6] = 1;
    Put(sector, 156, Record{std::string(1, '\0'), rootExtent, rootSize, true});
}

void HandImage::Primary(std::uint32_t sector, std::uint32_t rootExtent, std::uint32_t rootSize)
{
    Descriptor(sector, 1, rootExtent, rootSize);
}

void HandImage::Joliet(std::uint32_t sector, std::uint32_t rootExtent, std::uint32_t rootSize)
{
    Descriptor(sector, 2, rootExtent, rootSize);
    std::memcpy(At(sector, 88), "%/E", 3);
}

void HandImage::Terminator(std::uint32_t sector)
{
    std::uint8_t *d = At(sector, 0);
    d[0] = 255;
    std::memcpy(d + 1, "CD001", 5);
}

std::size_t HandImage::Put(std::uint32_t sector, std::size_t offset, const Record &record)
{
    const std::size_t identifier = record.identifier.size();
    const std::size_t padded = 33 + identifier + (identifier % 2 == 0 ? 1 : 0);
    const std::size_t length = padded + record.systemUse.size();
    std::uint8_t *r = At(sector, offset);
    r[0] = static_cast<std::uint8_t>(length);
    for (int i = 0; i < 4; ++i) {
        r[2 + i] = static_cast<std::uint8_t>(record.extent >> (8 * i));
        r[9 - i] = static_cast<std::uint8_t>(record.extent >> (8 * i));
        r[10 + i] = static_cast<std::uint8_t>(record.size >> (8 * i));
        r[17 - i] = static_cast<std::uint8_t>(record.size >> (8 * i));
    }
    const std::uint8_t date[7] = {121, 3, 14, 15, 9, 26, 0}; // 14.03.2021 15:09:26
    std::memcpy(r + 18, date, 7);
    r[25] = static_cast<std::uint8_t>((record.directory ? 2 : 0) | (record.moreExtents ? 0x80 : 0));
    r[28] = 1;
    r[32] = static_cast<std::uint8_t>(identifier);
    std::memcpy(r + 33, record.identifier.data(), identifier);
    std::memcpy(r + padded, record.systemUse.data(), record.systemUse.size());
    return offset + length;
}

std::size_t HandImage::Directory(std::uint32_t sector, std::uint32_t self, std::uint32_t parent,
                                 const std::vector<Record> &records)
{
    std::size_t offset = Put(sector, 0, Record{std::string(1, '\0'), self, 2048, true});
    offset = Put(sector, offset, Record{std::string(1, '\1'), parent, 2048, true});
    for (const Record &record : records)
        offset = Put(sector, offset, record);
    return offset;
}

std::string Ucs2(std::string_view text)
{
    return zelvane::toUcs2BigEndian(text);
}
