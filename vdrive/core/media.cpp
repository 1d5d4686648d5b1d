#include "core/media.h"

#include <array>

namespace zelvane::vdrive {

namespace {

uint16_t cdSpeed(double multiple) { return static_cast<uint16_t>(multiple * 176.4 + 0.5); }
uint16_t dvdSpeed(double multiple) { return static_cast<uint16_t>(multiple * 1385 + 0.5); }

const std::array<MediaTraits, 11> &table()
{
    static const std::array<MediaTraits, 11> media{{
        {MediaKind::None, "none", "NONE", 0x0000, false, false, Recording::ReadOnly, 0, {}},
        {MediaKind::CdRom, "cd-rom", "CD-ROM", 0x0008, true, false, Recording::ReadOnly, 0, {}},
        {MediaKind::CdR, "cd-r", "CD-R", 0x0009, true, false, Recording::Sequential, 359847,
         {cdSpeed(8), cdSpeed(16), cdSpeed(24), cdSpeed(32), cdSpeed(40), cdSpeed(48)}},
        {MediaKind::CdRw, "cd-rw", "CD-RW", 0x000A, true, true, Recording::Sequential, 359847,
         {cdSpeed(4), cdSpeed(10), cdSpeed(16), cdSpeed(24)}},
        {MediaKind::DvdRom, "dvd-rom", "DVD-ROM", 0x0010, false, false, Recording::ReadOnly, 0, {}},
        {MediaKind::DvdR, "dvd-r", "DVD-R", 0x0011, false, false, Recording::Sequential, 2295104,
         {dvdSpeed(2), dvdSpeed(4), dvdSpeed(8), dvdSpeed(16)}},
        {MediaKind::DvdRwSequential, "dvd-rw", "DVD-RW Sequential Recording", 0x0014, false, true,
         Recording::Sequential, 2295104, {dvdSpeed(1), dvdSpeed(2), dvdSpeed(4), dvdSpeed(6)}},
        {MediaKind::DvdRwRestricted, "dvd-rw-ro", "DVD-RW Restricted Overwrite", 0x0013, false, true,
         Recording::Overwritable, 2295104, {dvdSpeed(1), dvdSpeed(2), dvdSpeed(4), dvdSpeed(6)}},
        {MediaKind::DvdPlusR, "dvd+r", "DVD+R", 0x001B, false, false, Recording::Sequential, 2295104,
         {dvdSpeed(2), dvdSpeed(4), dvdSpeed(8), dvdSpeed(16)}},
        {MediaKind::DvdPlusRw, "dvd+rw", "DVD+RW", 0x001A, false, true, Recording::Overwritable, 2295104,
         {dvdSpeed(2.4), dvdSpeed(4), dvdSpeed(8)}},
        {MediaKind::DvdRam, "dvd-ram", "DVD-RAM", 0x0012, false, true, Recording::Overwritable, 2236704,
         {dvdSpeed(2), dvdSpeed(3), dvdSpeed(5)}},
    }};
    return media;
}

} // namespace

const MediaTraits &traitsOf(MediaKind kind)
{
    for (const auto &traits : table())
        if (traits.kind == kind)
            return traits;
    return table()[0];
}

std::optional<MediaKind> mediaFromToken(std::string_view token)
{
    for (const auto &traits : table())
        if (traits.token == token)
            return traits.kind;
    return std::nullopt;
}

std::vector<std::string> blankMediaTokenList()
{
    std::vector<std::string> tokens;
    for (const auto &traits : table())
        if (traits.recording != Recording::ReadOnly)
            tokens.emplace_back(traits.token);
    return tokens;
}

std::string blankMediaTokens()
{
    std::string tokens;
    for (const std::string &token : blankMediaTokenList())
        tokens += (tokens.empty() ? "" : ", ") + token;
    return tokens;
}

uint16_t roundWriteSpeed(const std::vector<uint16_t> &speeds, uint32_t requestKBps)
{
    if (speeds.empty())
        return 0;
    if (requestKBps == 0 || requestKBps >= 0xFFFF)
        return speeds.back();
    uint16_t chosen = speeds.front();
    for (uint16_t speed : speeds)
        if (speed <= requestKBps)
            chosen = speed;
    return chosen;
}

} // namespace zelvane::vdrive
