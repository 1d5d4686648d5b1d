#include "sxDrvLib/MediaCode.h"

#include "sxDrvLib/AnswerBytes.h"

#include <array>

namespace zelvane {

std::string MediaName(int code)
{
    static constexpr std::array<const char *, kMediaCodeCount> kNames = {
        "UNKNOWN", "CD-ROM", "CD-R",   "CD-RW",  "DVD-ROM",  "DVD-R",  "DVD-RAM", "DVD-RW",
        "DVD-RW",  "DVD-RW", "DVD+RW", "DVD+R",  "DDCD-ROM", "DDCD-R", "DDCD-RW",
    };
    if (code < 0 || code >= kMediaCodeCount)
        return kNames[0];
    return kNames[static_cast<size_t>(code)];
}

uint8_t MediaCodeFromProfile(uint16_t profile)
{
    switch (profile) {
    case 0x0008: return kMediaCdRom;
    case 0x0009: return kMediaCdR;
    case 0x000A: return kMediaCdRw;
    case 0x0010: return kMediaDvdRom;
    case 0x0011: return kMediaDvdR;
    case 0x0012: return kMediaDvdRam;
    case 0x0013: return kMediaDvdRwRestricted;
    case 0x0014: return kMediaDvdRwSequential;
    case 0x001A: return kMediaDvdPlusRw;
    case 0x001B: return kMediaDvdPlusR;
    case 0x0020: return kMediaDdcdRom;
    case 0x0021: return kMediaDdcdR;
    case 0x0022: return kMediaDdcdRw;
    default: return kMediaUnknown;
    }
}

uint8_t MediaCodeFromAtip(std::span<const uint8_t> atip)
{
    const uint8_t discType = AnswerBytes(atip).u8(6);
    if (!(discType & 0x80))
        return kMediaCdRom;
    return (discType & 0x40) ? kMediaCdRw : kMediaCdR;
}

uint8_t MediaCodeFromErasable(bool erasable)
{
    return erasable ? kMediaCdRw : kMediaCdR;
}

std::string ProfileText(uint16_t profile)
{
    switch (profile) {
    case 0x01: return "Non-removable disk";
    case 0x02: return "Removable disk";
    case 0x03: return "MO Eraseable";
    case 0x04: return "MO Write Once";
    case 0x05: return "AS-MO";
    case 0x08: return "CD-ROM";
    case 0x09: return "CD-R";
    case 0x0A: return "CD-RW";
    case 0x10: return "DVD-ROM";
    case 0x11: return "DVD-R";
    case 0x12: return "DVD-RAM";
    case 0x13: return "DVD-RW Restricted Overwrite";
    case 0x14: return "DVD-RW Sequential Recording";
    case 0x1A: return "DVD+RW";
    case 0x1B: return "DVD+R";
    case 0x20: return "DDCD-ROM";
    case 0x21: return "DDCD-R";
    case 0x22: return "DDCD-RW";
    default: return "???????";
    }
}

bool ProfileErasable(uint16_t profile)
{
    switch (profile) {
    case 0x03:
    case 0x0A:
    case 0x13:
    case 0x14:
    case 0x1A:
    case 0x22: return true;
    default: return false;
    }
}

} // namespace zelvane
