// Engine texts of erasing a rewritable disc.
#pragma once

#include <string_view>

namespace zelvane::texts {

// Filled with the media name and the speed ("4.0X(5,540 KB/s)").
inline constexpr std::string_view kStartingErase = "STARTING ERASE PROCESS ON %s AT %s";

} // namespace zelvane::texts
