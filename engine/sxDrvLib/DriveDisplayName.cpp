// Display names of drive list lines.
#include "sxDrvLib/DriveDisplayName.h"

namespace zelvane {
namespace {

constexpr std::size_t kAddressPrefixLength = 6;  // "a:t:l,"

// Length of a leading "adapter:target:lun," prefix, or 0 when there is none.
std::size_t AddressPrefixLength(const std::string &text)
{
    const auto comma = text.find(',');
    if (comma == std::string::npos)
        return 0;
    int colons = 0;
    for (std::size_t i = 0; i < comma; ++i) {
        const char c = text[i];
        if (c == ':')
            ++colons;
        else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return 0;
    }
    return colons == 2 ? comma + 1 : 0;
}

} // namespace

std::string DriveDisplayName(const std::string &driveListLine)
{
    std::string collapsed;
    bool inBlankRun = false;
    for (const char c : driveListLine) {
        if (static_cast<unsigned char>(c) <= 0x20) {
            if (!inBlankRun)
                collapsed += ' ';
            inBlankRun = true;
        } else {
            collapsed += c;
            inBlankRun = false;
        }
    }
    const auto first = collapsed.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    collapsed = collapsed.substr(first, collapsed.find_last_not_of(' ') - first + 1);

    if (collapsed.size() > kAddressPrefixLength) {
        // Addresses have one digit each in practice; a longer adapter number
        // still loses exactly its prefix.
        const std::size_t prefix = AddressPrefixLength(collapsed);
        collapsed.erase(0, prefix != 0 ? prefix : kAddressPrefixLength);
    }
    return collapsed;
}

} // namespace zelvane
