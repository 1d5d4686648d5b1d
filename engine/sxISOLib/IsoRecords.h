// Byte-level encoders of the ISO 9660 / Joliet / El Torito structures:
// numeric fields, directory records, path table records and their sizes.
#pragma once

#include "sxISOLib/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvane {

inline constexpr std::int64_t kSectorSize = 2048;
// Largest extent of one directory record: a 32-bit length in whole sectors.
inline constexpr std::int64_t kMaxExtentBytes = 0xFFFFF800LL;

struct TFEntry;

inline std::int64_t sectorsFor(std::int64_t bytes)
{
    return (bytes + kSectorSize - 1) / kSectorSize;
}

void putLE16(std::uint8_t *at, std::uint16_t value);
void putBE16(std::uint8_t *at, std::uint16_t value);
void putLE32(std::uint8_t *at, std::uint32_t value);
void putBE32(std::uint8_t *at, std::uint32_t value);
void putBoth16(std::uint8_t *at, std::uint16_t value);
void putBoth32(std::uint8_t *at, std::uint32_t value);

// Identifiers as written in the directory records ("." and ".." names
// become the bytes 0 and 1).
std::string isoIdentifier(const TFEntry &entry);
std::string jolietIdentifier(const TFEntry &entry);
// Their lengths in bytes, without building them.
std::size_t isoIdentifierLength(const TFEntry &entry);
std::size_t jolietIdentifierLength(const TFEntry &entry);

// Number of records of an entry: files beyond one extent are written as
// several records (multi-extent); everything else has one.
std::uint32_t extentCount(std::int64_t dataLength, bool isDirectory);

inline std::size_t directoryRecordLength(std::size_t identifierLength)
{
    return 33 + identifierLength + (identifierLength % 2 == 0 ? 1 : 0);
}

inline std::size_t pathTableRecordLength(std::size_t identifierLength)
{
    return 8 + identifierLength + (identifierLength % 2);
}

// The 7-byte recording date of a directory record: the local date-time and
// the offset of the local zone at that date.
struct RecordDate {
    std::uint8_t bytes[7] = {};
};
RecordDate recordDate(TDateTime value, ZoneOffsetCache &zones);

// Writes one directory record at `at` (room for directoryRecordLength bytes);
// returns its length.
std::size_t writeDirectoryRecord(std::uint8_t *at, std::uint32_t extent, std::uint32_t length,
                                 const RecordDate &date, std::uint8_t flags, std::string_view identifier);

// Writes one path table record; returns its length.
std::size_t writePathTableRecord(std::uint8_t *at, bool bigEndian, std::uint32_t extent,
                                 std::uint16_t parentNumber, std::string_view identifier);

} // namespace zelvane
