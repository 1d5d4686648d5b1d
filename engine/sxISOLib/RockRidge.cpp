#include "sxISOLib/RockRidge.h"

#include "sxISOLib/RecordReading.h"

#include <algorithm>
#include <array>
#include <limits>
#include <set>
#include <utility>

namespace zelvane {

namespace {

std::uint32_t le32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return std::uint32_t(bytes[offset]) | std::uint32_t(bytes[offset + 1]) << 8 |
           std::uint32_t(bytes[offset + 2]) << 16 | std::uint32_t(bytes[offset + 3]) << 24;
}

bool signatureIs(std::span<const std::uint8_t> entry, const char (&signature)[3])
{
    return entry[0] == static_cast<std::uint8_t>(signature[0]) && entry[1] == static_cast<std::uint8_t>(signature[1]);
}

bool isSpEntry(std::span<const std::uint8_t> area, std::size_t at)
{
    return area.size() >= at + susp::kSpLength && area[at] == 'S' && area[at + 1] == 'P' &&
           area[at + 2] >= susp::kSpLength && area[at + 4] == susp::kSpCheck1 && area[at + 5] == susp::kSpCheck2;
}

// A 17-byte long-form time: "YYYYMMDDHHMMSScc" and the zone (ignored, as
// the zone of the records is).
TDateTime longFormDate(std::span<const std::uint8_t> bytes)
{
    auto number = [&](std::size_t from, std::size_t digits) {
        int value = 0;
        for (std::size_t i = from; i < from + digits; ++i) {
            if (bytes[i] < '0' || bytes[i] > '9')
                return -1;
            value = value * 10 + (bytes[i] - '0');
        }
        return value;
    };
    const int year = number(0, 4);
    if (year < 1900 || year > 1900 + 255)
        return std::numeric_limits<double>::quiet_NaN();
    std::array<std::uint8_t, 6> parts{};
    parts[0] = static_cast<std::uint8_t>(year - 1900);
    for (std::size_t i = 0; i < 5; ++i) {
        const int value = number(4 + 2 * i, 2);
        if (value < 0)
            return std::numeric_limits<double>::quiet_NaN();
        parts[i + 1] = static_cast<std::uint8_t>(value);
    }
    return recordDate(std::span<const std::uint8_t, 6>(parts));
}

void readTimes(std::span<const std::uint8_t> entry, RockRidgeEntries &out)
{
    if (entry.size() <= rrip::kTfFlagsOffset)
        return;
    const std::uint8_t flags = entry[rrip::kTfFlagsOffset];
    if (!(flags & rrip::kTfModification))
        return;
    const std::size_t size = (flags & rrip::kTfLongForm) ? rrip::kTfLongBytes : rrip::kTfShortBytes;
    // The creation time, when recorded, comes first.
    const std::size_t at = rrip::kTfTimesOffset + ((flags & rrip::kTfCreation) ? size : 0);
    if (at + size > entry.size())
        return;
    const auto time = entry.subspan(at, size);
    out.modified = size == rrip::kTfLongBytes ? longFormDate(time) : recordDate(time.first<6>());
}

struct Continuation {
    std::uint32_t block = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

// Reads the entries of one area; answers the continuation it names, if any.
std::optional<Continuation> readArea(std::span<const std::uint8_t> area, RockRidgeEntries &out, std::string &name,
                                     bool &nameContinues)
{
    std::optional<Continuation> next;
    std::size_t at = 0;
    while (at + susp::kHeaderBytes <= area.size()) {
        const std::size_t length = area[at + 2];
        if (length < susp::kHeaderBytes || length > area.size() - at)
            break;
        const auto entry = area.subspan(at, length);
        at += length;
        if (signatureIs(entry, "ST"))
            break;
        if (signatureIs(entry, "CE") && length >= susp::kCeLength) {
            next = Continuation{le32(entry, susp::kCeBlockOffset), le32(entry, susp::kCeAreaOffset),
                                le32(entry, susp::kCeAreaLengthOffset)};
        } else if (signatureIs(entry, "NM") && length > rrip::kNmFlagsOffset) {
            const std::uint8_t flags = entry[rrip::kNmFlagsOffset];
            if (flags & (rrip::kNmCurrent | rrip::kNmParent)) {
                out.namesSelfOrParent = true;
                continue;
            }
            // A piece after a finished name starts the name anew.
            if (!nameContinues)
                name.clear();
            const auto piece = entry.subspan(rrip::kNmNameOffset);
            const std::size_t room = rrip::kMaxNameBytes - std::min(name.size(), rrip::kMaxNameBytes);
            name.append(piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(std::min(piece.size(), room)));
            nameContinues = (flags & rrip::kNmContinue) != 0;
            out.name = std::string{};
        } else if (signatureIs(entry, "TF")) {
            readTimes(entry, out);
        } else if (signatureIs(entry, "CL") && length >= rrip::kClLength) {
            out.childLink = le32(entry, rrip::kClLocationOffset);
        } else if (signatureIs(entry, "RE")) {
            out.relocated = true;
        } else if (signatureIs(entry, "PX")) {
            out.posixAttributes = true;
        } else if (signatureIs(entry, "SL")) {
            out.symbolicLink = true;
        }
        // SP, ER, ES, PD, PN, RR and unknown entries carry nothing the project keeps.
    }
    return next;
}

} // namespace

std::optional<std::size_t> suspSkipLength(std::span<const std::uint8_t> rootSelfSystemUse)
{
    if (isSpEntry(rootSelfSystemUse, 0))
        return rootSelfSystemUse[susp::kSpSkipOffset];
    if (isSpEntry(rootSelfSystemUse, susp::kXaBlockBytes))
        return susp::kXaBlockBytes + rootSelfSystemUse[susp::kXaBlockBytes + susp::kSpSkipOffset];
    return std::nullopt;
}

RockRidgeEntries readRockRidge(std::span<const std::uint8_t> systemUse, std::size_t skip,
                               const ContinuationReader &readContinuation)
{
    RockRidgeEntries out;
    if (skip >= systemUse.size())
        return out;
    std::string name;
    bool nameContinues = false;
    std::optional<Continuation> next = readArea(systemUse.subspan(skip), out, name, nameContinues);
    std::set<std::pair<std::uint32_t, std::uint32_t>> visited;
    for (int followed = 0; next && followed < susp::kMaxContinuations; ++followed) {
        // An area read before would only repeat itself.
        if (next->length == 0 || next->length > susp::kMaxContinuationBytes || !readContinuation ||
            !visited.emplace(next->block, next->offset).second)
            break;
        const auto area = readContinuation(next->block, next->offset, next->length);
        if (!area)
            break;
        next = readArea(*area, out, name, nameContinues);
    }
    if (out.name)
        out.name = utf8Name(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(name.data()), name.size()));
    return out;
}

} // namespace zelvane
