#include "sxISOLib/ShortNames.h"

#include "sxISOLib/IsoNames.h"

#include <algorithm>

namespace zelvane {

namespace {

bool allowedShortChar(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    static constexpr std::string_view specials = "$%'-_@~`!(){}^#&";
    return specials.find(static_cast<char>(c)) != std::string_view::npos;
}

// Maps a part of a long name to short-name characters: spaces and dots are
// dropped, invalid and non-ASCII characters (one per character) become "_".
std::string shortPart(std::string_view part, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < part.size() && out.size() < limit; ++i) {
        const auto c = static_cast<unsigned char>(part[i]);
        if (c == ' ' || c == '.')
            continue;
        if (c >= 0x80) {
            // Skip the continuation bytes of this character.
            while (i + 1 < part.size() && (static_cast<unsigned char>(part[i + 1]) & 0xC0) == 0x80)
                ++i;
            out += '_';
            continue;
        }
        out += allowedShortChar(c) ? static_cast<char>(c) : '_';
    }
    return asciiUpper(out);
}

} // namespace

bool fitsEightDotThree(std::string_view name)
{
    const auto dot = name.find('.');
    const std::string_view basis = name.substr(0, dot);
    const std::string_view extension = dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
    if (basis.empty() || basis.size() > 8 || extension.size() > 3)
        return false;
    if (dot != std::string_view::npos && extension.empty())
        return false;
    for (unsigned char c : basis)
        if (!allowedShortChar(c))
            return false;
    for (unsigned char c : extension)
        if (!allowedShortChar(c))
            return false;
    return true;
}

std::string ShortNameGenerator::generate(std::string_view longName)
{
    std::string_view trimmed = longName;
    while (!trimmed.empty() && (trimmed.front() == '.' || trimmed.front() == ' '))
        trimmed.remove_prefix(1);
    const auto dot = trimmed.rfind('.');
    std::string basis = shortPart(trimmed.substr(0, dot), 6);
    const std::string extension =
        dot == std::string_view::npos ? std::string{} : shortPart(trimmed.substr(dot + 1), 3);
    if (basis.empty())
        basis = "_";
    unsigned &next = nextNumber_[basis + "." + extension];
    for (unsigned number = std::max(next, 1u);; ++number) {
        const std::string tail = "~" + std::to_string(number);
        const std::size_t room = tail.size() < 8 ? 8 - tail.size() : 1;
        std::string candidate = basis.substr(0, room) + tail;
        if (!extension.empty())
            candidate += "." + extension;
        if (taken_.insert(candidate).second) {
            next = number + 1;
            return candidate;
        }
    }
}

} // namespace zelvane
