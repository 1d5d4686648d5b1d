// Reading the directory records of a disc's ISO 9660 or Joliet tree. Every
// byte comes from the disc, so every field is bounds-checked against the
// sector it lies in and names are made safe before they reach the project
// or a local folder.
#pragma once

#include "sxISOLib/DateTime.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zelvane {

inline constexpr std::size_t kDiscSectorBytes = 2048;
// Offsets of a volume descriptor: its type, "CD001", the Joliet escape
// sequence and the root directory record.
inline constexpr std::size_t kDescriptorTypeOffset = 0;
inline constexpr std::size_t kEscapeSequenceOffset = 88;
inline constexpr std::size_t kRootRecordOffset = 156;
inline constexpr std::uint8_t kPrimaryDescriptorType = 1;
inline constexpr std::uint8_t kSupplementaryDescriptorType = 2;
inline constexpr std::uint8_t kTerminatorDescriptorType = 255;

// A descriptor of the given type: byte 0 the type, bytes 1-5 "CD001".
bool isVolumeDescriptor(std::span<const std::uint8_t> sector, std::uint8_t type);
// A supplementary descriptor whose escape sequence names UCS-2 level 1, 2
// or 3 ("%/@", "%/C", "%/E"): the Joliet descriptor.
bool isJolietDescriptor(std::span<const std::uint8_t> sector);

struct RootLocation {
    std::uint32_t extent = 0;
    std::uint32_t size = 0;
};
// Extent (bytes 158-161) and size (166-169) of a descriptor's root record.
RootLocation descriptorRoot(std::span<const std::uint8_t> sector);

// One directory record as the import reads it.
struct DiscDirectoryRecord {
    std::size_t length = 0;               // byte 0
    std::uint32_t extent = 0;             // bytes 2-5, little-endian
    std::uint32_t dataLength = 0;         // bytes 10-13, little-endian
    TDateTime date = 0;                   // bytes 18-23; NaN when no valid date and time
    bool hidden = false;                  // flags bit 0
    bool directory = false;               // flags bit 1
    bool moreExtents = false;             // flags bit 7: the file goes on in the next record
    std::span<const std::uint8_t> identifier; // bytes 33.. (identifier length at byte 32)
    std::span<const std::uint8_t> systemUse;  // after the identifier and its padding byte

    // The records "." and ".." carry the one-byte identifiers 0 and 1.
    bool isSelfOrParent() const;
};

enum class RecordStatus { Record, EndOfSector, Malformed };

struct RecordAt {
    RecordStatus status = RecordStatus::EndOfSector;
    DiscDirectoryRecord record;
};

// Reads the record at `offset` of a directory sector: EndOfSector for a
// record length of 0 or an offset at or beyond the sector's end; Malformed
// when the record is shorter than its fixed part, overruns the sector, or
// its identifier overruns the record.
RecordAt readDirectoryRecord(std::span<const std::uint8_t> sector, std::size_t offset);

// The record's date: years since 1900, month, day, hour, minute, second,
// taken as local time (the UTC offset is ignored). NaN when the calendar
// date or the time of day is not valid.
TDateTime recordDate(std::span<const std::uint8_t, 6> bytes);

// A Joliet identifier (UCS-2 big-endian) as UTF-8, cut at the first ";"
// from its third character on. An odd last byte is dropped.
std::string jolietIdentifierName(std::span<const std::uint8_t> identifier);
// An ISO 9660 identifier as it stands, cut at its first ";"; bytes that are
// no valid UTF-8 become U+FFFD.
std::string isoIdentifierName(std::span<const std::uint8_t> identifier);

// Bytes of a name as UTF-8; bytes that are no valid UTF-8 become U+FFFD.
std::string utf8Name(std::span<const std::uint8_t> bytes);

// A name from a disc made safe as one component of a local path and of a
// project path: "/", "\" and control characters become "_", and an empty
// name, "." and ".." become "_", "_" and "__".
std::string safeDiscName(std::string_view name);

} // namespace zelvane
