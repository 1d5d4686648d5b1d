// Reading the System Use Sharing Protocol (SUSP) entries of a directory
// record and the Rock Ridge entries among them: POSIX names (NM), dates
// (TF), attributes (PX), symbolic links (SL) and relocated directories (CL,
// RE). Every byte comes from a disc: each entry is checked against the area
// that holds it, and continuation areas are followed a bounded number of
// times.
#pragma once

#include "sxISOLib/DateTime.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelvane {

namespace susp {

// Every entry: two signature bytes, its length, its version, then its data.
inline constexpr std::size_t kHeaderBytes = 4;
// SP: BE EF check bytes at 4 and 5, the skip length at 6.
inline constexpr std::size_t kSpLength = 7;
inline constexpr std::uint8_t kSpCheck1 = 0xBE;
inline constexpr std::uint8_t kSpCheck2 = 0xEF;
inline constexpr std::size_t kSpSkipOffset = 6;
// CE: block, offset and length of the continuation area, each both-endian.
inline constexpr std::size_t kCeLength = 28;
inline constexpr std::size_t kCeBlockOffset = 4;
inline constexpr std::size_t kCeAreaOffset = 12;
inline constexpr std::size_t kCeAreaLengthOffset = 20;
// The CD-ROM XA block some writers put before the SUSP entries.
inline constexpr std::size_t kXaBlockBytes = 14;

// Continuation areas followed for one record, and the largest one read.
inline constexpr int kMaxContinuations = 32;
inline constexpr std::uint32_t kMaxContinuationBytes = 32768;

} // namespace susp

namespace rrip {

// NM: flags at 4 (CONTINUE 1, CURRENT 2, PARENT 4), the name from 5.
inline constexpr std::size_t kNmFlagsOffset = 4;
inline constexpr std::size_t kNmNameOffset = 5;
inline constexpr std::uint8_t kNmContinue = 0x01;
inline constexpr std::uint8_t kNmCurrent = 0x02;
inline constexpr std::uint8_t kNmParent = 0x04;
// TF: flags at 4, then the recorded times in the order of the flag bits
// (creation 1, modification 2, ...), 7 bytes each or 17 in the long form.
inline constexpr std::size_t kTfFlagsOffset = 4;
inline constexpr std::size_t kTfTimesOffset = 5;
inline constexpr std::uint8_t kTfCreation = 0x01;
inline constexpr std::uint8_t kTfModification = 0x02;
inline constexpr std::uint8_t kTfLongForm = 0x80;
inline constexpr std::size_t kTfShortBytes = 7;
inline constexpr std::size_t kTfLongBytes = 17;
// CL: the location of the relocated directory at 4 (both-endian).
inline constexpr std::size_t kClLocationOffset = 4;
inline constexpr std::size_t kClLength = 12;
// A POSIX name longer than this is cut (names of Linux file systems have at
// most 255 bytes).
inline constexpr std::size_t kMaxNameBytes = 1024;

} // namespace rrip

// Where the SUSP entries of a record start in its system use area: the skip
// length of the SP entry of the root directory's "." record. nullopt when
// that record carries no SP entry (the tree has no SUSP entries at all). An
// SP entry after a 14-byte CD-ROM XA block counts, and so do those bytes.
std::optional<std::size_t> suspSkipLength(std::span<const std::uint8_t> rootSelfSystemUse);

struct RockRidgeEntries {
    std::optional<std::string> name;        // NM pieces joined, as UTF-8
    bool namesSelfOrParent = false;         // NM with CURRENT or PARENT
    std::optional<TDateTime> modified;      // TF modification time; NaN when invalid
    std::optional<std::uint32_t> childLink; // CL: the record stands for the directory there
    bool relocated = false;                 // RE: a directory shown elsewhere through CL
    bool posixAttributes = false;           // PX seen (the project keeps no modes)
    bool symbolicLink = false;              // SL seen (the project keeps no links)
};

// Reads a continuation area: `length` bytes from byte `offset` of logical
// block `block`; nullopt when they cannot be read.
using ContinuationReader =
    std::function<std::optional<std::vector<std::uint8_t>>(std::uint32_t block, std::uint32_t offset,
                                                           std::uint32_t length)>;

// The Rock Ridge entries of one record: its system use area after `skip`
// bytes, and the continuation areas that area leads to.
RockRidgeEntries readRockRidge(std::span<const std::uint8_t> systemUse, std::size_t skip,
                               const ContinuationReader &readContinuation);

} // namespace zelvane
