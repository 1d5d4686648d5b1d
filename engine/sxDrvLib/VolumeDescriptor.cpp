#include "sxDrvLib/VolumeDescriptor.h"

#include "sxDrvLib/AnswerBytes.h"

#include <algorithm>
#include <cstring>

namespace zelvane {

namespace {

constexpr size_t kDescriptorBytes = 2048;

bool IsDescriptor(std::span<const uint8_t> sector, uint8_t type)
{
    return sector.size() >= kDescriptorBytes && sector[0] == type &&
           std::memcmp(sector.data() + 1, "CD001", 5) == 0;
}

std::string Text(std::span<const uint8_t> sector, size_t first, size_t last)
{
    std::string text(sector.begin() + static_cast<std::ptrdiff_t>(first),
                     sector.begin() + static_cast<std::ptrdiff_t>(last + 1));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

std::string CreationDate(std::span<const uint8_t> sector)
{
    const std::string date = Text(sector, 813, 828);
    const bool unset = std::all_of(date.begin(), date.end(), [](char c) { return c == '0'; });
    if (date.size() < 8 || unset)
        return {};
    return date.substr(6, 2) + "." + date.substr(4, 2) + "." + date.substr(0, 4);
}

} // namespace

std::optional<uint32_t> VolumeSpaceSize(std::span<const uint8_t> sector)
{
    if (!IsDescriptor(sector, 1) && !IsDescriptor(sector, 2))
        return std::nullopt;
    return AnswerBytes(sector).le32(80);
}

std::optional<VolumeIdentifiers> PrimaryVolumeIdentifiers(std::span<const uint8_t> sector)
{
    if (!IsDescriptor(sector, 1))
        return std::nullopt;
    VolumeIdentifiers ids;
    ids.volume = Text(sector, 40, 71);
    ids.publisher = Text(sector, 318, 445);
    ids.preparer = Text(sector, 446, 573);
    ids.application = Text(sector, 574, 701);
    ids.copyright = Text(sector, 702, 738);
    ids.created = CreationDate(sector);
    return ids;
}

} // namespace zelvane
