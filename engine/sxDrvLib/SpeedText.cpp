#include "sxDrvLib/SpeedText.h"

#include "sxDrvLib/MediaCode.h"

#include <cmath>
#include <charconv>

namespace zelvane {

std::string SpeedMultipleText(unsigned kbps, int mediaCode, bool oneDecimal)
{
    const double multiple = kbps / (IsCdMedia(mediaCode) ? kCdBaseSpeed : kDvdBaseSpeed);
    // Halves round away from zero; the text never depends on the C locale.
    const int precision = oneDecimal ? 1 : 0;
    const double rounded = oneDecimal ? std::round(multiple * 10.0) / 10.0 : std::round(multiple);
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text - 1, rounded,
                                      std::chars_format::fixed, precision);
    return std::string(text, result.ptr) + "X";
}

std::string SpeedKBpsText(unsigned kbps)
{
    const std::string digits = std::to_string(kbps);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(digits[i]);
    }
    return "(" + grouped + " KB/s)";
}

} // namespace zelvane
