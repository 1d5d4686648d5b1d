// Speeds in KB/s shown as a multiple of the medium's base speed: 176.4 KB/s
// for CD media (1x audio rate) and 1385 KB/s for DVD media.
#pragma once

#include <string>

namespace zelvane {

constexpr double kCdBaseSpeed = 176.4;
constexpr double kDvdBaseSpeed = 1385.0;

// "40X" (whole multiple); with oneDecimal "2.4X".
std::string SpeedMultipleText(unsigned kbps, int mediaCode, bool oneDecimal = false);

// "(8,467 KB/s)".
std::string SpeedKBpsText(unsigned kbps);

} // namespace zelvane
