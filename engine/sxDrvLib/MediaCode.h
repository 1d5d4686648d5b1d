// Classification of the inserted medium into the media codes 0..14 and the
// texts the engine shows for media and profiles.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zelvane {

enum MediaCode : uint8_t {
    kMediaUnknown = 0,
    kMediaCdRom = 1,
    kMediaCdR = 2,
    kMediaCdRw = 3,
    kMediaDvdRom = 4,
    kMediaDvdR = 5,
    kMediaDvdRam = 6,
    kMediaDvdRw = 7,
    kMediaDvdRwRestricted = 8,
    kMediaDvdRwSequential = 9,
    kMediaDvdPlusRw = 10,
    kMediaDvdPlusR = 11,
    kMediaDdcdRom = 12,
    kMediaDdcdR = 13,
    kMediaDdcdRw = 14,
};

constexpr int kMediaCodeCount = 15;

// Codes below 4 are CD media, the rest DVD media.
inline bool IsCdMedia(int code) { return code < kMediaDvdRom; }

// "UNKNOWN", "CD-ROM", ... for codes 0..14; "UNKNOWN" for anything else.
std::string MediaName(int code);

// Media code of a current profile (GET CONFIGURATION bytes 6..7); 0 when the
// profile is none of the table.
uint8_t MediaCodeFromProfile(uint16_t profile);

// Media code from an ATIP answer (READ TOC format 4): a disc without the
// disc-type bit in byte 6 is pressed (CD-ROM); with it, bit 6 tells CD-RW
// from CD-R.
uint8_t MediaCodeFromAtip(std::span<const uint8_t> atip);

// Media code from READ DISC INFORMATION when nothing better answered.
uint8_t MediaCodeFromErasable(bool erasable);

// Text of a profile for the disc record, and whether the profile is erasable.
std::string ProfileText(uint16_t profile);
bool ProfileErasable(uint16_t profile);

} // namespace zelvane
