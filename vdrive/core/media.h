// The media kinds the virtual drive accepts and their fixed properties:
// profile, family, default capacity, speed lists.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvane::vdrive {

enum class MediaKind {
    None,
    CdRom,
    CdR,
    CdRw,
    DvdRom,
    DvdR,
    DvdRwSequential,
    DvdRwRestricted,
    DvdPlusR,
    DvdPlusRw,
    DvdRam,
};

// How the medium takes writes.
enum class Recording {
    ReadOnly,    // pressed
    Sequential,  // tracks with a next writable address, sessions closed one by one
    Overwritable // formatted area written anywhere
};

struct MediaTraits {
    MediaKind kind;
    std::string_view token;   // name used by the control tool ("cd-r", ...)
    std::string_view display; // name shown in the status report
    uint16_t profile;         // current profile of GET CONFIGURATION
    bool cd;
    bool erasable;
    Recording recording;
    uint32_t defaultCapacity; // user blocks of a blank disc
    std::vector<uint16_t> writeSpeeds; // KB/s, ascending; empty for pressed media
};

const MediaTraits &traitsOf(MediaKind kind);
std::optional<MediaKind> mediaFromToken(std::string_view token);
// Tokens of the blank media the control tool can insert, as a list and
// comma separated.
std::vector<std::string> blankMediaTokenList();
std::string blankMediaTokens();

// Read speeds (KB/s) of the drive per family.
inline constexpr uint16_t kCdMaxReadSpeed = 8467;   // 48x
inline constexpr uint16_t kDvdMaxReadSpeed = 22160; // 16x
inline constexpr uint16_t kDriveMaxWriteSpeed = 22160;

// The speed of the list a request rounds to: the fastest not above the
// request, the slowest when the request is below all; 0 or FFFFh = fastest.
uint16_t roundWriteSpeed(const std::vector<uint16_t> &speeds, uint32_t requestKBps);

} // namespace zelvane::vdrive
